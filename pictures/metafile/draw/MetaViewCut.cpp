// Cutting geometry far outside the view down to it: Sutherland-Hodgman for polygons, Liang-Barsky for
// polylines.
#include "metafile/draw/MetaViewCut.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// One side of the rectangle as a half-plane: coordinate `axis` (0 = x, 1 = y) on the `keepBelow`
// side of `limit`.
struct THalfPlane {
  int axis;
  double limit;
  bool keepBelow;
  bool Inside(QPointF p) const {
    const double v = axis == 0 ? p.x() : p.y();
    return keepBelow ? v <= limit : v >= limit;
  }
  QPointF Crossing(QPointF a, QPointF b) const {
    const double va = axis == 0 ? a.x() : a.y(), vb = axis == 0 ? b.x() : b.y();
    const double t = (limit - va) / (vb - va);
    if (axis == 0) return QPointF(limit, a.y() + (b.y() - a.y()) * t);
    return QPointF(a.x() + (b.x() - a.x()) * t, limit);
  }
};

QPolygonF ClipToHalfPlane(const QPolygonF& polygon, const THalfPlane& side) {
  QPolygonF out;
  out.reserve(polygon.size() + 4);
  for (qsizetype i = 0; i < polygon.size(); ++i) {
    const QPointF current = polygon[i];
    const QPointF previous = polygon[i == 0 ? polygon.size() - 1 : i - 1];
    const bool in = side.Inside(current), wasIn = side.Inside(previous);
    if (in != wasIn) out << side.Crossing(previous, current);
    if (in) out << current;
  }
  return out;
}

// Liang-Barsky: the parameter range [t0, t1] of segment a-b inside the rectangle; false when none.
bool SegmentInside(QPointF a, QPointF b, const QRectF& rect, double& t0, double& t1) {
  t0 = 0, t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(), rect.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  return true;
}

QPointF At(QPointF a, QPointF b, double t) {
  return a + (b - a) * t;
}

double SegmentDistance(QPointF p, QPointF a, QPointF b) {
  const QPointF ab = b - a, ap = p - a;
  const double length2 = QPointF::dotProduct(ab, ab);
  double t = length2 > 0 ? QPointF::dotProduct(ap, ab) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const QPointF nearest = a + ab * t;
  return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

}  // namespace

QPolygonF ClipPolygonToRect(const QPolygonF& polygon, const QRectF& rect) {
  const QRectF r = rect.normalized();
  QPolygonF out = polygon;
  for (const THalfPlane& side : {THalfPlane{0, r.left(), false}, THalfPlane{0, r.right(), true},
                                 THalfPlane{1, r.top(), false}, THalfPlane{1, r.bottom(), true}}) {
    if (out.isEmpty()) break;
    out = ClipToHalfPlane(out, side);
  }
  return out;
}

std::vector<QPolygonF> ClipPolylineToRect(const QPolygonF& polyline, const QRectF& rect) {
  const QRectF r = rect.normalized();
  std::vector<QPolygonF> pieces;
  QPolygonF piece;
  auto finish = [&] {
    if (piece.size() >= 2) pieces.push_back(piece);
    piece.clear();
  };
  for (qsizetype i = 1; i < polyline.size(); ++i) {
    const QPointF a = polyline[i - 1], b = polyline[i];
    double t0 = 0, t1 = 0;
    if (!SegmentInside(a, b, r, t0, t1)) {
      finish();
      continue;
    }
    const QPointF start = t0 > 0 ? At(a, b, t0) : a, end = t1 < 1 ? At(a, b, t1) : b;
    if (t0 > 0) finish();
    if (piece.isEmpty()) piece << start;
    piece << end;
    if (t1 < 1) finish();
  }
  finish();
  return pieces;
}

double DistanceToPolylines(QPointF point, const std::vector<QPolygonF>& polylines) {
  double best = std::numeric_limits<double>::infinity();
  for (const QPolygonF& line : polylines) {
    if (line.size() == 1) best = std::min(best, SegmentDistance(point, line[0], line[0]));
    for (qsizetype i = 1; i < line.size(); ++i)
      best = std::min(best, SegmentDistance(point, line[i - 1], line[i]));
  }
  return best;
}

QPainterPath ReachablePart(const std::vector<QPolygonF>& outline, const QRectF& reach) {
  QPainterPath path;
  for (const QPolygonF& line : outline) {
    std::vector<QPolygonF> pieces = ClipPolylineToRect(line, reach);
    const bool closed = line.size() > 2 && line.first() == line.last();
    if (closed && pieces.size() == 1 && pieces.front() == line) {
      path.addPolygon(line);
      path.closeSubpath();
      continue;
    }
    if (closed && pieces.size() >= 2 && pieces.front().first() == line.first() &&
        pieces.back().last() == line.last()) {
      pieces.back().append(pieces.front().mid(1));
      pieces.erase(pieces.begin());
    }
    for (const QPolygonF& piece : pieces) path.addPolygon(piece);
  }
  return path;
}

QPainterPath CutDownFill(const QList<QPolygonF>& polygons, const QRectF& area, Qt::FillRule rule) {
  QPainterPath fill;
  fill.setFillRule(rule);
  for (const QPolygonF& polygon : polygons) {
    const QPolygonF clipped = ClipPolygonToRect(polygon, area);
    if (clipped.size() >= 3) fill.addPolygon(clipped);
  }
  return fill;
}
