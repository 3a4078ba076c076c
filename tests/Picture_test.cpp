#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <random>

#include "BmpHeader.h"

#include "Picture.h"
#include "bitmap/RasterGraphic.h"
#include "jpeg/JpegImage.h"

namespace {
QByteArray Encode(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return bytes;
}

QImage Gradient(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgba(x * 255 / w, y * 255 / h, 90, 255));
  return image;
}

// Loads and reports whether it worked; any error other than an invalid picture fails the test.
bool LoadsOrRefuses(TPicture& picture, const QByteArray& bytes, const QString& extension) {
  try {
    picture.LoadFromBytes(bytes, extension);
    return true;
  } catch (const EInvalidGraphic&) {
    return false;
  }
}
}  // namespace

TEST(Picture, ExtensionIsTakenFromTheFinalComponentOnly) {
  EXPECT_EQ(TPicture::ExtensionOf(QStringLiteral("/f/dir.jpg/card")), QString());
  EXPECT_EQ(TPicture::ExtensionOf(QStringLiteral("f/base.JPEG")), QStringLiteral("jpeg"));
  EXPECT_EQ(TPicture::ExtensionOf(QStringLiteral("a.b.Bmp")), QStringLiteral("bmp"));
  EXPECT_EQ(TPicture::ExtensionOf(QStringLiteral("trailing.")), QString());
}

TEST(Picture, KindIsCheckedBeforeTheFileIsOpened) {
  TPicture picture;
  EXPECT_THROW(picture.LoadFromFile(QStringLiteral("/nonexistent/photo.gif")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromFile(QStringLiteral("/nonexistent/photo")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromFile(QStringLiteral("/nonexistent/photo.bmp")), EFOpenError);
}

TEST(Picture, AOneOffLoadPicksTheKindByTheExtensionAsTheHolderDoes) {
  QTemporaryDir dir;
  const QByteArray jpeg = Encode(Gradient(64, 48), "jpg");
  const QString asJpeg = dir.filePath(QStringLiteral("photo.Jpeg"));
  const QString asBitmap = dir.filePath(QStringLiteral("photo.bmp"));
  for (const QString& path : {asJpeg, asBitmap}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(jpeg);
  }
  const std::unique_ptr<TGraphic> graphic = LoadGraphicFromFile(asJpeg);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(graphic.get()), nullptr);
  EXPECT_EQ(QSize(graphic->Width(), graphic->Height()), QSize(64, 48));
  // The name decides, not the content: JPEG bytes are no bitmap.
  EXPECT_THROW(LoadGraphicFromFile(asBitmap), EInvalidGraphic);
  EXPECT_THROW(LoadGraphicFromFile(dir.filePath(QStringLiteral("photo.gif"))), EInvalidGraphic);
  EXPECT_THROW(LoadGraphicFromFile(dir.filePath(QStringLiteral("missing.wmf"))), EFOpenError);
}

TEST(Picture, LoadsEachRasterKindAndNotifiesOnce) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("photo.JPG"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(Encode(Gradient(64, 48), "jpg"));
  file.close();

  TPicture picture;
  int changes = 0;
  picture.SetOnChange([&] { ++changes; });
  picture.LoadFromFile(path);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(picture.IsJPEG());
  EXPECT_EQ(picture.Width(), 64);

  picture.LoadFromBytes(Encode(Gradient(30, 20), "bmp"), QStringLiteral("BMP"));
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(picture.IsJPEG());
  auto* bitmap = dynamic_cast<TRasterGraphic*>(picture.Graphic());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetKind(), TRasterGraphic::Kind::Bitmap);
  EXPECT_EQ(bitmap->Image().pixel(29, 19) & 0xFFFFFF, Gradient(30, 20).pixel(29, 19) & 0xFFFFFF);

  picture.LoadFromBytes(Encode(Gradient(16, 16), "ico"), QStringLiteral("ico"));
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(picture.Height(), 16);

  picture.Clear();
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.Height(), 0);
}

