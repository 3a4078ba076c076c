#include "metafile/emfplus/EmfPlusGeometry.h"

#include <algorithm>
#include <cmath>

#include "metafile/emfplus/EmfPlusTypes.h"

bool EmfPlusFinite(double value) {
  return std::isfinite(value) && std::abs(value) < kMaxEmfPlusValue;
}

double EmfPlusMaxScale(const QTransform& t) {
  return std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
}

QPainterPath EmfPlusPathFromTypes(const std::vector<QPointF>& points,
                                  const std::vector<std::uint8_t>& types) {
  QPainterPath path;
  const std::size_t count = std::min(points.size(), types.size());
  bool open = false;
  for (std::size_t i = 0; i < count; ++i) {
    const int kind = types[i] & EmfPlus::kPathPointTypeMask;
    if (!open || kind == EmfPlus::kPathPointTypeStart) {
      path.moveTo(points[i]);
      open = true;
    } else if (kind == EmfPlus::kPathPointTypeBezier && i + 2 < count) {
      path.cubicTo(points[i], points[i + 1], points[i + 2]);
      i += 2;
    } else {
      path.lineTo(points[i]);
    }
    if (types[i] & EmfPlus::kPathPointTypeCloseSubpath) {
      path.closeSubpath();
      open = false;
    }
  }
  return path;
}

namespace {

// GDI+ scales the tension by this before using it as the tangents' length.
constexpr double kTensionScale = 0.3;

QPointF At(const std::vector<QPointF>& points, std::int64_t i, bool closed) {
  const auto n = static_cast<std::int64_t>(points.size());
  if (closed) return points[static_cast<std::size_t>(((i % n) + n) % n)];
  return points[static_cast<std::size_t>(std::clamp<std::int64_t>(i, 0, n - 1))];
}

void AddSegment(QPainterPath& path, const std::vector<QPointF>& points, std::int64_t i, double t,
                bool closed) {
  const QPointF p0 = At(points, i - 1, closed), p1 = At(points, i, closed), p2 = At(points, i + 1, closed),
                p3 = At(points, i + 2, closed);
  path.cubicTo(p1 + t * (p2 - p0), p2 - t * (p3 - p1), p2);
}

}  // namespace

QPainterPath CardinalSpline(const std::vector<QPointF>& points, double tension, bool closed) {
  QPainterPath path;
  const auto n = static_cast<std::int64_t>(points.size());
  if (n < 2) return path;
  if (!std::isfinite(tension)) tension = 0.5;
  const double t = tension * kTensionScale;
  path.moveTo(points[0]);
  const std::int64_t segments = closed ? n : n - 1;
  for (std::int64_t i = 0; i < segments; ++i) AddSegment(path, points, i, t, closed);
  if (closed) path.closeSubpath();
  return path;
}

QPainterPath CardinalSplinePart(const std::vector<QPointF>& points, double tension, int first, int segments) {
  QPainterPath path;
  const auto n = static_cast<std::int64_t>(points.size());
  if (n < 2 || first < 0 || segments <= 0 || first >= n - 1) return path;
  if (!std::isfinite(tension)) tension = 0.5;
  const std::int64_t last = std::min<std::int64_t>(n - 1, static_cast<std::int64_t>(first) + segments);
  path.moveTo(points[static_cast<std::size_t>(first)]);
  for (std::int64_t i = first; i < last; ++i) AddSegment(path, points, i, tension * kTensionScale, false);
  return path;
}

QPainterPath EmfPlusArc(const QRectF& box, double startAngle, double sweepAngle, bool pie) {
  QPainterPath path;
  if (box.width() <= 0 || box.height() <= 0 || !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
    return path;
  sweepAngle = std::clamp(sweepAngle, -360.0, 360.0);
  // Angles of points on the ellipse become the parameter angles Qt wants, which differ where the
  // ellipse is not a circle; Qt's angles run anticlockwise.
  const auto parametric = [&](double degrees) {
    const double radians = degrees * M_PI / 180.0;
    return std::atan2(std::sin(radians) / box.height(), std::cos(radians) / box.width()) * 180.0 / M_PI;
  };
  const double start = parametric(startAngle);
  double end = parametric(startAngle + sweepAngle);
  double sweep = end - start;
  if (sweepAngle > 0 && sweep <= 0) sweep += 360;
  if (sweepAngle < 0 && sweep >= 0) sweep -= 360;
  if (std::abs(sweepAngle) >= 360) sweep = sweepAngle;
  if (pie) {
    path.moveTo(box.center());
  } else {
    path.arcMoveTo(box, -start);
  }
  path.arcTo(box, -start, -sweep);
  if (pie) path.closeSubpath();
  return path;
}

QPolygonF OffsetPolyline(const QPolygonF& line, double distance) {
  QPolygonF points;
  for (const QPointF& p : line)
    if (points.isEmpty() || p != points.last()) points.append(p);
  const bool closed = points.size() > 2 && points.first() == points.last();
  if (closed) points.removeLast();
  const qsizetype n = points.size();
  if (n < 2 || distance == 0) return closed ? points << points.first() : points;
  // Unit normal of the segment from point i to the next, pointing right.
  const auto normal = [&](qsizetype i) {
    const QPointF d = points[(i + 1) % n] - points[i];
    const double length = std::hypot(d.x(), d.y());
    return QPointF(-d.y() / length, d.x() / length);
  };
  QPolygonF out;
  out.reserve(n + 1);
  for (qsizetype i = 0; i < n; ++i) {
    if (!closed && (i == 0 || i == n - 1)) {
      out.append(points[i] + normal(i == 0 ? 0 : n - 2) * distance);
      continue;
    }
    const QPointF a = normal((i + n - 1) % n), b = normal(i);
    QPointF mitre = a + b;
    const double length = std::hypot(mitre.x(), mitre.y());
    if (length < 1e-9) {
      out.append(points[i] + a * distance);
      continue;
    }
    mitre /= length;
    const double cosine = mitre.x() * b.x() + mitre.y() * b.y();
    out.append(points[i] + mitre * (distance / std::max(cosine, 0.25)));
  }
  if (closed) out.append(out.first());
  return out;
}
