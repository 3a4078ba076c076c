#include "metafile/draw/MetaViewCut.h"

#include <gtest/gtest.h>

#include <QPainterPath>
#include <QRandomGenerator>
#include <cmath>

namespace {

const QRectF kArea(0, 0, 100, 80);

QPainterPath Filled(const QPolygonF& polygon, Qt::FillRule rule) {
  QPainterPath path;
  path.setFillRule(rule);
  path.addPolygon(polygon);
  path.closeSubpath();
  return path;
}

}  // namespace

// Cutting must not change which points inside the rectangle are filled, whatever the polygon does
// outside it: crossing itself, circling the rectangle, reaching thousands of pixels away.
TEST(MetaViewCut, PolygonCutKeepsEveryInsidePointFilledOrNotUnderBothRules) {
  QRandomGenerator random(20261209);
  for (int trial = 0; trial < 200; ++trial) {
    QPolygonF polygon;
    const int corners = 3 + static_cast<int>(random.bounded(9));
    const double reach = trial % 2 ? 5000 : 150;
    for (int i = 0; i < corners; ++i)
      polygon << QPointF(random.bounded(2 * reach) - reach + 50, random.bounded(2 * reach) - reach + 40);
    const QPolygonF clipped = ClipPolygonToRect(polygon, kArea);
    for (const QPointF& p : clipped) ASSERT_TRUE(kArea.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(p));
    for (const Qt::FillRule rule : {Qt::OddEvenFill, Qt::WindingFill}) {
      const QPainterPath original = Filled(polygon, rule), cut = Filled(clipped, rule);
      for (double y = 0.37; y < kArea.bottom(); y += 3.1)
        for (double x = 0.41; x < kArea.right(); x += 3.3)
          ASSERT_EQ(original.contains(QPointF(x, y)), cut.contains(QPointF(x, y)))
              << "trial " << trial << " rule " << rule << " at " << x << "," << y;
    }
  }
}

TEST(MetaViewCut, PolygonInsideStaysAndPolygonOutsideVanishes) {
  const QPolygonF inside({{10, 10}, {90, 10}, {50, 70}});
  EXPECT_EQ(ClipPolygonToRect(inside, kArea), inside);
  EXPECT_TRUE(ClipPolygonToRect(QPolygonF({{200, 10}, {300, 10}, {250, 70}}), kArea).isEmpty());
  // A triangle with one corner far below keeps its top edge and meets the bottom side twice.
  const QPolygonF far = ClipPolygonToRect(QPolygonF({{40, 10}, {60, 10}, {50, 1e9}}), kArea);
  ASSERT_EQ(far.size(), 4);
  EXPECT_TRUE(far.contains(QPointF(40, 10)));
  EXPECT_TRUE(far.contains(QPointF(60, 10)));
  int onBottom = 0;
  for (const QPointF& p : far) onBottom += p.y() == kArea.bottom() && std::abs(p.x() - 50) < 10;
  EXPECT_EQ(onBottom, 2);
}

TEST(MetaViewCut, PolylineSplitsWhereItLeavesAndComesBack) {
  // In, out over the right side, back in, and out over the bottom.
  const QPolygonF line({{10, 10}, {90, 10}, {150, 40}, {90, 40}, {50, 40}, {50, 200}});
  const std::vector<QPolygonF> pieces = ClipPolylineToRect(line, kArea);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], QPolygonF({{10, 10}, {90, 10}, {100, 15}}));
  EXPECT_EQ(pieces[1], QPolygonF({{100, 40}, {90, 40}, {50, 40}, {50, 80}}));

  EXPECT_TRUE(ClipPolylineToRect(QPolygonF({{-10, -10}, {-10, 200}}), kArea).empty());
  EXPECT_TRUE(ClipPolylineToRect(QPolygonF({{50, 50}}), kArea).empty());
  // Crossing the whole rectangle from far away on both sides leaves one segment side to side.
  const std::vector<QPolygonF> across = ClipPolylineToRect(QPolygonF({{-1e12, 20}, {1e12, 20}}), kArea);
  ASSERT_EQ(across.size(), 1u);
  EXPECT_EQ(across[0], QPolygonF({{0, 20}, {100, 20}}));
}

TEST(MetaViewCut, DistanceIsToTheNearestSegmentOrPoint) {
  const std::vector<QPolygonF> lines{QPolygonF({{0, 0}, {10, 0}, {10, 10}}), QPolygonF({{30, 30}})};
  EXPECT_DOUBLE_EQ(DistanceToPolylines(QPointF(5, 3), lines), 3);    // above the first segment
  EXPECT_DOUBLE_EQ(DistanceToPolylines(QPointF(13, 14), lines), 5);  // past the end of the second
  EXPECT_DOUBLE_EQ(DistanceToPolylines(QPointF(30, 25), lines), 5);  // the single point
  EXPECT_DOUBLE_EQ(DistanceToPolylines(QPointF(-3, -4), lines), 5);  // the first corner
  EXPECT_TRUE(std::isinf(DistanceToPolylines(QPointF(0, 0), {})));
}

TEST(MetaViewCut, AClosedOutlineCutElsewhereKeepsTheJoinWhereItStarts) {
  // A square over the right side: what stays inside runs on through the corner where it starts.
  const QPolygonF square({{50, 10}, {150, 10}, {150, 50}, {50, 50}, {50, 10}});
  const QPainterPath cut = ReachablePart({square}, kArea);
  const QList<QPolygonF> pieces = cut.toSubpathPolygons();
  ASSERT_EQ(pieces.size(), 1);
  EXPECT_EQ(pieces[0], QPolygonF({{100, 50}, {50, 50}, {50, 10}, {100, 10}}));
  // An open line that happens to turn the same way stays in two pieces.
  const QPolygonF open({{50, 10}, {150, 10}, {150, 50}, {50, 50}, {60, 10}});
  EXPECT_EQ(ReachablePart({open}, kArea).toSubpathPolygons().size(), 2);
  // Inside, a closed outline stays closed, an open one open.
  const QPolygonF inside({{10, 10}, {40, 10}, {40, 40}, {10, 10}});
  const QPainterPath whole = ReachablePart({inside}, kArea);
  EXPECT_EQ(whole.toSubpathPolygons().size(), 1);
  EXPECT_EQ(whole.toSubpathPolygons().front(), inside);
  EXPECT_TRUE(ReachablePart({QPolygonF({{200, 200}, {300, 300}})}, kArea).isEmpty());
}

TEST(MetaViewCut, AFillKeepsWhatLiesInTheAreaUnderItsRule) {
  const QList<QPolygonF> polygons{QPolygonF({{-50, -50}, {50, -50}, {50, 50}, {-50, 50}}),
                                  QPolygonF({{200, 200}, {300, 200}, {300, 300}})};
  const QPainterPath fill = CutDownFill(polygons, kArea, Qt::WindingFill);
  EXPECT_EQ(fill.fillRule(), Qt::WindingFill);
  ASSERT_EQ(fill.toSubpathPolygons().size(), 1);  // the one outside is gone
  EXPECT_TRUE(kArea.contains(fill.boundingRect()));
  EXPECT_TRUE(fill.contains(QPointF(25, 25)));
  EXPECT_FALSE(fill.contains(QPointF(75, 25)));
  EXPECT_EQ(CutDownFill({}, kArea, Qt::OddEvenFill).fillRule(), Qt::OddEvenFill);
}
