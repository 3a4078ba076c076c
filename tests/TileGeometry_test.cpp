#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "TileGeometry.h"

namespace {
// Paints a list of rectangles into a w x h grid, counting how often each pixel is filled.
std::vector<int> CoverCounts(int w, int h, const std::vector<TRect>& rects) {
  std::vector<int> counts(static_cast<size_t>(w * h), 0);
  for (const TRect& r : rects)
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, h); ++y)
      for (int x = std::max(r.Left, 0); x < std::min(r.Right, w); ++x)
        ++counts[static_cast<size_t>(y * w + x)];
  return counts;
}

int FixedWidth(const QString& text) {
  return 10 * static_cast<int>(text.size());
}
}  // namespace

TEST(FitPictureRect, EdgeCasesOfA95By95Area) {
  EXPECT_EQ(FitPictureRect(95, 95, 640, 480), (TRect{0, 0, 95, 71}));
  EXPECT_EQ(FitPictureRect(95, 95, 480, 640), (TRect{0, 0, 71, 95}));
  EXPECT_EQ(FitPictureRect(95, 95, 96, 98), (TRect{0, 0, 94, 95}));
  EXPECT_EQ(FitPictureRect(95, 95, 95, 200), (TRect{0, 0, 45, 95}));
  EXPECT_EQ(FitPictureRect(95, 95, 200, 95), (TRect{0, 0, 95, 45}));
  EXPECT_EQ(FitPictureRect(95, 95, 50, 40), (TRect{0, 0, 50, 40}));
  EXPECT_EQ(FitPictureRect(95, 95, 95, 95), (TRect{0, 0, 95, 95}));
  EXPECT_EQ(FitPictureRect(95, 95, 200, 200), (TRect{0, 0, 95, 95}));
  EXPECT_EQ(FitPictureRect(93, 93, 640, 480), (TRect{0, 0, 93, 69}));
}

TEST(FitPictureRect, ExtendedPrecisionTruncatesJustBelowTheEdge) {
  // 95 / 157 * 157 is a hair under 95 in 80-bit arithmetic; double precision would round to 95.
  EXPECT_EQ(FitPictureRect(95, 95, 157, 157), (TRect{0, 0, 95, 94}));
}

TEST(FitPictureRect, AreasWithoutExtentGiveAnEmptyRectangle) {
  EXPECT_EQ(FitPictureRect(95, -10, 640, 480), TRect{});
  EXPECT_EQ(FitPictureRect(-3, 95, 640, 480), TRect{});
  EXPECT_EQ(FitPictureRect(0, 0, 640, 480), TRect{});
  EXPECT_EQ(FitPictureRect(95, -1, 95, 0), TRect{});
  EXPECT_EQ(FitPictureRect(95, 95, 10000, 1), (TRect{0, 0, 95, 0}));
}

TEST(CenterRect, CentresWithTruncatingHalves) {
  EXPECT_EQ(CenterRect({0, 0, 95, 95}, {0, 0, 50, 40}), (TRect{22, 27, 72, 67}));
  EXPECT_EQ(CenterRect({1, 1, 94, 94}, {1, 1, 94, 70}), (TRect{1, 13, 94, 82}));
  // -5 / 2 is -2: the halves truncate toward zero.
  EXPECT_EQ(CenterRect({0, 0, -5, -5}, {0, 0, 0, 0}), (TRect{-2, -2, -2, -2}));
  EXPECT_EQ(CenterRect({0, 0, 95, 95}, {0, 0, 200, 200}), (TRect{-53, -53, 147, 147}));
}

TEST(InsetRect, AbsurdBevelsSaturateInsteadOfOverflowing) {
  EXPECT_EQ(InsetRect(95, 95, 1), (TRect{1, 1, 94, 94}));
  EXPECT_EQ(InsetRect(95, 95, INT_MIN), (TRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}));
  EXPECT_EQ(OffsetRect({0, 0, 10, INT_MAX}, 5), (TRect{5, 5, 15, INT_MAX}));
}

TEST(TileFreeArea, LiesInsideTheFrameAndAboveTheCaption) {
  EXPECT_EQ(TileFreeArea(95, 95, false, 3, 0), (TRect{0, 0, 95, 95}));
  EXPECT_EQ(TileFreeArea(95, 95, true, 3, 0), (TRect{3, 3, 92, 92}));
  // The caption line is taken off the bottom, inside the frame when there is one.
  EXPECT_EQ(TileFreeArea(95, 95, false, 3, 16), (TRect{0, 0, 95, 79}));
  EXPECT_EQ(TileFreeArea(95, 95, true, 3, 16), (TRect{3, 3, 92, 76}));
  // Without a frame its bevel does not count.
  EXPECT_EQ(TileFreeArea(95, 95, false, 40, 16), (TRect{0, 0, 95, 79}));
}

