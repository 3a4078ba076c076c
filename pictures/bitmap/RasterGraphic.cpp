// TRasterGraphic: decoding a BMP or ICO file at load and drawing its pixels scaled into the target.
#include "bitmap/RasterGraphic.h"

#include <QPainter>

#include "bitmap/DibReader.h"
#include "bitmap/IconReader.h"

void TRasterGraphic::LoadFromBytes(const QByteArray& bytes) {
  TDibDecodeOptions options;
  options.maxPixels = kMaxPixels;
  TDibResult result =
      kind_ == Kind::Bitmap ? DecodeBmpFile(bytes, options) : DecodeIconFile(bytes, kMaxPixels);
  const QString kindName = kind_ == Kind::Bitmap ? QStringLiteral("Bitmap") : QStringLiteral("Icon");
  if (result.image.isNull())
    throw EInvalidGraphic((kindName + QStringLiteral(" image is not valid: ") + result.error).toStdString());
  image_ = std::move(result.image);
  Changed();
}

void TRasterGraphic::Draw(QPainter& painter, const QRect& target) {
  if (image_.isNull() || DrawAttached(painter, target)) return;
  if (target.size() == image_.size()) {
    painter.drawImage(target.topLeft(), image_);
  } else {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
    painter.restore();
  }
}

std::unique_ptr<TGraphic> TRasterGraphic::Twin() const {
  auto twin = std::make_unique<TRasterGraphic>(kind_);
  twin->image_ = image_;
  return twin;
}
