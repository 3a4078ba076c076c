#include "JpegSeeds.h"

#include <QImage>
#include <stdexcept>
#include <string>

#include "CorpusBytes.h"
#include "InkJpegWriter.h"
#include "jpeg/JpegDecoder.h"
#include "jpeg/JpegOrientation.h"

namespace {

// Wider than high and different in every corner, so a wrong turn shows.
QImage Asymmetric(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y,
                     qRgb(x * 255 / width, y * 255 / height, x < width / 3 && y < height / 2 ? 230 : 30));
  return image;
}

// The same orientation in a big-endian TIFF block, with a second entry before it.
QByteArray MotorolaExif(int orientation) {
  const unsigned char bytes[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 2,
                                 // ImageWidth, SHORT, 1, 33
                                 0x01, 0x00, 0, 3, 0, 0, 0, 1, 0, 33, 0, 0,
                                 // Orientation, SHORT, 1
                                 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, static_cast<unsigned char>(orientation), 0,
                                 0, 0, 0, 0, 0};
  return QByteArray(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

}  // namespace

QByteArray WithSegment(const QByteArray& jpeg, int appNumber, const QByteArray& payload) {
  if (payload.size() > 0xFFFF - 2) throw std::runtime_error("segment too long");
  QByteArray segment(4, '\0');
  segment[0] = '\xFF';
  segment[1] = static_cast<char>(0xE0 + appNumber);
  PatchBig16(segment, 2, payload.size() + 2);
  return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

std::vector<TCorpusFile> JpegSeeds() {
  std::vector<TCorpusFile> seeds;
  const QImage picture = Asymmetric(33, 17);
  for (int orientation = 1; orientation <= 8; ++orientation)
    seeds.push_back({"exif-" + std::to_string(orientation) + ".jpg",
                     EncodeJpeg(picture, {.quality = 80, .orientation = orientation})});
  const QByteArray plain = EncodeJpeg(picture, {.quality = 80});
  seeds.push_back({"exif-motorola-8.jpg", WithSegment(plain, 1, MotorolaExif(8))});
  const QByteArray xmp("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41);
  seeds.push_back(
      {"exif-after-xmp-6.jpg", WithSegment(WithSegment(plain, 1, ExifOrientationPayload(6)), 1, xmp)});
  const QImage ink = Asymmetric(24, 16);
  seeds.push_back({"cmyk.jpg", EncodeInkJpeg(ink, {})});
  seeds.push_back({"cmyk-adobe.jpg", EncodeInkJpeg(ink, {.adobeMarker = true})});
  seeds.push_back({"ycck.jpg", EncodeInkJpeg(ink, {.ycck = true})});
  seeds.push_back({"ycck-adobe.jpg", EncodeInkJpeg(ink, {.ycck = true, .adobeMarker = true})});
  seeds.push_back({"ycck-adobe-progressive.jpg",
                   EncodeInkJpeg(ink, {.ycck = true, .adobeMarker = true, .progressive = true})});
  seeds.push_back({"cmyk-adobe-exif-6.jpg",
                   WithSegment(EncodeInkJpeg(ink, {.adobeMarker = true}), 1, ExifOrientationPayload(6))});
  return seeds;
}
