#include "SegmentGeometry.h"

#include <gtest/gtest.h>

#include <climits>

namespace {
// One colour per slot, so that a pixel tells which segment covers it.
const TSegmentColors kSlotColors{0x0000FFu, 0x00FF00u, 0xFF0000u, 0x00FFFFu, 0xFF00FFu, 0xFFFF00u, 0x808080u};

QRgb Rgb(TColor color) {
  return ToQColor(color).rgb();
}

bool IsBackground(const QImage& image, QRect area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixel(x, y) != Rgb(clOlive)) return false;
  return true;
}
}  // namespace

TEST(SegmentGeometry, SegmentsSitInTheirPlacesWithBackgroundBorders) {
  const QImage image = RenderDigitImage(20, 30, 5, kSlotColors, clOlive);
  ASSERT_EQ(image.size(), QSize(20, 30));
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  const QPoint inside[kSegmentCount] = {{10, 2}, {2, 8}, {17, 8}, {10, 15}, {2, 22}, {17, 22}, {10, 27}};
  for (int slot = 0; slot < kSegmentCount; ++slot)
    EXPECT_EQ(image.pixel(inside[slot]), Rgb(kSlotColors[slot])) << "slot " << slot;
  // The outline runs along the image's border, the mitred corners and the two holes.
  EXPECT_TRUE(IsBackground(image, QRect(0, 0, 20, 1)));
  EXPECT_TRUE(IsBackground(image, QRect(0, 29, 20, 1)));
  EXPECT_TRUE(IsBackground(image, QRect(0, 0, 1, 30)));
  EXPECT_TRUE(IsBackground(image, QRect(19, 0, 1, 30)));
  EXPECT_TRUE(IsBackground(image, QRect(5, 5, 10, 7)));
  EXPECT_TRUE(IsBackground(image, QRect(5, 18, 10, 7)));
  for (QPoint corner : {QPoint(2, 2), QPoint(17, 2), QPoint(2, 27), QPoint(17, 27)})
    EXPECT_EQ(image.pixel(corner), Rgb(clOlive));
  EXPECT_EQ(image.pixel(1, 1), Rgb(clOlive));
  EXPECT_EQ(image.pixel(1, 8), Rgb(kSlotColors[ssUpperLeft]));
  EXPECT_EQ(image.pixel(10, 1), Rgb(kSlotColors[ssTop]));
}

TEST(SegmentGeometry, DigitIsMirrorSymmetricLeftToRight) {
  const TSegmentColors lime{clLime, clLime, clLime, clLime, clLime, clLime, clLime};
  for (QSize size : {QSize(20, 30), QSize(13, 21), QSize(40, 41)}) {
    const QImage image = RenderDigitImage(size.width(), size.height(), 5, lime, clOlive);
    EXPECT_EQ(image, image.mirrored(true, false)) << size.width() << "x" << size.height();
  }
}

TEST(SegmentGeometry, OddSizesNeverFail) {
  EXPECT_TRUE(RenderDigitImage(0, 30, 5, kSlotColors, clOlive).isNull());
  EXPECT_TRUE(RenderDigitImage(20, -3, 5, kSlotColors, clOlive).isNull());
  const QImage noLines = RenderDigitImage(20, 30, 0, kSlotColors, clOlive);
  ASSERT_EQ(noLines.size(), QSize(20, 30));
  EXPECT_TRUE(IsBackground(noLines, noLines.rect()));
  EXPECT_TRUE(IsBackground(RenderDigitImage(20, 30, INT_MIN, kSlotColors, clOlive), QRect(0, 0, 20, 30)));
  // Lines thicker than the digit overlap; drawn later, the bottom bar covers the middle.
  const QImage thick = RenderDigitImage(20, 30, INT_MAX, kSlotColors, clOlive);
  EXPECT_EQ(thick.pixel(10, 15), Rgb(kSlotColors[ssBottom]));
  const QImage huge = RenderDigitImage(INT_MAX, INT_MAX, 5, kSlotColors, clOlive);
  EXPECT_EQ(huge.size(), QSize(kMaxDigitSide, kMaxDigitSide));
  EXPECT_EQ(RenderDigitImage(1, 1, 1, kSlotColors, clOlive).size(), QSize(1, 1));
}
