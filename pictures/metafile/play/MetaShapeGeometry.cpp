// The geometry of GDI's shapes in logical units: boxes, arcs, curves, PolyDraw figures, polygon runs and
// region frames.
#include "metafile/play/MetaShapeGeometry.h"

#include <uemf.h>

#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

// Angles of AngleArc in 1/65536 degree.
double Degrees(std::int32_t fixed) {
  return static_cast<double>(fixed) / 65536.0;
}

// Subtracting paths grows costly with their size: the frame of a region of more rectangles is the whole
// region.
constexpr std::size_t kMaxFramedRegionRects = 64;

}  // namespace

QRectF MetaBox(const TMetaRect& rect) {
  return QRectF(QPointF(rect.left, rect.top), QPointF(rect.right, rect.bottom)).normalized();
}

QRectF MetaInsideFrameBox(const QRectF& box, double penWidth) {
  const double half = penWidth / 2;
  if (half <= 0.5) return box;
  const double dx = std::min(half, box.width() / 2), dy = std::min(half, box.height() / 2);
  return box.adjusted(dx, dy, -dx, -dy);
}

QPainterPath MetaRoundRectPath(const QRectF& box, std::int32_t cornerWidth, std::int32_t cornerHeight) {
  QPainterPath path;
  path.addRoundedRect(box, std::abs(cornerWidth) / 2.0, std::abs(cornerHeight) / 2.0);
  return path;
}

TMetaArcAngles MetaArcAngles(const QRectF& box, QPointF start, QPointF end, bool clockwise) {
  const QPointF centre = box.center();
  const double rx = box.width() / 2, ry = box.height() / 2;
  const auto angle = [&](QPointF p) {
    return std::atan2(-(p.y() - centre.y()) / ry, (p.x() - centre.x()) / rx) * 180.0 / M_PI;
  };
  TMetaArcAngles result;
  result.start = angle(start);
  double sweep = angle(end) - result.start;
  if (clockwise) {
    while (sweep >= 0) sweep -= 360;
  } else {
    while (sweep <= 0) sweep += 360;
  }
  result.sweep = sweep;
  return result;
}

QPainterPath MetaArcPath(EMetaOp op, const QRectF& box, QPointF rayStart, QPointF rayEnd, bool clockwise,
                         QPointF from) {
  const TMetaArcAngles angles = MetaArcAngles(box, rayStart, rayEnd, clockwise);
  QPainterPath path;
  if (op == EMetaOp::ArcTo) {
    path.moveTo(from);
    QPainterPath arc;
    arc.arcMoveTo(box, angles.start);
    path.lineTo(arc.currentPosition());
  } else if (op == EMetaOp::Pie) {
    path.moveTo(box.center());
  } else {
    path.arcMoveTo(box, angles.start);
  }
  path.arcTo(box, angles.start, angles.sweep);
  if (op == EMetaOp::Chord || op == EMetaOp::Pie) path.closeSubpath();
  return path;
}

QPainterPath MetaAngleArcPath(QPointF from, const TMetaAngleArcArgs& arc) {
  const double radius = static_cast<double>(arc.radius);
  const double start = Degrees(arc.start), sweep = Degrees(arc.sweep);
  const QPointF centre(arc.centre.x, arc.centre.y);
  const QRectF box(centre - QPointF(radius, radius), centre + QPointF(radius, radius));
  QPainterPath path(from);
  const double a = start * M_PI / 180;
  path.lineTo(centre + QPointF(radius * std::cos(a), -radius * std::sin(a)));
  if (radius > 0 && sweep != 0) path.arcTo(box, start, std::clamp(sweep, -720.0, 720.0));
  return path;
}

