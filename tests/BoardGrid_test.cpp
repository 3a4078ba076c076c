#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <set>

#include "BoardGrid.h"
#include "FocusRing.h"
#include "GameState.h"
#include "Panel.h"

namespace {
// The board panel's own surface: inside its bevel and above the caption strip at its foot.
const QRect kBoardInside(1, 1, 593, 426);
}  // namespace

TEST(BoardGrid, PlacesTheTilesOnTheLayoutGrid) {
  EXPECT_EQ(TileRect(1), QRect(40, 8, 95, 95));
  EXPECT_EQ(TileRect(5), QRect(464, 8, 95, 95));
  EXPECT_EQ(TileRect(7), QRect(146, 112, 95, 95));
  EXPECT_EQ(TileRect(20), QRect(464, 320, 95, 95));
}

TEST(BoardGrid, ArrowsWrapWithinTheirRowOrColumn) {
  EXPECT_EQ(TileAfterStep(7, TTileStep::Right), 8);
  EXPECT_EQ(TileAfterStep(7, TTileStep::Left), 6);
  EXPECT_EQ(TileAfterStep(7, TTileStep::Up), 2);
  EXPECT_EQ(TileAfterStep(7, TTileStep::Down), 12);
  EXPECT_EQ(TileAfterStep(5, TTileStep::Right), 1);
  EXPECT_EQ(TileAfterStep(6, TTileStep::Left), 10);
  EXPECT_EQ(TileAfterStep(3, TTileStep::Up), 18);
  EXPECT_EQ(TileAfterStep(19, TTileStep::Down), 4);
}

TEST(BoardGrid, TabOrderWrapsAtBothEnds) {
  EXPECT_EQ(TileAfterStep(20, TTileStep::Next), 1);
  EXPECT_EQ(TileAfterStep(1, TTileStep::Previous), 20);
  EXPECT_EQ(TileAfterStep(10, TTileStep::Next), 11);
  EXPECT_EQ(TileAfterStep(0, TTileStep::Next), 1);
  EXPECT_EQ(TileAfterStep(21, TTileStep::Left), 1);
}

TEST(BoardGrid, EveryStepIsAPermutationOfTheTiles) {
  for (const TTileStep step : {TTileStep::Left, TTileStep::Right, TTileStep::Up, TTileStep::Down,
                               TTileStep::Next, TTileStep::Previous}) {
    std::set<int> reached;
    for (int n = 1; n <= kTileCount; ++n) reached.insert(TileAfterStep(n, step));
    EXPECT_EQ(reached.size(), static_cast<std::size_t>(kTileCount));
  }
  // Opposite steps undo each other.
  for (int n = 1; n <= kTileCount; ++n) {
    EXPECT_EQ(TileAfterStep(TileAfterStep(n, TTileStep::Right), TTileStep::Left), n);
    EXPECT_EQ(TileAfterStep(TileAfterStep(n, TTileStep::Down), TTileStep::Up), n);
    EXPECT_EQ(TileAfterStep(TileAfterStep(n, TTileStep::Next), TTileStep::Previous), n);
  }
}

TEST(FocusRing, LiesInTheGapsAroundEveryTile) {
  for (int n = 1; n <= kTileCount; ++n) {
    const TFocusRing ring = FocusRingAround(TileRect(n));
    ASSERT_FALSE(ring.light.isEmpty());
    ASSERT_FALSE(ring.dark.isEmpty());
    EXPECT_FALSE(ring.light.intersects(ring.dark));
    EXPECT_TRUE(QRegion(kBoardInside).contains(ring.Whole().boundingRect())) << n;
    for (int other = 1; other <= kTileCount; ++other)
      EXPECT_FALSE(ring.Whole().intersects(TileRect(other))) << n << " over " << other;
  }
}

TEST(FocusRing, SurroundsTheAreaWithAGapThenTheBands) {
  const QRect tile(40, 8, 95, 95);
  const TFocusRing ring = FocusRingAround(tile);
  // Straight above the tile's middle: the gap row, the light row, the two dark rows.
  EXPECT_FALSE(ring.Whole().contains(QPoint(87, 7)));
  EXPECT_TRUE(ring.light.contains(QPoint(87, 6)));
  EXPECT_TRUE(ring.dark.contains(QPoint(87, 5)));
  EXPECT_TRUE(ring.dark.contains(QPoint(87, 4)));
  EXPECT_FALSE(ring.Whole().contains(QPoint(87, 3)));
  // All four sides and the corners are closed.
  EXPECT_TRUE(ring.dark.contains(QPoint(36, 4)));
  EXPECT_TRUE(ring.dark.contains(QPoint(138, 106)));
  EXPECT_TRUE(ring.light.contains(QPoint(135 + 1, 50)));
  EXPECT_EQ(ring.Whole().boundingRect(), tile.adjusted(-4, -4, 4, 4));
  EXPECT_TRUE(FocusRingAround(QRect()).Whole().isEmpty());
}

TEST(FocusRing, PanelPaintsItOnlyWhereTheRingLies) {
  TPanel panel;
  panel.SetBevelRaised(false);
  panel.SetColor(0x00808080);
  panel.resize(200, 150);
  const QRect area(40, 30, 95, 95);
  const QImage before = panel.grab().toImage();
  panel.SetFocusRing(area);
  EXPECT_EQ(panel.FocusRing(), area);
  const QImage after = panel.grab().toImage();
  const TFocusRing ring = FocusRingAround(area);
  const QRgb light = ToQColor(clBtnHighlight).rgb(), dark = ToQColor(clWindowText).rgb();
  int changed = 0;
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      const QPoint p(x, y);
      if (ring.light.contains(p))
        EXPECT_EQ(after.pixel(p), light);
      else if (ring.dark.contains(p))
        EXPECT_EQ(after.pixel(p), dark);
      else
        changed += after.pixel(p) != before.pixel(p);
    }
  }
  EXPECT_EQ(changed, 0);
  panel.SetFocusRing({});
  EXPECT_EQ(panel.grab().toImage(), before);
}
