#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QtEndian>
#include <random>

#include "bitmap/DibReader.h"
#include "bitmap/IconReader.h"

namespace {
void Put16(QByteArray& bytes, qsizetype at, quint16 value) {
  qToLittleEndian<quint16>(value, reinterpret_cast<uchar*>(bytes.data()) + at);
}
void Put32(QByteArray& bytes, qsizetype at, quint32 value) {
  qToLittleEndian<quint32>(value, reinterpret_cast<uchar*>(bytes.data()) + at);
}

// A Windows info header of `size` bytes (40, 52, 56, 108 or 124).
QByteArray InfoHeader(int size, qint32 width, qint32 height, int bits, quint32 compression,
                      quint32 colours = 0) {
  QByteArray h(size, '\0');
  Put32(h, 0, size);
  Put32(h, 4, static_cast<quint32>(width));
  Put32(h, 8, static_cast<quint32>(height));
  Put16(h, 12, 1);
  Put16(h, 14, bits);
  Put32(h, 16, compression);
  Put32(h, 32, colours);
  return h;
}

QByteArray CoreHeader(quint16 width, quint16 height, int bits) {
  QByteArray h(12, '\0');
  Put32(h, 0, 12);
  Put16(h, 4, width);
  Put16(h, 6, height);
  Put16(h, 8, 1);
  Put16(h, 10, bits);
  return h;
}

QByteArray BmpFile(const QByteArray& dib, qsizetype bitsOffset) {
  QByteArray file(14, '\0');
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<quint32>(14 + dib.size()));
  Put32(file, 10, static_cast<quint32>(14 + bitsOffset));
  return file + dib;
}

QByteArray Entry(quint8 r, quint8 g, quint8 b, int size = 4) {
  QByteArray e(size, '\0');
  e[0] = static_cast<char>(b);
  e[1] = static_cast<char>(g);
  e[2] = static_cast<char>(r);
  return e;
}
}  // namespace

TEST(DibReader, OS2CoreHeaderUsesThreeByteColoursAndGoesBottomUp) {
  QByteArray dib = CoreHeader(2, 2, 8) + Entry(255, 0, 0, 3) + Entry(0, 0, 255, 3);
  const qsizetype bits = dib.size();
  dib += QByteArray("\x00\x01\x00\x00\x01\x00\x00\x00", 8);  // bottom row: red blue; top row: blue red
  const TDibResult result = DecodeDib(dib, bits);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.pixel(0, 1), qRgb(255, 0, 0));
  EXPECT_EQ(result.image.pixel(1, 1), qRgb(0, 0, 255));
  EXPECT_EQ(result.image.pixel(0, 0), qRgb(0, 0, 255));
  EXPECT_EQ(PackedDibBitsOffset(CoreHeader(2, 2, 8)), 12 + 256 * 3);
}

TEST(DibReader, ShortColourTableEndsWhereThePixelsBeginAndMissingEntriesAreBlack) {
  // A 2-bit picture declaring no colour count carries only two of its four colours.
  QByteArray dib = InfoHeader(40, 4, 1, 2, 0) + Entry(10, 20, 30) + Entry(40, 50, 60);
  const qsizetype bits = dib.size();
  dib += QByteArray("\x1B\x00\x00\x00", 4);  // indices 0 1 2 3
  const TDibResult result = DecodeDib(dib, bits);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.pixel(0, 0), qRgb(10, 20, 30));
  EXPECT_EQ(result.image.pixel(1, 0), qRgb(40, 50, 60));
  EXPECT_EQ(result.image.pixel(2, 0), qRgb(0, 0, 0));
  EXPECT_EQ(result.image.pixel(3, 0), qRgb(0, 0, 0));
}

