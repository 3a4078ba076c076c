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
}

void TRasterGraphic::Draw(QPainter& painter, const QRect& target) {
  if (image_.isNull()) return;
  if (target.size() == image_.size()) {
    painter.drawImage(target.topLeft(), image_);
  } else {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
    painter.restore();
  }
}
