// EMF+ images beyond their edges, by their pixels: image attributes' wrap modes and clamp colour on
// DrawImage, and texture brushes' wrap modes.
#include <gtest/gtest.h>

#include <QImage>
#include <limits>
#include <optional>
#include <utility>

#include "EmfPlusTesting.h"
#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

using namespace emfplustest;

const QColor kYellow(255, 255, 0);

// Two by two pixels: red, green over blue, yellow.
QImage Quarters() {
  QImage image(2, 2, QImage::Format_ARGB32);
  image.setPixelColor(0, 0, kRed);
  image.setPixelColor(1, 0, kGreen);
  image.setPixelColor(0, 1, kBlue);
  image.setPixelColor(1, 1, kYellow);
  return image;
}

// The bitmap's source (0, 0, 4, 4), twice its size, drawn onto (10, 10, 80, 80): a source pixel is 20
// units, the bitmap fills the top left quarter. wrap < 0 draws without attributes.
QImage DrawnTwiceItsSize(int wrap, const QColor& clamp = Qt::transparent) {
  return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).BitmapImage(1, Quarters());
    if (wrap >= 0) plus.ImageAttributes(2, wrap, clamp);
    plus.DrawImage(1, wrap >= 0 ? 2 : -1, QRectF(0, 0, 4, 4), QRectF(10, 10, 80, 80)).Flush(emf);
  }));
}

// The colour at the middle of the source pixel (x, y) of DrawnTwiceItsSize.
QColor AtSourcePixel(const QImage& image, int x, int y) {
  return image.pixelColor(20 + 20 * x, 20 + 20 * y);
}

}  // namespace

TEST(EmfPlusImages, WithoutAttributesNothingShowsBeyondTheBitmap) {
  const QImage image = DrawnTwiceItsSize(-1);
  EXPECT_TRUE(Near(AtSourcePixel(image, 0, 0), kRed));
  EXPECT_TRUE(Near(AtSourcePixel(image, 1, 1), kYellow));
  EXPECT_TRUE(Near(AtSourcePixel(image, 2, 0), kWhite));
  EXPECT_TRUE(Near(AtSourcePixel(image, 3, 3), kWhite));
}

TEST(EmfPlusImages, TiledTheBitmapRepeats) {
  const QImage image = DrawnTwiceItsSize(EmfPlus::kWrapTile);
  for (int y = 0; y < 4; ++y) {
    EXPECT_TRUE(Near(AtSourcePixel(image, 2, y), AtSourcePixel(image, 0, y))) << y;
    EXPECT_TRUE(Near(AtSourcePixel(image, 3, y), AtSourcePixel(image, 1, y))) << y;
  }
  EXPECT_TRUE(Near(AtSourcePixel(image, 2, 2), kRed));
  EXPECT_TRUE(Near(AtSourcePixel(image, 3, 3), kYellow));
  // Only within the destination.
  EXPECT_TRUE(Near(image.pixelColor(95, 50), kWhite));
}

TEST(EmfPlusImages, FlippedTilesMirrorEveryOtherCopy) {
  const QImage flipX = DrawnTwiceItsSize(EmfPlus::kWrapTileFlipX);
  EXPECT_TRUE(Near(AtSourcePixel(flipX, 2, 0), kGreen));
  EXPECT_TRUE(Near(AtSourcePixel(flipX, 3, 0), kRed));
  EXPECT_TRUE(Near(AtSourcePixel(flipX, 0, 2), kRed));  // below, repeated as it is
  const QImage flipY = DrawnTwiceItsSize(EmfPlus::kWrapTileFlipY);
  EXPECT_TRUE(Near(AtSourcePixel(flipY, 0, 2), kBlue));
  EXPECT_TRUE(Near(AtSourcePixel(flipY, 0, 3), kRed));
  EXPECT_TRUE(Near(AtSourcePixel(flipY, 2, 0), kRed));  // beside, repeated as it is
  const QImage flipXY = DrawnTwiceItsSize(EmfPlus::kWrapTileFlipXY);
  EXPECT_TRUE(Near(AtSourcePixel(flipXY, 2, 2), kYellow));
  EXPECT_TRUE(Near(AtSourcePixel(flipXY, 3, 3), kRed));
  EXPECT_TRUE(Near(AtSourcePixel(flipXY, 2, 0), kGreen));
}