TEST(DibReader, UnusualBitMasksAreWidenedToEightBits) {
  // 32 bits: 6 red bits at the top, 17 green, 5 blue, 4 alpha in the lowest bits.
  QByteArray dib = InfoHeader(56, 1, 1, 32, 3);
  Put32(dib, 40, 0xFC000000);
  Put32(dib, 44, 0x03FFFE00);
  Put32(dib, 48, 0x000001F0);
  Put32(dib, 52, 0x0000000F);
  QByteArray pixel(4, '\0');
  Put32(pixel, 0, 0xFC000000u | 0xFFFFu << 9 | 0xFu);
  const TDibResult result = DecodeDib(dib + pixel, dib.size());
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  const QRgb colour = result.image.pixel(0, 0);
  EXPECT_EQ(qRed(colour), 255);
  EXPECT_NEAR(qGreen(colour), 127, 1);
  EXPECT_EQ(qBlue(colour), 0);
  EXPECT_EQ(qAlpha(colour), 255);
}

TEST(DibReader, MasksAfterAShortHeaderAndTopDownRows) {
  QByteArray dib = InfoHeader(40, 1, -2, 16, 3);
  QByteArray masks(12, '\0');
  Put32(masks, 0, 0xF800);
  Put32(masks, 4, 0x07E0);
  Put32(masks, 8, 0x001F);
  dib += masks;
  const qsizetype bits = dib.size();
  dib += QByteArray("\x00\xF8\x00\x00\x1F\x00\x00\x00", 8);  // red row first, then blue
  const TDibResult result = DecodeDib(dib, bits);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(result.image.pixel(0, 1), qRgb(0, 0, 255));
}

TEST(DibReader, SixtyFourBitPixelsAreLinearLightTurnedToSrgb) {
  QByteArray dib = InfoHeader(40, 1, 1, 64, 0);
  QByteArray pixel(8, '\0');
  Put16(pixel, 0, 0);     // blue
  Put16(pixel, 2, 1802);  // green: 0.22 linear is about 128 in sRGB
  Put16(pixel, 4, 8192);  // red: 1.0
  Put16(pixel, 6, 8192);  // opaque
  const TDibResult result = DecodeDib(dib + pixel, dib.size());
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  const QRgb colour = result.image.pixel(0, 0);
  EXPECT_EQ(qRed(colour), 255);
  EXPECT_NEAR(qGreen(colour), 128, 2);
  EXPECT_EQ(qBlue(colour), 0);
}

TEST(DibReader, FourthByteOfPlain32BitPixelsIsAlphaOnlyWhenAsked) {
  const QByteArray dib = InfoHeader(40, 2, 1, 32, 0);
  QByteArray pixels(8, '\0');
  Put32(pixels, 0, 0x80402010u);  // half transparent
  Put32(pixels, 4, 0x00FF0000u);  // fully transparent red
  const TDibResult plain = DecodeDib(dib + pixels, dib.size());
  ASSERT_FALSE(plain.image.isNull());
  EXPECT_EQ(qAlpha(plain.image.pixel(0, 0)), 255);
  TDibDecodeOptions options;
  options.alphaInFourthByte = true;
  const TDibResult alpha = DecodeDib(dib + pixels, dib.size(), options);
  ASSERT_FALSE(alpha.image.isNull());
  EXPECT_EQ(alpha.image.pixel(0, 0), qRgba(0x40, 0x20, 0x10, 0x80));
  EXPECT_EQ(qAlpha(alpha.image.pixel(1, 0)), 0);
  // All-zero fourth bytes mean an opaque picture, as for declared alpha masks.
  QByteArray opaque(8, '\0');
  Put32(opaque, 0, 0x00FF0000u);
  const TDibResult unused = DecodeDib(dib + opaque, dib.size(), options);
  ASSERT_FALSE(unused.image.isNull());
  EXPECT_EQ(unused.image.pixel(0, 0), qRgb(255, 0, 0));
  // Bit masks that leave the top byte free keep alpha there too.
  QByteArray masked = InfoHeader(40, 2, 1, 32, 3);
  QByteArray masks(12, '\0');
  Put32(masks, 0, 0xFF0000);
  Put32(masks, 4, 0xFF00);
  Put32(masks, 8, 0xFF);
  masked += masks;
  const TDibResult bitfields = DecodeDib(masked + pixels, masked.size(), options);
  ASSERT_FALSE(bitfields.image.isNull());
  EXPECT_EQ(bitfields.image.pixel(0, 0), qRgba(0x40, 0x20, 0x10, 0x80));
}

