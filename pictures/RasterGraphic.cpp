#include "RasterGraphic.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <limits>

namespace {
// Qt's BMP reader negates a negative (top-down) height, which INT_MIN does not survive, and it
// returns a half-filled image from a truncated file without complaint; both are refused here.
bool BitmapIsComplete(const QByteArray& bytes) {
  constexpr int kFileHeader = 14;
  if (bytes.size() < kFileHeader + 12 || !bytes.startsWith("BM")) return false;
  const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
  const quint32 pixelsAt = qFromLittleEndian<quint32>(data + 10);
  const quint32 infoSize = qFromLittleEndian<quint32>(data + kFileHeader);
  long long width = 0, height = 0;
  quint32 bitsPerPixel = 0, compression = 0;
  if (infoSize == 12) {
    width = qFromLittleEndian<quint16>(data + kFileHeader + 4);
    height = qFromLittleEndian<quint16>(data + kFileHeader + 6);
    bitsPerPixel = qFromLittleEndian<quint16>(data + kFileHeader + 10);
  } else {
    if (infoSize < 40 || bytes.size() < kFileHeader + 40) return false;
    width = qFromLittleEndian<qint32>(data + kFileHeader + 4);
    height = qFromLittleEndian<qint32>(data + kFileHeader + 8);
    bitsPerPixel = qFromLittleEndian<quint16>(data + kFileHeader + 14);
    compression = qFromLittleEndian<quint32>(data + kFileHeader + 16);
  }
  if (width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min()) return false;
  height = height < 0 ? -height : height;
  if (width * height > TRasterGraphic::kMaxPixels) return false;
  // Run-length and embedded JPEG/PNG data have no size to check ahead; plain rows do.
  constexpr quint32 kRgb = 0, kBitfields = 3;
  if (compression != kRgb && compression != kBitfields) return true;
  const long long stride = (width * bitsPerPixel + 31) / 32 * 4;
  return static_cast<long long>(pixelsAt) + stride * height <= bytes.size();
}

// Qt's icon reader trusts neither the image count nor the bitmap header of the image it shows: it
// reads the first directory entry and draws at that entry's size whatever the file claims. An icon
// whose directory does not fit the file, or whose first bitmap disagrees with its entry, is refused.
bool IconIsConsistent(const QByteArray& bytes) {
  constexpr qint64 kHeader = 6, kEntry = 16, kBitmapInfo = 40;
  if (bytes.size() < kHeader + kEntry) return false;
  const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
  const qint64 count = qFromLittleEndian<quint16>(data + 4);
  if (count == 0 || kHeader + kEntry * count > bytes.size()) return false;
  const qint64 entryWidth = data[kHeader] == 0 ? 256 : data[kHeader];
  const qint64 entryHeight = data[kHeader + 1] == 0 ? 256 : data[kHeader + 1];
  const qint64 size = qFromLittleEndian<quint32>(data + kHeader + 8);
  const qint64 offset = qFromLittleEndian<quint32>(data + kHeader + 12);
  if (offset < kHeader + kEntry * count || offset + size > bytes.size()) return false;
  // An embedded PNG carries its own checked size; a bitmap has the XOR and AND masks stacked.
  if (offset + kBitmapInfo > bytes.size() || qFromLittleEndian<quint32>(data + offset) != kBitmapInfo)
    return true;
  const qint64 width = qFromLittleEndian<qint32>(data + offset + 4);
  const qint64 height = qFromLittleEndian<qint32>(data + offset + 8);
  return width == entryWidth && (height == 2 * entryHeight || height == entryHeight);
}

// Qt's readers keep a file's short colour table even when its pixels index past the end (run-length
// data is never checked against it), and drawing such an image reads beyond the table. Padding the
// table with black makes every index a colour.
void CompleteColourTable(QImage& image) {
  qsizetype needed = 0;
  if (image.format() == QImage::Format_Indexed8) needed = 256;
  if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) needed = 2;
  QList<QRgb> table = image.colorTable();
  if (table.size() >= needed) return;
  table.resize(needed, qRgb(0, 0, 0));
  image.setColorTable(table);
}

const char* FormatName(TRasterGraphic::Kind kind) {
  return kind == TRasterGraphic::Kind::Bitmap ? "bmp" : "ico";
}
}  // namespace

void TRasterGraphic::LoadFromBytes(const QByteArray& bytes) {
  if (kind_ == Kind::Bitmap && !BitmapIsComplete(bytes)) throw EInvalidGraphic("Bitmap image is not valid");
  if (kind_ == Kind::Icon && !IconIsConsistent(bytes)) throw EInvalidGraphic("Icon image is not valid");

  QByteArray data = bytes;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, FormatName(kind_));
  reader.setAutoDetectImageFormat(false);
  reader.setDecideFormatFromContent(false);
  const QString kindName = kind_ == Kind::Bitmap ? QStringLiteral("Bitmap") : QStringLiteral("Icon");
  if (!reader.canRead())
    throw EInvalidGraphic((kindName + QStringLiteral(" image is not valid")).toStdString());

  // Qt reports a top-down bitmap's height as negative; the pixel count is what matters.
  const QSize size = reader.size();
  const long long width = size.width();
  const long long height = qAbs(static_cast<long long>(size.height()));
  if (width <= 0 || height == 0 || width * height > kMaxPixels)
    throw EInvalidGraphic((kindName + QStringLiteral(" image has an invalid size")).toStdString());

  QImage image;
  if (!reader.read(&image) || image.isNull())
    throw EInvalidGraphic(
        (kindName + QStringLiteral(" image is not valid: ") + reader.errorString()).toStdString());
  CompleteColourTable(image);
  image_ = std::move(image);
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
