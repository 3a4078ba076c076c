#include "metafile/play/MetaShapeGeometry.h"

#include <gtest/gtest.h>
#include <uemf.h>

#include <QPainterPath>
#include <cmath>
#include <vector>

// The geometry of GDI's shapes, computed without a painter.

namespace {

bool Near(QPointF a, QPointF b, double tolerance = 1e-6) {
  return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

QPointF Start(const QPainterPath& path) {
  return path.elementCount() > 0 ? QPointF(path.elementAt(0)) : QPointF();
}

int Figures(const QPainterPath& path) {
  return static_cast<int>(path.toSubpathPolygons().size());
}

}  // namespace

TEST(MetaShapeGeometry, ArcAnglesFollowTheRaysAndTheArcDirection) {
  const QRectF box(0, 0, 100, 100);
  // From the ray to the right to the ray upwards: a quarter anticlockwise, three quarters clockwise.
  const TMetaArcAngles anticlockwise = MetaArcAngles(box, QPointF(200, 50), QPointF(50, -300), false);
  EXPECT_NEAR(anticlockwise.start, 0, 1e-9);
  EXPECT_NEAR(anticlockwise.sweep, 90, 1e-9);
  EXPECT_NEAR(MetaArcAngles(box, QPointF(200, 50), QPointF(50, -300), true).sweep, -270, 1e-9);
  // Rays that coincide make the whole ellipse, in either direction.
  EXPECT_NEAR(MetaArcAngles(box, QPointF(0, 0), QPointF(0, 0), false).sweep, 360, 1e-9);
  EXPECT_NEAR(MetaArcAngles(box, QPointF(0, 0), QPointF(0, 0), true).sweep, -360, 1e-9);
}

TEST(MetaShapeGeometry, ArcAnglesAreParametricOnAFlatEllipse) {
  // The ray to the box's corner crosses the ellipse at 45 degrees of its parameter, not of the circle.
  const TMetaArcAngles angles = MetaArcAngles(QRectF(0, 0, 200, 100), QPointF(200, 0), QPointF(0, 50), false);
  EXPECT_NEAR(angles.start, 45, 1e-9);
  EXPECT_NEAR(angles.sweep, 135, 1e-9);
}

TEST(MetaShapeGeometry, PiesStartAtTheCentreChordsCloseAndArcToStartsWhereThePenIs) {
  const QRectF box(0, 0, 100, 100);
  const QPointF right(200, 50), up(50, -300), from(-20, -20);
  const QPainterPath arc = MetaArcPath(EMetaOp::Arc, box, right, up, false, from);
  EXPECT_TRUE(Near(Start(arc), QPointF(100, 50)));
  EXPECT_TRUE(Near(arc.currentPosition(), QPointF(50, 0)));
  const QPainterPath pie = MetaArcPath(EMetaOp::Pie, box, right, up, false, from);
  EXPECT_TRUE(Near(Start(pie), QPointF(50, 50)));
  EXPECT_TRUE(Near(pie.currentPosition(), QPointF(50, 50)));  // closed back to the centre
  const QPainterPath chord = MetaArcPath(EMetaOp::Chord, box, right, up, false, from);
  EXPECT_TRUE(Near(chord.currentPosition(), QPointF(100, 50)));  // closed back to the arc's start
  const QPainterPath arcTo = MetaArcPath(EMetaOp::ArcTo, box, right, up, false, from);
  EXPECT_TRUE(Near(Start(arcTo), from));
  EXPECT_TRUE(arcTo.elementAt(1).isLineTo());
  EXPECT_TRUE(Near(QPointF(arcTo.elementAt(1)), QPointF(100, 50)));
  EXPECT_TRUE(Near(arcTo.currentPosition(), QPointF(50, 0)));
}

TEST(MetaShapeGeometry, AngleArcRunsFromThePenAroundItsCentreUpToTwoTurns) {
  const TMetaAngleArcArgs quarter{.centre = {50, 50}, .radius = 10, .start = 0, .sweep = 90 * 65536};
  const QPainterPath path = MetaAngleArcPath(QPointF(0, 0), quarter);
  EXPECT_TRUE(Near(Start(path), QPointF(0, 0)));
  EXPECT_TRUE(Near(QPointF(path.elementAt(1)), QPointF(60, 50)));
  EXPECT_TRUE(Near(path.currentPosition(), QPointF(50, 40), 1e-4));  // angles run anticlockwise on screen
  // A sweep beyond two turns is cut to two, which end where they start.
  TMetaAngleArcArgs many = quarter;
  many.sweep = 1000 * 65536;
  EXPECT_TRUE(Near(MetaAngleArcPath(QPointF(0, 0), many).currentPosition(), QPointF(60, 50), 1e-4));
  // No radius: only the line to the centre.
  TMetaAngleArcArgs dot = quarter;
  dot.radius = 0;
  EXPECT_EQ(MetaAngleArcPath(QPointF(0, 0), dot).elementCount(), 2);
}

TEST(MetaShapeGeometry, CurvesTakeWholeCurvesAndLeaveTheRest) {
  const std::vector<QPoint> points = {{0, 0}, {10, 0}, {20, 10}, {30, 30}, {40, 40}, {50, 50}, {60, 60}};
  const TMetaCurve bezier = MetaCurvePath(EMetaOp::PolyBezier, QPointF(-5, -5), points);
  EXPECT_EQ(bezier.used, 7);  // a start point and two curves
  EXPECT_TRUE(Near(Start(bezier.path), QPointF(0, 0)));
  EXPECT_TRUE(Near(bezier.path.currentPosition(), QPointF(60, 60)));
  const std::vector<QPoint> partial(points.begin(), points.begin() + 6);
  EXPECT_EQ(MetaCurvePath(EMetaOp::PolyBezier, QPointF(), partial).used, 4);  // the second curve is short
  EXPECT_EQ(MetaCurvePath(EMetaOp::PolyBezier, QPointF(), std::vector<QPoint>(3)).used, 0);
  const TMetaCurve to = MetaCurvePath(EMetaOp::PolyBezierTo, QPointF(-5, -5), partial);
  EXPECT_EQ(to.used, 6);
  EXPECT_TRUE(Near(Start(to.path), QPointF(-5, -5)));
  const TMetaCurve lines = MetaCurvePath(EMetaOp::PolylineTo, QPointF(-5, -5), partial);
  EXPECT_EQ(lines.used, 6);
  EXPECT_EQ(lines.path.elementCount(), 7);
  EXPECT_EQ(MetaCurvePath(EMetaOp::PolylineTo, QPointF(), {}).used, 0);
}

TEST(MetaShapeGeometry, PolyDrawFiguresFollowThePointTypes) {
  const std::vector<QPoint> points = {{10, 0}, {10, 10}, {20, 20}, {30, 20}, {30, 30}, {20, 30}, {40, 40}};
  const std::vector<std::uint8_t> types = {
      U_PT_LINETO, U_PT_LINETO | U_PT_CLOSEFIGURE, U_PT_MOVETO, U_PT_BEZIERTO, U_PT_BEZIERTO, U_PT_BEZIERTO,
      U_PT_LINETO};
  const TMetaPolyDraw draw = MetaPolyDrawFigures(QPointF(0, 0), points, types);
  ASSERT_EQ(draw.figures.size(), 2u);
  // The first figure goes on from the pen and is closed by its second point.
  EXPECT_TRUE(draw.figures[0].continues);
  EXPECT_TRUE(draw.figures[0].closed);
  EXPECT_TRUE(Near(Start(draw.figures[0].path), QPointF(0, 0)));
  EXPECT_EQ(draw.figures[0].path.elementCount(), 3);
  // The second moves away first: a curve, then a line.
  EXPECT_FALSE(draw.figures[1].continues);
  EXPECT_FALSE(draw.figures[1].closed);
  EXPECT_TRUE(Near(Start(draw.figures[1].path), QPointF(20, 20)));
  EXPECT_TRUE(draw.figures[1].path.elementAt(1).isCurveTo());
  EXPECT_TRUE(Near(draw.end, QPointF(40, 40)));
}

TEST(MetaShapeGeometry, PolyDrawStopsAtATypeGdiDoesNotKnow) {
  const std::vector<QPoint> points = {{10, 0}, {10, 10}, {20, 20}, {30, 30}};
  // An unknown type, and a curve without its three points, end the figures with what came before.
  for (const std::vector<std::uint8_t>& types :
       {std::vector<std::uint8_t>{U_PT_LINETO, U_PT_LINETO, 0x08, U_PT_LINETO},
        std::vector<std::uint8_t>{U_PT_LINETO, U_PT_LINETO, U_PT_BEZIERTO, U_PT_BEZIERTO}}) {
    const TMetaPolyDraw draw = MetaPolyDrawFigures(QPointF(0, 0), points, types);
    ASSERT_EQ(draw.figures.size(), 1u);
    EXPECT_EQ(draw.figures[0].path.elementCount(), 3);
    EXPECT_TRUE(Near(draw.end, QPointF(10, 10)));
  }
  // Nothing drawn leaves the pen where it was.
  EXPECT_TRUE(MetaPolyDrawFigures(QPointF(5, 5), {}, {}).figures.empty());
  EXPECT_TRUE(Near(MetaPolyDrawFigures(QPointF(5, 5), {}, {}).end, QPointF(5, 5)));
}

TEST(MetaShapeGeometry, PolyPolygonRunsMustLieInThePoints) {
  const std::vector<QPoint> points = {{0, 0}, {10, 0}, {10, 10}, {20, 20}, {30, 20}, {30, 30}};
  QPainterPath path;
  ASSERT_TRUE(MetaPolyPolygonPath(points, std::vector<std::int32_t>{3, 0, 3}, 0, true, path));
  EXPECT_EQ(Figures(path), 2);                                 // an empty run adds nothing
  EXPECT_TRUE(Near(path.currentPosition(), QPointF(20, 20)));  // closed
  QPainterPath open;
  ASSERT_TRUE(MetaPolyPolygonPath(points, std::vector<std::int32_t>{2}, 4, false, open));
  EXPECT_TRUE(Near(open.currentPosition(), QPointF(30, 30)));
  QPainterPath refused;
  EXPECT_FALSE(MetaPolyPolygonPath(points, std::vector<std::int32_t>{3, 4}, 0, true, refused));
  EXPECT_FALSE(MetaPolyPolygonPath(points, std::vector<std::int32_t>{-1}, 0, true, refused));
  EXPECT_FALSE(MetaPolyPolygonPath(points, std::vector<std::int32_t>{1}, -1, true, refused));
}

TEST(MetaShapeGeometry, BoxesNormaliseAndShrinkForInsideFramePens) {
  EXPECT_EQ(MetaBox(TMetaRect{.left = 10, .top = 40, .right = 0, .bottom = 20}), QRectF(0, 20, 10, 20));
  const QRectF box(0, 0, 100, 50);
  EXPECT_EQ(MetaInsideFrameBox(box, 1), box);  // a pixel wide: drawn on the box
  EXPECT_EQ(MetaInsideFrameBox(box, 10), QRectF(5, 5, 90, 40));
  // Wider than the box: a line through its middle.
  const QRectF line = MetaInsideFrameBox(box, 80);
  EXPECT_EQ(line.height(), 0);
  EXPECT_EQ(line.center(), box.center());
  EXPECT_EQ(line.width(), 20);
}

TEST(MetaShapeGeometry, RoundRectCornersTakeHalfTheEllipseEitherSign) {
  const QPainterPath positive = MetaRoundRectPath(QRectF(0, 0, 100, 100), 40, 20);
  const QPainterPath negative = MetaRoundRectPath(QRectF(0, 0, 100, 100), -40, -20);
  EXPECT_EQ(positive, negative);
  EXPECT_FALSE(positive.contains(QPointF(1, 1)));   // the corner is cut off
  EXPECT_TRUE(positive.contains(QPointF(21, 11)));  // inside the corner's ellipse of radii 20 and 10
}

TEST(MetaShapeGeometry, PointBoundsCoverEveryPoint) {
  const std::vector<QPoint> points = {{5, 7}, {-3, 12}, {9, -4}};
  EXPECT_EQ(MetaPointBounds(points.data(), 3), QRectF(QPointF(-3, -4), QPointF(9, 12)));
  const QPainterPath path = MetaPointsPath(points.data(), 3);
  EXPECT_EQ(path.elementCount(), 3);
  EXPECT_TRUE(Near(path.currentPosition(), QPointF(9, -4)));  // left open
}

TEST(MetaShapeGeometry, RegionFrameKeepsTheBorderInsideTheRegion) {
  const std::vector<QRect> rects = {QRect(0, 0, 20, 20)};
  QPainterPath region;
  region.addRect(0, 0, 20, 20);
  const QPainterPath frame = MetaRegionFrame(region, rects, 2, -3);
  EXPECT_TRUE(frame.contains(QPointF(1, 10)));    // within the left border, 2 wide
  EXPECT_FALSE(frame.contains(QPointF(3, 10)));   // past it
  EXPECT_TRUE(frame.contains(QPointF(10, 2.5)));  // within the top border, 3 high
  EXPECT_FALSE(frame.contains(QPointF(10, 10)));
  // Regions of many rectangles are filled whole.
  const std::vector<QRect> many(65, QRect(0, 0, 20, 20));
  EXPECT_TRUE(MetaRegionFrame(region, many, 2, 2).contains(QPointF(10, 10)));
}
