#include "StopSign.h"

#include <QPointF>
#include <cmath>

#include "MetaDrawingBuilder.h"

namespace {

// The triangle whose three edges lie inset by distance d inside the triangle a, b, c.
std::vector<QPointF> Inset(const std::vector<QPointF>& t, double d) {
  QPointF centroid = (t[0] + t[1] + t[2]) / 3.0;
  // Every edge moves inward along its normal; corners are where neighbouring moved edges meet.
  auto moved = [&](int i) {
    const QPointF a = t[i], b = t[(i + 1) % 3];
    QPointF normal(-(b.y() - a.y()), b.x() - a.x());
    normal /= std::hypot(normal.x(), normal.y());
    if (QPointF::dotProduct(normal, centroid - a) < 0) normal = -normal;
    return std::pair{a + normal * d, b + normal * d};
  };
  std::vector<QPointF> result;
  for (int i = 0; i < 3; ++i) {
    const auto [p1, p2] = moved((i + 2) % 3);
    const auto [q1, q2] = moved(i);
    const QPointF r = p2 - p1, s = q2 - q1;
    const double cross = r.x() * s.y() - r.y() * s.x();
    const double u = ((q1.x() - p1.x()) * s.y() - (q1.y() - p1.y()) * s.x()) / cross;
    result.push_back(p1 + r * u);
  }
  return result;
}

std::vector<QPoint> Rounded(const std::vector<QPointF>& points) {
  std::vector<QPoint> result;
  for (const QPointF& p : points) result.push_back(p.toPoint());
  return result;
}

std::vector<QPoint> Shifted(std::initializer_list<QPoint> points, int dx, int dy) {
  std::vector<QPoint> result;
  for (const QPoint& p : points) result.push_back(p + QPoint(dx, dy));
  return result;
}

}  // namespace

TMetaDrawing BuildStopSign() {
  const QColor signRed(255, 53, 15);
  const QColor white(255, 255, 255);
  TMetaDrawing sign = MakeDrawing(245, 205);

  const std::vector<QPointF> outer{{2, 2}, {243, 2}, {122.5, 203}};
  AddPolyPolygon(sign, signRed, {Rounded(outer), Rounded(Inset(outer, 9))});
  AddPolygon(sign, signRed, Rounded(Inset(outer, 15)));

  // Block letters 26 wide and 40 high with 8-unit strokes, 6 apart, centred on the sign's axis.
  constexpr int top = 24, width = 26, gap = 6;
  const int left = 122 - (4 * width + 3 * gap) / 2;
  const int a = left, l = left + width + gap, t = l + width + gap, o = t + width + gap;
  AddPolyPolygon(
      sign, white,
      {Shifted({{0, 40}, {8, 0}, {18, 0}, {26, 40}, {18, 40}, {16, 31}, {10, 31}, {8, 40}}, a, top),
       Shifted({{11, 24}, {13, 12}, {15, 24}}, a, top)});
  AddPolygon(sign, white, Shifted({{0, 0}, {8, 0}, {8, 32}, {26, 32}, {26, 40}, {0, 40}}, l, top));
  AddPolygon(sign, white,
             Shifted({{0, 0}, {26, 0}, {26, 8}, {17, 8}, {17, 40}, {9, 40}, {9, 8}, {0, 8}}, t, top));
  AddPolyPolygon(
      sign, white,
      {Shifted({{7, 0}, {19, 0}, {26, 7}, {26, 33}, {19, 40}, {7, 40}, {0, 33}, {0, 7}}, o, top),
       Shifted({{10, 8}, {16, 8}, {18, 10}, {18, 30}, {16, 32}, {10, 32}, {8, 30}, {8, 10}}, o, top)});
  return sign;
}