TEST(DibReader, RunLength24AndRunLength8WithDeltaAndTopDownRows) {
  QByteArray rle24 = InfoHeader(64, 3, 1, 24, 4);  // OS/2 v2 header
  const qsizetype bits = rle24.size();
  rle24 += QByteArray("\x02\x00\x00\xFF\x00\x01\x00\x00", 8);  // two red, then end of bitmap
  TDibResult result = DecodeDib(rle24, bits);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(result.image.pixel(1, 0), qRgb(255, 0, 0));
  EXPECT_EQ(result.image.pixel(2, 0), qRgb(0, 0, 0));

  QByteArray rle8 = InfoHeader(40, 3, -2, 8, 1, 2) + Entry(0, 0, 0) + Entry(0, 255, 0);
  const qsizetype bits8 = rle8.size();
  // Row 0: skip one pixel then colour 1; end of line; row 1: three of colour 1; end of bitmap.
  rle8 += QByteArray("\x00\x02\x01\x00\x01\x01\x00\x00\x03\x01\x00\x01", 12);
  result = DecodeDib(rle8, bits8);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(result.image.pixel(1, 0), qRgb(0, 255, 0));
  EXPECT_EQ(result.image.pixel(2, 1), qRgb(0, 255, 0));
}

TEST(DibReader, EmbeddedPngIsDecoded) {
  QImage source(3, 2, QImage::Format_RGB32);
  source.fill(qRgb(1, 2, 250));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(source.save(&buffer, "PNG"));
  const QByteArray dib = InfoHeader(124, 3, 2, 0, 5);
  const TDibResult result = DecodeBmpFile(BmpFile(dib + png, dib.size()));
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.size(), QSize(3, 2));
  EXPECT_EQ(result.image.pixel(2, 1), qRgb(1, 2, 250));
}

TEST(DibReader, AbsurdAndCutShortBitmapsAreRefused) {
  EXPECT_TRUE(DecodeDib(InfoHeader(40, 100000, 100000, 24, 0), 40).image.isNull());
  EXPECT_TRUE(DecodeDib(InfoHeader(40, 4, 4, 24, 0) + QByteArray(10, '\0'), 40).image.isNull());
  EXPECT_TRUE(DecodeDib(InfoHeader(40, 4, 4, 24, 0) + QByteArray(48, '\0'), -5).image.isNull());
  EXPECT_TRUE(DecodeDib(InfoHeader(40, 4, 4, 24, 0) + QByteArray(48, '\0'), 1000).image.isNull());
  EXPECT_TRUE(DecodeDib(InfoHeader(40, 4, 4, 3, 0) + QByteArray(48, '\0'), 40).image.isNull());
  EXPECT_TRUE(DecodeBmpFile(QByteArray("BM")).image.isNull());
  EXPECT_FALSE(DecodeDib(InfoHeader(40, 4, 4, 24, 0) + QByteArray(48, '\0'), 40).image.isNull());
}

TEST(DibReader, ScrambledBitmapsNeverCrash) {
  QByteArray dib = InfoHeader(40, 9, 7, 4, 2, 16);
  for (int i = 0; i < 16; ++i) dib += Entry(i * 16, 255 - i * 16, i);
  const qsizetype bits = dib.size();
  for (int i = 0; i < 60; ++i) dib += static_cast<char>(i * 37);
  TDibDecodeOptions small;
  small.maxPixels = 1 << 20;
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    QByteArray scrambled = dib;
    for (int flip = 0; flip < 6; ++flip)
      scrambled[static_cast<qsizetype>(random() % scrambled.size())] = static_cast<char>(random() & 0xFF);
    const TDibResult result =
        DecodeBmpFile(BmpFile(scrambled.left(random() % (scrambled.size() + 1)), bits), small);
    if (!result.image.isNull()) {
      EXPECT_LE(static_cast<long long>(result.image.width()) * result.image.height(), small.maxPixels);
    }
  }
}

