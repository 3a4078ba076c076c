#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

#include "Graphic.h"
#include "JpegDecoder.h"
#include "JpegOptions.h"

// A JPEG picture. Loading reads only the header, so its size is known at once; the pixels are decoded
// on first use and kept until a decoding option changes.
class TJPEGImage : public TGraphic {
 public:
  void LoadFromFile(const QString& path);
  void LoadFromBytes(const QByteArray& bytes);

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
  void Prepare() override { Bitmap(); }

 private:
  template <typename T>
  void SetOption(T& option, T value);

  QByteArray bytes_;
  TJpegHeader header_;
  TJpegDecodeOptions options_;
  std::optional<QImage> bitmap_;
  std::optional<EJPEG> error_;
};