TMetaCurve MetaCurvePath(EMetaOp op, QPointF from, std::span<const QPoint> points) {
  const auto count = static_cast<std::int32_t>(points.size());
  TMetaCurve curve;
  std::int32_t next = 0;
  if (op == EMetaOp::PolyBezier) {
    if (count < 4) return curve;
    curve.path.moveTo(points[static_cast<std::size_t>(next++)]);
  } else {
    curve.path.moveTo(from);
  }
  const auto at = [&points](std::int32_t i) { return points[static_cast<std::size_t>(i)]; };
  if (op == EMetaOp::PolylineTo) {
    for (; next < count; ++next) curve.path.lineTo(at(next));
  } else {
    for (; next + 2 < count; next += 3) curve.path.cubicTo(at(next), at(next + 1), at(next + 2));
  }
  curve.used = next;
  return curve;
}

TMetaPolyDraw MetaPolyDrawFigures(QPointF from, std::span<const QPoint> p,
                                  std::span<const std::uint8_t> types) {
  const auto count = static_cast<std::int64_t>(std::min(p.size(), types.size()));
  TMetaPolyDraw draw;
  draw.end = from;
  QPainterPath figure(from);
  bool continuing = true;  // the first figure starts at the current position
  const auto finish = [&](bool close) {
    if (figure.elementCount() > 1) draw.figures.push_back({figure, close, continuing});
  };
  for (std::int64_t i = 0; i < count; ++i) {
    const auto type = types[static_cast<std::size_t>(i)] & ~U_PT_CLOSEFIGURE;
    const auto point = [&p](std::int64_t k) { return p[static_cast<std::size_t>(k)]; };
    if (type == U_PT_MOVETO) {
      finish(false);
      figure = QPainterPath(QPointF(point(i)));
      continuing = false;
    } else if (type == U_PT_LINETO) {
      figure.lineTo(point(i));
    } else if (type == U_PT_BEZIERTO && i + 2 < count) {
      figure.cubicTo(point(i), point(i + 1), point(i + 2));
      i += 2;
    } else {
      break;
    }
    draw.end = point(i);
    if (types[static_cast<std::size_t>(i)] & U_PT_CLOSEFIGURE) {
      finish(true);
      figure = QPainterPath(QPointF(point(i)));
      continuing = false;
    }
  }
  finish(false);
  return draw;
}

bool MetaPolyPolygonPath(std::span<const QPoint> points, std::span<const std::int32_t> counts,
                         std::int64_t firstPoint, bool closed, QPainterPath& path) {
  std::int64_t next = firstPoint;
  for (const std::int32_t count : counts) {
    if (next < 0 || count < 0 ||
        static_cast<std::uint64_t>(next) + static_cast<std::uint64_t>(count) > points.size())
      return false;
    const QPoint* p = points.data() + next;
    if (count > 0) {
      path.moveTo(p[0]);
      for (std::int32_t k = 1; k < count; ++k) path.lineTo(p[k]);
      if (closed) path.closeSubpath();
    }
    next += count;
  }
  return true;
}

QPainterPath MetaPointsPath(const QPoint* points, int count) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QPolygon(QList<QPoint>(points, points + count))));
  return path;
}

QRectF MetaPointBounds(const QPoint* points, int count) {
  int left = points[0].x(), right = left, top = points[0].y(), bottom = top;
  for (int i = 1; i < count; ++i) {
    left = std::min(left, points[i].x()), right = std::max(right, points[i].x());
    top = std::min(top, points[i].y()), bottom = std::max(bottom, points[i].y());
  }
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPainterPath MetaRegionFrame(const QPainterPath& region, std::span<const QRect> rects, std::int32_t width,
                             std::int32_t height) {
  if (rects.size() > kMaxFramedRegionRects) return region;
  const double w = std::abs(static_cast<double>(width)), h = std::abs(static_cast<double>(height));
  QPainterPath inner;
  for (const QRect& r : rects) {
    const QRectF shrunk =
        QRectF(QPointF(r.topLeft()), QPointF(r.bottomRight() + QPoint(1, 1))).adjusted(w, h, -w, -h);
    if (shrunk.isValid() && !shrunk.isEmpty()) inner.addRect(shrunk);
  }
  return region.subtracted(inner);
}
