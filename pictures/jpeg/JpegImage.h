// TJPEGImage: the JPEG picture the holder keeps, its pixels decoded on first use with the tile's options.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

#include "Graphic.h"
#include "jpeg/JpegDecoder.h"
#include "jpeg/JpegOptions.h"

// A JPEG picture. Loading reads only the header, so its size is known at once; the pixels are decoded
// on first use and kept until a decoding option changes.
class TJPEGImage : public TGraphic {
 public:
  void LoadFromFile(const QString& path);
  void LoadFromBytes(const QByteArray& bytes);
  // The same with the header already read from these bytes.
  void LoadFromBytes(const QByteArray& bytes, const TJpegHeader& header);
  // Pixels decoded elsewhere with the current options. At the picture's own size they are its pixels;
  // smaller (a reduced DCT scale) they only serve draws they still cover, drawn is their copy already
  // scaled to one target. Width() and Height() keep the size of the chosen scale either way, and a
  // change of option drops them like any decoded pixels.
  void AdoptPixels(const QImage& pixels, const QImage& drawn);

  TJPEGPixelFormat PixelFormat() const { return options_.pixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat value);
  TJPEGScale Scale() const { return options_.scale; }
  void SetScale(TJPEGScale value);
  bool Grayscale() const { return options_.grayscale; }
  void SetGrayscale(bool value);
  TJPEGPerformance Performance() const { return options_.performance; }
  void SetPerformance(TJPEGPerformance value);
  // Only the way the pixels are reached changes, not the finished picture, so nothing is discarded.
  bool ProgressiveDisplay() const { return options_.progressiveDisplay; }
  void SetProgressiveDisplay(bool value) { options_.progressiveDisplay = value; }

  bool IsProgressive() const { return header_.progressive; }

  // Throws EJPEG; a failed decoding is remembered and rethrown until an option changes.
  const QImage& Bitmap();

  int Width() const override;
  int Height() const override;
  void Draw(QPainter& painter, const QRect& target) override;
  void Prepare() override;

 private:
  template <typename T>
  void SetOption(T& option, T value);

  QByteArray bytes_;
  TJpegHeader header_;
  TJpegDecodeOptions options_;
  std::optional<QImage> bitmap_;
  QImage reduced_;
  QImage drawn_;
  std::optional<EJPEG> error_;
};
