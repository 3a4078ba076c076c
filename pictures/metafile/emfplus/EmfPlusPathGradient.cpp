#include "metafile/emfplus/EmfPlusPathGradient.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// The image's longer side, and how many rings the colours change in: steps too fine to see on a tile.
constexpr int kImageSide = 128;
constexpr int kRings = 64;

// The colour at position p between the stops, which are sorted by position.
QColor ColourAt(const QGradientStops& stops, double p) {
  if (p <= stops.first().first) return stops.first().second;
  for (qsizetype i = 1; i < stops.size(); ++i) {
    if (p > stops[i].first) continue;
    const double span = stops[i].first - stops[i - 1].first;
    return span > 0 ? EmfPlusMix(stops[i - 1].second, stops[i].second, (p - stops[i - 1].first) / span)
                    : stops[i].second;
  }
  return stops.last().second;
}

}  // namespace

QColor EmfPlusMix(const QColor& from, const QColor& to, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()),
                mix(from.alpha(), to.alpha()));
}

QBrush EmfPlusPathGradientBrush(const QPainterPath& boundary, QPointF centre, const QGradientStops& stops,
                                QPointF focusScales, const QTransform& transform, std::int64_t& pixelBudget,
                                std::int64_t& workBudget) {
  const QRectF box = boundary.boundingRect();
  if (stops.isEmpty() || !(box.width() > 0) || !(box.height() > 0) || !std::isfinite(box.width()) ||
      !std::isfinite(box.height()))
    return QBrush();
  const double longer = std::max(box.width(), box.height());
  const QSize size(std::max(8, static_cast<int>(std::lround(kImageSide * box.width() / longer))),
                   std::max(8, static_cast<int>(std::lround(kImageSide * box.height() / longer))));
  const std::int64_t pixels = std::int64_t{size.width()} * size.height();
  const std::int64_t work = std::int64_t{kRings + 1} * boundary.elementCount();
  if (pixels > pixelBudget || work > workBudget) return QBrush(ColourAt(stops, 0.5));
  pixelBudget -= pixels;
  workBudget -= work;

  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  // Each ring replaces what the larger one painted, so see-through colours do not pile up.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  const QTransform toImage = QTransform::fromTranslate(-box.left(), -box.top()) *
                             QTransform::fromScale(size.width() / box.width(), size.height() / box.height());
  const double fx = std::clamp(focusScales.x(), 0.0, 1.0), fy = std::clamp(focusScales.y(), 0.0, 1.0);
  const auto shrunk = [&](double sx, double sy) {
    const QTransform toward = QTransform::fromTranslate(-centre.x(), -centre.y()) *
                              QTransform::fromScale(sx, sy) *
                              QTransform::fromTranslate(centre.x(), centre.y());
    return (toward * toImage).map(boundary);
  };
  for (int ring = 0; ring < kRings; ++ring) {
    const double p = static_cast<double>(ring) / kRings;
    painter.setBrush(ColourAt(stops, p + 0.5 / kRings));
    painter.drawPath(shrunk(1 - p * (1 - fx), 1 - p * (1 - fy)));
  }
  if (fx > 0 && fy > 0) {
    painter.setBrush(ColourAt(stops, 1));
    painter.drawPath(shrunk(fx, fy));
  }
  painter.end();

  QBrush brush(image);
  brush.setTransform(QTransform::fromScale(box.width() / size.width(), box.height() / size.height()) *
                     QTransform::fromTranslate(box.left(), box.top()) * transform);
  return brush;
}