TEST(EmfPlusImages, ClampedTheClampColourFillsTheRest) {
  const QImage image = DrawnTwiceItsSize(EmfPlus::kWrapClamp, QColor(128, 0, 128));
  EXPECT_TRUE(Near(AtSourcePixel(image, 0, 0), kRed));
  EXPECT_TRUE(Near(AtSourcePixel(image, 1, 1), kYellow));
  for (const auto& [x, y] : {std::pair{2, 0}, {0, 2}, {3, 3}})
    EXPECT_TRUE(Near(AtSourcePixel(image, x, y), QColor(128, 0, 128))) << x << "," << y;
  EXPECT_TRUE(Near(image.pixelColor(95, 50), kWhite));
  // A transparent clamp colour leaves the background.
  const QImage clear = DrawnTwiceItsSize(EmfPlus::kWrapClamp);
  EXPECT_TRUE(Near(AtSourcePixel(clear, 3, 3), kWhite));
  EXPECT_TRUE(Near(AtSourcePixel(clear, 0, 0), kRed));
}

TEST(EmfPlusImages, ASourceWithinTheBitmapIgnoresTheWrapMode) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).BitmapImage(1, Quarters()).ImageAttributes(2, EmfPlus::kWrapClamp, kBlue);
    plus.DrawImage(1, 2, QRectF(1, 0, 1, 2), QRectF(10, 10, 40, 80)).Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(30, 30), kGreen));
  EXPECT_TRUE(Near(image.pixelColor(30, 70), kYellow));
  EXPECT_TRUE(Near(image.pixelColor(70, 50), kWhite));
}

namespace {

// The whole picture filled with a texture of Quarters, each pixel 10 units.
QImage FilledWithTexture(int wrap) {
  return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).TextureBrush(1, Quarters(), wrap, QTransform::fromScale(10, 10));
    plus.FillRectsWithBrush(1, {QRectF(0, 0, 100, 100)}).Flush(emf);
  }));
}

// The colour at the middle of the texture pixel (x, y) of FilledWithTexture.
QColor AtTexturePixel(const QImage& image, int x, int y) {
  return image.pixelColor(5 + 10 * x, 5 + 10 * y);
}

}  // namespace

TEST(EmfPlusImages, TextureBrushesTileFlipOrClamp) {
  const QImage tiled = FilledWithTexture(EmfPlus::kWrapTile);
  EXPECT_TRUE(Near(AtTexturePixel(tiled, 2, 0), kRed));
  EXPECT_TRUE(Near(AtTexturePixel(tiled, 5, 5), kYellow));
  const QImage flipped = FilledWithTexture(EmfPlus::kWrapTileFlipXY);
  EXPECT_TRUE(Near(AtTexturePixel(flipped, 0, 0), kRed));
  EXPECT_TRUE(Near(AtTexturePixel(flipped, 2, 0), kGreen));
  EXPECT_TRUE(Near(AtTexturePixel(flipped, 0, 2), kBlue));
  EXPECT_TRUE(Near(AtTexturePixel(flipped, 2, 2), kYellow));
  EXPECT_TRUE(Near(AtTexturePixel(flipped, 4, 4), kRed));
  const QImage clamped = FilledWithTexture(EmfPlus::kWrapClamp);
  EXPECT_TRUE(Near(AtTexturePixel(clamped, 0, 0), kRed));
  EXPECT_TRUE(Near(AtTexturePixel(clamped, 1, 1), kYellow));
  EXPECT_TRUE(Near(AtTexturePixel(clamped, 2, 0), kWhite));
  EXPECT_TRUE(Near(AtTexturePixel(clamped, 5, 5), kWhite));
}

// A source of no finite size is no source: the whole bitmap, wrapped nowhere.
TEST(EmfPlusImages, ASourceOfNoFiniteSizeDrawsTheWholeBitmap) {
  const float huge = std::numeric_limits<float>::infinity();
  for (const int wrap : {int{EmfPlus::kWrapTileFlipXY}, int{EmfPlus::kWrapClamp}}) {
    const QImage image = Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
      plus.Header(false).BitmapImage(1, Quarters()).ImageAttributes(2, wrap, kBlue);
      plus.DrawImage(1, 2, QRectF(0, 0, huge, 4), QRectF(10, 10, 80, 80)).Flush(emf);
    }));
    EXPECT_TRUE(Near(image.pixelColor(30, 30), kRed)) << wrap;
    EXPECT_TRUE(Near(image.pixelColor(70, 70), kYellow)) << wrap;
  }
}
