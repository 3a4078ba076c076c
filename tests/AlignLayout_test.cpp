#include <gtest/gtest.h>

#include "AlignLayout.h"

TEST(AlignRects, PacksLeftChildrenAtTheirWidthsOverTheInnerHeight) {
  const std::vector<AlignedChild> children{{TAlign::alLeft, QRect(1, 1, 65, 39)},
                                           {TAlign::alLeft, QRect(66, 1, 168, 39)},
                                           {TAlign::alLeft, QRect(234, 1, 69, 39)}};
  const auto rects = AlignRects(QRect(1, 1, 593, 39), children);
  EXPECT_EQ(rects[0], QRect(1, 1, 65, 39));
  EXPECT_EQ(rects[1], QRect(66, 1, 168, 39));
  EXPECT_EQ(rects[2], QRect(234, 1, 69, 39));
}

TEST(AlignRects, TopThenBottomThenClientTakeWhatIsLeft) {
  const std::vector<AlignedChild> children{{TAlign::alClient, QRect()},
                                           {TAlign::alTop, QRect(0, 0, 10, 41)},
                                           {TAlign::alBottom, QRect(0, 0, 10, 26)},
                                           {TAlign::alNone, QRect(5, 6, 7, 8)}};
  const auto rects = AlignRects(QRect(0, 0, 700, 600), children);
  EXPECT_EQ(rects[1], QRect(0, 0, 700, 41));
  EXPECT_EQ(rects[2], QRect(0, 574, 700, 26));
  EXPECT_EQ(rects[0], QRect(0, 41, 700, 533));
  EXPECT_EQ(rects[3], QRect(5, 6, 7, 8));
}

TEST(AlignRects, TooSmallAnAreaGivesEmptyNotNegativeSizes) {
  const std::vector<AlignedChild> children{{TAlign::alTop, QRect(0, 0, 10, 50)}, {TAlign::alClient, QRect()}};
  const auto rects = AlignRects(QRect(0, 0, 20, 30), children);
  EXPECT_EQ(rects[1].height(), 0);
  EXPECT_GE(rects[1].width(), 0);
}