TEST(TileFreeArea, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(TileFreeArea(95, 95, true, INT_MIN, 16), (TRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX - 16}));
  EXPECT_EQ(TileFreeArea(95, INT_MIN + 5, false, 0, 16), (TRect{0, 0, 95, INT_MIN}));
  // A tile shorter than its caption has a free area of negative height, as the fit expects.
  EXPECT_EQ(TileFreeArea(20, 10, true, 1, 16), (TRect{1, 1, 19, -7}));
}

TEST(MarginStrips, CoverTheInnerAreaOutsideThePictureExactlyOnce) {
  const TRect inner{2, 2, 30, 25};
  const TRect picture{7, 5, 20, 18};
  const auto strips = MarginStrips(inner, picture);
  EXPECT_EQ(strips[0], (TRect{2, 2, 20, 5}));
  EXPECT_EQ(strips[1], (TRect{20, 2, 30, 18}));
  EXPECT_EQ(strips[2], (TRect{7, 18, 30, 25}));
  EXPECT_EQ(strips[3], (TRect{2, 5, 7, 25}));
  const auto counts = CoverCounts(32, 27, {strips.begin(), strips.end()});
  for (int y = 0; y < 27; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool inInner = x >= 2 && x < 30 && y >= 2 && y < 25;
      const bool inPicture = x >= 7 && x < 20 && y >= 5 && y < 18;
      ASSERT_EQ(counts[static_cast<size_t>(y * 32 + x)], inInner && !inPicture ? 1 : 0) << x << ',' << y;
    }
}

TEST(MarginStrips, APictureLargerThanTheAreaLeavesOnlyInvertedStrips) {
  for (const TRect& strip : MarginStrips({0, 0, 95, 95}, {-53, -53, 147, 147})) EXPECT_TRUE(strip.IsEmpty());
}

TEST(Frame3DRuns, LightTopLeftDarkBottomRightOnTheOuterLines) {
  const int W = 10, H = 8;
  std::vector<char> pixels(W * H, '.');
  for (const TFrameRun& run : Frame3DRuns(W, H, 2))
    for (int y = run.Rect.Top; y < run.Rect.Bottom; ++y)
      for (int x = run.Rect.Left; x < run.Rect.Right; ++x)
        pixels[static_cast<size_t>(y * W + x)] = run.Light ? 'L' : 'D';
  std::string picture;
  for (int y = 0; y < H; ++y) picture += std::string(&pixels[static_cast<size_t>(y * W)], W) + '\n';
  EXPECT_EQ(picture,
            "LLLLLLLLLD\n"
            "LLLLLLLLDD\n"
            "LL......DD\n"
            "LL......DD\n"
            "LL......DD\n"
            "LL......DD\n"
            "LDDDDDDDDD\n"
            "DDDDDDDDDD\n");
}

TEST(Frame3DRuns, NoLinesForZeroAndAHugeCountStopsWhenTheControlIsCovered) {
  EXPECT_TRUE(Frame3DRuns(95, 95, 0).empty());
  EXPECT_TRUE(Frame3DRuns(95, 95, -4).empty());
  const auto runs = Frame3DRuns(95, 95, INT_MAX);
  EXPECT_EQ(runs.size(), 4u * 48);
  std::vector<TRect> rects;
  for (const auto& run : runs) rects.push_back(run.Rect);
  for (int count : CoverCounts(95, 95, rects)) ASSERT_GE(count, 1);
}

TEST(CutCaption, KeepsACaptionThatFits) {
  EXPECT_EQ(CutCaption(QStringLiteral("abcdef"), 60, FixedWidth), QStringLiteral("abcdef"));
}

TEST(CutCaption, TakesTheShortestBeginningReachingTheWidth) {
  // The longest beginning within 35 would be "abc"; the tile shows one character more.
  EXPECT_EQ(CutCaption(QStringLiteral("abcdef"), 35, FixedWidth), QStringLiteral("abcd"));
  EXPECT_EQ(CutCaption(QStringLiteral("abcdef"), 30, FixedWidth), QStringLiteral("abc"));
  EXPECT_EQ(CutCaption(QStringLiteral("abcdef"), 0, FixedWidth), QString());
  EXPECT_EQ(CutCaption(QStringLiteral("abcdef"), -20, FixedWidth), QString());
}

TEST(CutCaption, ConsidersAtMost255Characters) {
  const QString caption(300, QLatin1Char('x'));
  const QString shown = CutCaption(caption, 2999, FixedWidth);
  EXPECT_EQ(shown.size(), 255);
}

TEST(CutCaption, NeverSplitsASurrogatePair) {
  const QString caption = QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("bcd");
  const QString shown = CutCaption(caption, 15, FixedWidth);
  EXPECT_EQ(shown, caption.left(3));
}
