#include "IconWriter.h"

#include <QByteArray>
#include <QtEndian>

#include <stdexcept>

#include "FileBytes.h"

namespace {

int RowBytes(int width, int bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

// The AND mask: a set bit leaves the screen showing through.
QByteArray AndMask(const QImage& image) {
  QByteArray mask;
  const int rowBytes = RowBytes(image.width(), 1);
  for (int y = image.height() - 1; y >= 0; --y) {
    QByteArray row(rowBytes, '\0');
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) < 128) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    mask.append(row);
  }
  return mask;
}

QByteArray ColourBits(const QImage& image, bool indexed) {
  QByteArray bits;
  if (indexed) {
    const int rowBytes = RowBytes(image.width(), 4);
    for (int y = image.height() - 1; y >= 0; --y) {
      QByteArray row(rowBytes, '\0');
      const uchar* line = image.constScanLine(y);
      for (int x = 0; x < image.width(); ++x)
        row[x / 2] = static_cast<char>(row[x / 2] | ((line[x] & 0x0F) << (x % 2 == 0 ? 4 : 0)));
      bits.append(row);
    }
    return bits;
  }
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = argb.height() - 1; y >= 0; --y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb pixel = argb.pixel(x, y);
      bits.append(static_cast<char>(qBlue(pixel)));
      bits.append(static_cast<char>(qGreen(pixel)));
      bits.append(static_cast<char>(qRed(pixel)));
      bits.append(static_cast<char>(qAlpha(pixel)));
    }
  return bits;
}

}  // namespace

void WriteIcon(const QImage& image, const QString& path) {
  if (image.width() < 1 || image.height() < 1 || image.width() > 256 || image.height() > 256)
    throw std::runtime_error("icon size out of range: " + path.toStdString());
  const bool indexed = image.format() == QImage::Format_Indexed8 && image.colorCount() <= 16;
  const int bitsPerPixel = indexed ? 4 : 32;
  QByteArray palette;
  if (indexed)
    for (int i = 0; i < 16; ++i) {
      const QRgb colour = i < image.colorCount() ? image.color(i) : qRgb(0, 0, 0);
      palette.append(static_cast<char>(qBlue(colour)));
      palette.append(static_cast<char>(qGreen(colour)));
      palette.append(static_cast<char>(qRed(colour)));
      palette.append('\0');
    }
  const QByteArray colourBits = ColourBits(image, indexed);
  const QByteArray mask = AndMask(image);

  QByteArray dib;
  Put32(dib, 40);
  Put32(dib, image.width());
  Put32(dib, image.height() * 2);  // an icon's DIB height counts the colour bits and the mask
  Put16(dib, 1);
  Put16(dib, bitsPerPixel);
  Put32(dib, 0);
  Put32(dib, colourBits.size() + mask.size());
  Put32(dib, 0);
  Put32(dib, 0);
  Put32(dib, indexed ? 16 : 0);
  Put32(dib, 0);
  dib.append(palette).append(colourBits).append(mask);

  QByteArray file;
  Put16(file, 0);
  Put16(file, 1);  // type 1: icon
  Put16(file, 1);
  file.append(static_cast<char>(image.width() == 256 ? 0 : image.width()));
  file.append(static_cast<char>(image.height() == 256 ? 0 : image.height()));
  file.append(static_cast<char>(indexed ? 16 : 0));
  file.append('\0');
  Put16(file, 1);
  Put16(file, bitsPerPixel);
  Put32(file, dib.size());
  Put32(file, 6 + 16);
  file.append(dib);

  WriteFileBytes(path, file);
}