TEST(Picture, AFailedLoadKeepsThePreviousPictureSilently) {
  TPicture picture;
  picture.LoadFromBytes(Encode(Gradient(30, 20), "bmp"), QStringLiteral("bmp"));
  const TGraphic* before = picture.Graphic();
  int changes = 0;
  picture.SetOnChange([&] { ++changes; });
  EXPECT_THROW(picture.LoadFromBytes(QByteArray("BMnonsense"), QStringLiteral("bmp")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromBytes(Encode(Gradient(30, 20), "bmp"), QStringLiteral("png")),
               EInvalidGraphic);
  EXPECT_EQ(picture.Graphic(), before);
  EXPECT_EQ(changes, 0);
}

TEST(Picture, ForwardsThePicturesOwnChanges) {
  TPicture picture;
  picture.LoadFromBytes(Encode(Gradient(64, 48), "jpg"), QStringLiteral("jpeg"));
  int changes = 0;
  picture.SetOnChange([&] { ++changes; });
  auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
  ASSERT_NE(jpeg, nullptr);
  jpeg->SetScale(TJPEGScale::jsHalf);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(picture.Width(), 32);
  picture.Clear();
  EXPECT_EQ(changes, 2);
}

TEST(Picture, AbsurdBitmapSizesAreRefused) {
  TPicture picture;
  EXPECT_THROW(picture.LoadFromBytes(BmpHeader(65535, 65535), QStringLiteral("bmp")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromBytes(BmpHeader(8193, 8193), QStringLiteral("bmp")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromBytes(BmpHeader(16, INT32_MIN), QStringLiteral("bmp")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromBytes(BmpHeader(-16, 16), QStringLiteral("bmp")), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromBytes(BmpHeader(16, 0), QStringLiteral("bmp")), EInvalidGraphic);
  // A top-down bitmap (negative height) with all its rows is fine.
  QByteArray topDown = BmpHeader(2, -2) + QByteArray(16, '\x40');
  qToLittleEndian<quint32>(static_cast<quint32>(topDown.size()), topDown.data() + 2);
  EXPECT_TRUE(LoadsOrRefuses(picture, topDown, QStringLiteral("bmp")));
  EXPECT_EQ(picture.Height(), 2);
}

// A run-length bitmap whose runs use colour 200 while its table holds two colours.
QByteArray RunLengthBitmapPastItsColours() {
  const QByteArray table("\x00\x00\xff\x00\xff\xff\xff\x00", 8);  // red, white
  // Bottom row: two white, two of colour 200; top row: four red; end of bitmap.
  const QByteArray runs("\x02\x01\x02\xc8\x00\x00\x04\x00\x00\x01", 10);
  QByteArray bytes = BmpHeader(4, 2);
  auto* d = reinterpret_cast<uchar*>(bytes.data());
  qToLittleEndian<quint32>(static_cast<quint32>(54 + table.size() + runs.size()), d + 2);
  qToLittleEndian<quint32>(static_cast<quint32>(54 + table.size()), d + 10);
  qToLittleEndian<quint16>(8, d + 28);  // bits per pixel
  qToLittleEndian<quint32>(1, d + 30);  // BI_RLE8
  qToLittleEndian<quint32>(2, d + 46);  // colours used
  return bytes + table + runs;
}

TEST(Picture, PixelsPastTheColourTableDrawBlack) {
  TPicture picture;
  picture.LoadFromBytes(RunLengthBitmapPastItsColours(), QStringLiteral("bmp"));
  const QImage& image = dynamic_cast<TRasterGraphic&>(*picture.Graphic()).Image();
  EXPECT_EQ(image.pixel(3, 1), qRgb(0, 0, 0));
  QImage canvas(4, 2, QImage::Format_RGB32);
  canvas.fill(Qt::green);
  QPainter painter(&canvas);
  picture.Graphic()->Draw(painter, QRect(0, 0, 4, 2));
  picture.Graphic()->Draw(painter, QRect(0, 0, 2, 1));  // scaled, through another path of Qt's
  painter.end();
  // The bottom row (stored first) is white then colour 200; the top row red.
  EXPECT_EQ(canvas.pixel(0, 1), qRgb(255, 255, 255));
  EXPECT_EQ(canvas.pixel(3, 1), qRgb(0, 0, 0));
  EXPECT_EQ(canvas.pixel(3, 0), qRgb(255, 0, 0));
}

TEST(Picture, EveryTruncationOfABitmapIsRefused) {
  const QByteArray bmp = Encode(Gradient(20, 10), "bmp");
  TPicture picture;
  for (qsizetype length = 0; length < bmp.size(); ++length)
    ASSERT_FALSE(LoadsOrRefuses(picture, bmp.left(length), QStringLiteral("bmp"))) << length;
  EXPECT_TRUE(LoadsOrRefuses(picture, bmp, QStringLiteral("bmp")));
}

TEST(Picture, TruncatedAndScrambledIconsNeverCrash) {
  const QByteArray ico = Encode(Gradient(32, 32), "ico");
  TPicture picture;
  for (qsizetype length = 0; length < ico.size(); length += 7)
    LoadsOrRefuses(picture, ico.left(length), QStringLiteral("ico"));
  std::mt19937 random(4);
  for (int round = 0; round < 300; ++round) {
    QByteArray scrambled = ico;
    for (int flip = 0; flip < 4; ++flip)
      scrambled[static_cast<qsizetype>(random() % 64)] = static_cast<char>(random() & 0xFF);
    if (LoadsOrRefuses(picture, scrambled, QStringLiteral("ico"))) {
      EXPECT_GT(picture.Width(), 0);
      EXPECT_LE(static_cast<long long>(picture.Width()) * picture.Height(), TRasterGraphic::kMaxPixels);
    }
  }
}