namespace {
QByteArray IconFile(const QList<QByteArray>& images, const QList<QSize>& sizes) {
  QByteArray file(6 + 16 * images.size(), '\0');
  Put16(file, 2, 1);
  Put16(file, 4, static_cast<quint16>(images.size()));
  for (qsizetype i = 0; i < images.size(); ++i) {
    const qsizetype at = 6 + 16 * i;
    file[at] = static_cast<char>(sizes[i].width());
    file[at + 1] = static_cast<char>(sizes[i].height());
    Put32(file, at + 8, static_cast<quint32>(images[i].size()));
    Put32(file, at + 12, static_cast<quint32>(file.size()));
    file += images[i];
  }
  return file;
}

// A 24-bit icon bitmap of one colour whose AND mask makes the top-left pixel transparent.
QByteArray IconBitmap(int size, QRgb colour) {
  QByteArray dib = InfoHeader(40, size, size * 2, 24, 0);
  const int stride = (size * 3 + 3) / 4 * 4;
  for (int y = 0; y < size; ++y) {
    QByteArray row(stride, '\0');
    for (int x = 0; x < size; ++x) {
      row[x * 3] = static_cast<char>(qBlue(colour));
      row[x * 3 + 1] = static_cast<char>(qGreen(colour));
      row[x * 3 + 2] = static_cast<char>(qRed(colour));
    }
    dib += row;
  }
  const int maskStride = (size + 31) / 32 * 4;
  for (int y = 0; y < size; ++y) {
    QByteArray row(maskStride, '\0');
    if (y == size - 1) row[0] = static_cast<char>(0x80);  // the top row is stored last
    dib += row;
  }
  return dib;
}
}  // namespace

TEST(IconReader, LargestEntryIsShownWithItsMask) {
  const QByteArray icon =
      IconFile({IconBitmap(4, qRgb(255, 0, 0)), IconBitmap(8, qRgb(0, 0, 255))}, {QSize(4, 4), QSize(8, 8)});
  const TDibResult result = DecodeIconFile(icon, 1 << 20);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.size(), QSize(8, 8));
  EXPECT_EQ(qAlpha(result.image.pixel(0, 0)), 0);
  EXPECT_EQ(result.image.pixel(1, 0), qRgb(0, 0, 255));
  EXPECT_EQ(result.image.pixel(7, 7), qRgb(0, 0, 255));
}

TEST(IconReader, DirectorySizeStandsInForAnAbsurdBitmapHeader) {
  QByteArray bitmap = IconBitmap(4, qRgb(0, 200, 0));
  Put32(bitmap, 4, 0xFFFF);
  Put32(bitmap, 8, 0xFFFF);
  const TDibResult result = DecodeIconFile(IconFile({bitmap}, {QSize(4, 4)}), 1 << 20);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  EXPECT_EQ(result.image.size(), QSize(4, 4));
  EXPECT_EQ(result.image.pixel(3, 3), qRgb(0, 200, 0));
}

TEST(IconReader, ScrambledIconsNeverCrash) {
  const QByteArray icon =
      IconFile({IconBitmap(4, qRgb(255, 0, 0)), IconBitmap(8, qRgb(0, 0, 255))}, {QSize(4, 4), QSize(8, 8)});
  std::mt19937 random(11);
  for (int round = 0; round < 2000; ++round) {
    QByteArray scrambled = icon;
    for (int flip = 0; flip < 4; ++flip)
      scrambled[static_cast<qsizetype>(random() % 120)] = static_cast<char>(random() & 0xFF);
    const TDibResult result = DecodeIconFile(scrambled.left(random() % (scrambled.size() + 1)), 1 << 20);
    if (!result.image.isNull()) {
      EXPECT_LE(static_cast<long long>(result.image.width()) * result.image.height(), 1 << 20);
    }
  }
}
