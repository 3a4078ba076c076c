// TRasterGraphic: the picture the holder keeps for a .bmp or .ico file, decoded when it loads.
#pragma once

#include <QByteArray>
#include <QImage>

#include "Graphic.h"

// A bitmap ("bmp") or icon ("ico") picture, decoded at load by the project's own DIB and icon readers.
class TRasterGraphic : public TGraphic {
 public:
  enum class Kind { Bitmap, Icon };

  // Images above this many pixels are refused before any pixel is decoded.
  static constexpr long long kMaxPixels = 64ll * 1024 * 1024;

  explicit TRasterGraphic(Kind kind) : kind_(kind) {}

  // Throws EInvalidGraphic when the bytes are no picture of this kind or declare an absurd size.
  // An icon shows its largest, most colourful image.
  void LoadFromBytes(const QByteArray& bytes);

  Kind GetKind() const { return kind_; }
  const QImage& Image() const { return image_; }

  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  void Draw(QPainter& painter, const QRect& target) override;
  // The twin shares the decoded pixels.
  std::unique_ptr<TGraphic> Twin() const override;
  qint64 Cost() const override { return image_.sizeInBytes(); }

 private:
  Kind kind_;
  QImage image_;
};
