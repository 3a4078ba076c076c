// EMF+ images beyond their edges, by their pixels: image attributes' wrap modes and clamp colour on
// DrawImage, and texture brushes' wrap modes.
#include <gtest/gtest.h>

#include <QImage>
#include <array>
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

namespace {

// The GUIDs of two image effects as files store them, and one of an effect drawn as none.
constexpr std::array<std::uint32_t, 4> kColourMatrixEffect = {0x718F2615, 0x40E37933, 0x685F11A5, 0x74DD14FE};
constexpr std::array<std::uint32_t, 4> kLookupTablesEffect = {0xA7CE72A9, 0x40D70F7F, 0xC0D0CCB3, 0x12325C2D};
constexpr std::array<std::uint32_t, 4> kBlurEffect = {0x633C80A4, 0x482B1843, 0x28BEF29E, 0xD4FDC534};

// The quarters drawn by their corners onto (10, 10, 80, 80), after an effect serialized with the given
// parameters, asking for the effect or not.
QImage DrawnWithEffect(const std::array<std::uint32_t, 4>& guid, const QByteArray& parameters, bool asked) {
  return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).BitmapImage(1, Quarters());
    plus.Begin(EmfPlus::ERecord::SerializableObject);
    for (const std::uint32_t part : guid) plus.U32(part);
    plus.U32(static_cast<std::uint32_t>(parameters.size())).Raw(parameters).End();
    plus.Begin(EmfPlus::ERecord::DrawImagePoints,
               static_cast<std::uint16_t>((asked ? EmfPlus::kFlagEffect : 0) | 1))
        .U32(0xFFFFFFFF)
        .U32(EmfPlus::kUnitPixel)
        .Rect(QRectF(0, 0, 2, 2))
        .U32(3)
        .Points({{10, 10}, {90, 10}, {10, 90}});
    plus.End().Flush(emf);
  }));
}

// A colour matrix that swaps red and blue and adds half of full green: rows r, g, b, a, offset.
QByteArray SwapRedAndBlueAddHalfGreen() {
  TEmfPlusWriter parameters;
  const std::array<float, 25> matrix = {0, 0,    1, 0, 0,  //
                                        0, 1,    0, 0, 0,  //
                                        1, 0,    0, 0, 0,  //
                                        0, 0,    0, 1, 0,  //
                                        0, 0.5f, 0, 0, 1};
  for (const float value : matrix) parameters.F32(value);
  return parameters.Bytes();
}

}  // namespace

TEST(EmfPlusImages, AColourMatrixEffectRecoloursTheImagesThatAskForIt) {
  const QImage recoloured = DrawnWithEffect(kColourMatrixEffect, SwapRedAndBlueAddHalfGreen(), true);
  EXPECT_TRUE(Near(recoloured.pixelColor(30, 30), QColor(0, 128, 255)));
  EXPECT_TRUE(Near(recoloured.pixelColor(30, 70), QColor(255, 128, 0)));
  EXPECT_TRUE(Near(recoloured.pixelColor(70, 30), QColor(0, 255, 0)));  // green stays, clamped
  // Without the E flag the effect is not applied; an effect not drawn leaves the colours as they are.
  const QImage plain = DrawnWithEffect(kColourMatrixEffect, SwapRedAndBlueAddHalfGreen(), false);
  EXPECT_TRUE(Near(plain.pixelColor(30, 30), kRed));
  const QImage blurred = DrawnWithEffect(kBlurEffect, QByteArray(8, '\0'), true);
  EXPECT_TRUE(Near(blurred.pixelColor(30, 30), kRed));
  // Parameters shorter than a matrix are no effect.
  const QImage cut = DrawnWithEffect(kColourMatrixEffect, SwapRedAndBlueAddHalfGreen().left(40), true);
  EXPECT_TRUE(Near(cut.pixelColor(30, 30), kRed));
}

TEST(EmfPlusImages, LookupTablesMapEachChannelInBlueGreenRedAlphaOrder) {
  // Blue kept, green inverted, red set to 64, alpha kept.
  QByteArray tables(4 * 256, '\0');
  for (int i = 0; i < 256; ++i) {
    tables[i] = static_cast<char>(i);
    tables[256 + i] = static_cast<char>(255 - i);
    tables[512 + i] = static_cast<char>(64);
    tables[768 + i] = static_cast<char>(i);
  }
  const QImage image = DrawnWithEffect(kLookupTablesEffect, tables, true);
  EXPECT_TRUE(Near(image.pixelColor(30, 30), QColor(64, 255, 0)));    // red
  EXPECT_TRUE(Near(image.pixelColor(30, 70), QColor(64, 255, 255)));  // blue
  EXPECT_TRUE(Near(image.pixelColor(70, 70), QColor(64, 0, 0)));      // yellow
}
