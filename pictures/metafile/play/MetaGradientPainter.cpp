// The painting of GradientFill: rectangles shaded along an axis, triangles across, from their
// vertices' colours.
#include "metafile/play/MetaGradientPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

// Each triangle is cut into steps x steps small flat triangles; finer shading would not show at tile size.
constexpr int kTriangleSteps = 16;

const QPoint* Vertex(const TMetaGradient& gradient, std::uint32_t index) {
  return index < gradient.vertices.size() && index < gradient.colours.size() ? &gradient.vertices[index]
                                                                             : nullptr;
}

void PaintRectangle(QPainter& painter, const TMetaGradient& gradient,
                    const std::array<std::uint32_t, 3>& shape) {
  const QPoint* a = Vertex(gradient, shape[0]);
  const QPoint* b = Vertex(gradient, shape[1]);
  if (!a || !b) return;
  const QRectF rect = QRectF(QPointF(*a), QPointF(*b)).normalized();
  if (rect.isEmpty()) return;
  const bool horizontal = gradient.mode == TMetaGradient::EMode::Horizontal;
  // The colours belong to the vertices, wherever they lie.
  QLinearGradient shading(horizontal ? QPointF(a->x(), 0) : QPointF(0, a->y()),
                          horizontal ? QPointF(b->x(), 0) : QPointF(0, b->y()));
  shading.setColorAt(0, gradient.colours[shape[0]]);
  shading.setColorAt(1, gradient.colours[shape[1]]);
  if ((horizontal && a->x() == b->x()) || (!horizontal && a->y() == b->y())) {
    painter.fillRect(rect, gradient.colours[shape[0]]);
    return;
  }
  painter.fillRect(rect, shading);
}

void PaintTriangle(QPainter& painter, const TMetaGradient& gradient,
                   const std::array<std::uint32_t, 3>& shape, int steps) {
  const QPoint* pa = Vertex(gradient, shape[0]);
  const QPoint* pb = Vertex(gradient, shape[1]);
  const QPoint* pc = Vertex(gradient, shape[2]);
  if (!pa || !pb || !pc) return;
  const QColor& ca = gradient.colours[shape[0]];
  const QColor& cb = gradient.colours[shape[1]];
  const QColor& cc = gradient.colours[shape[2]];
  const QPointF a(*pa), b(*pb), c(*pc);
  const auto at = [&](double i, double j) {
    // i steps towards b, j towards c from a.
    return a + (b - a) * (i / steps) + (c - a) * (j / steps);
  };
  painter.setPen(Qt::NoPen);
  for (int i = 0; i < steps; ++i) {
    for (int j = 0; i + j < steps; ++j) {
      // The upright small triangle, then the inverted one beside it.
      for (int flip = 0; flip < 2; ++flip) {
        if (flip == 1 && i + j + 1 >= steps) break;
        QPolygonF piece;
        if (flip == 0)
          piece << at(i, j) << at(i + 1, j) << at(i, j + 1);
        else
          piece << at(i + 1, j) << at(i + 1, j + 1) << at(i, j + 1);
        const double ci = flip == 0 ? i + 1.0 / 3 : i + 2.0 / 3, cj = flip == 0 ? j + 1.0 / 3 : j + 2.0 / 3;
        const double wb = ci / steps, wc = cj / steps;
        painter.setBrush(BlendGradient(ca, cb, cc, 1 - wb - wc, wb));
        painter.drawPolygon(piece);
      }
    }
  }
}

}  // namespace

QColor BlendGradient(const QColor& a, const QColor& b, const QColor& c, double wa, double wb) {
  const double wc = 1 - wa - wb;
  const auto mix = [&](int x, int y, int z) {
    return std::clamp(static_cast<int>(std::lround(x * wa + y * wb + z * wc)), 0, 255);
  };
  return QColor(mix(a.red(), b.red(), c.red()), mix(a.green(), b.green(), c.green()),
                mix(a.blue(), b.blue(), c.blue()));
}

void PaintMetaGradient(QPainter& painter, const TMetaGradient& gradient, int maxPieces) {
  painter.save();
  painter.setPen(Qt::NoPen);
  if (gradient.mode == TMetaGradient::EMode::Triangle) {
    // Antialiased, the small triangles' shared edges would let the ground show through as seams.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const std::int64_t triangles = static_cast<std::int64_t>(gradient.shapes.size());
    int steps = kTriangleSteps;
    while (steps > 1 && triangles * steps * steps > maxPieces) steps /= 2;
    std::int64_t budget = maxPieces;
    for (const auto& shape : gradient.shapes) {
      if (budget <= 0) break;
      PaintTriangle(painter, gradient, shape, steps);
      budget -= static_cast<std::int64_t>(steps) * steps;
    }
  } else {
    for (const auto& shape : gradient.shapes) PaintRectangle(painter, gradient, shape);
  }
  painter.restore();
}

QRectF MetaGradientBounds(const TMetaGradient& gradient) {
  QRectF box;
  const int corners = gradient.mode == TMetaGradient::EMode::Triangle ? 3 : 2;
  for (const auto& shape : gradient.shapes)
    for (int k = 0; k < corners; ++k)
      if (shape[static_cast<std::size_t>(k)] < gradient.vertices.size()) {
        const QPointF p(gradient.vertices[shape[static_cast<std::size_t>(k)]]);
        box = box.isNull() ? QRectF(p, QSizeF(0, 0)) : box.united(QRectF(p, QSizeF(0, 0)));
      }
  return box;
}
