#include "metafile/emfplus/EmfPlusPathGradient.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "metafile/emfplus/EmfPlusFields.h"

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

// The size of the image over the box, its longer side kImageSide; empty for a box without area.
QSize ImageSize(const QRectF& box) {
  if (!(box.width() > 0) || !(box.height() > 0) || !std::isfinite(box.width()) ||
      !std::isfinite(box.height()))
    return QSize();
  const double longer = std::max(box.width(), box.height());
  return QSize(std::max(8, static_cast<int>(std::lround(kImageSide * box.width() / longer))),
               std::max(8, static_cast<int>(std::lround(kImageSide * box.height() / longer))));
}

}  // namespace

TEmfPlusPathGradient::TEmfPlusPathGradient(const QPainterPath& boundary, QPointF centre,
                                           const QGradientStops& stops, QPointF focusScales,
                                           const QTransform& transform)
    : boundary_(boundary),
      centre_(centre),
      stops_(stops),
      focusScales_(focusScales),
      transform_(transform),
      imageSize_(stops.isEmpty() ? QSize() : ImageSize(boundary.boundingRect())) {}

std::int64_t TEmfPlusPathGradient::Pixels() const {
  return std::int64_t{imageSize_.width()} * imageSize_.height();
}

std::int64_t TEmfPlusPathGradient::Work() const {
  return std::int64_t{kRings + 1} * boundary_.elementCount();
}

QColor TEmfPlusPathGradient::MiddleColour() const {
  return ColourAt(stops_, 0.5);
}

const QBrush& TEmfPlusPathGradient::Brush() const {
  if (!painted_) painted_ = Paint();
  return *painted_;
}

QBrush TEmfPlusPathGradient::Paint() const {
  const QRectF box = boundary_.boundingRect();
  const QSize size = imageSize_;
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  // Each ring replaces what the larger one painted, so see-through colours do not pile up.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  const QTransform toImage = QTransform::fromTranslate(-box.left(), -box.top()) *
                             QTransform::fromScale(size.width() / box.width(), size.height() / box.height());
  const double fx = std::clamp(focusScales_.x(), 0.0, 1.0), fy = std::clamp(focusScales_.y(), 0.0, 1.0);
  const auto shrunk = [&](double sx, double sy) {
    const QTransform toward = QTransform::fromTranslate(-centre_.x(), -centre_.y()) *
                              QTransform::fromScale(sx, sy) *
                              QTransform::fromTranslate(centre_.x(), centre_.y());
    return (toward * toImage).map(boundary_);
  };
  for (int ring = 0; ring < kRings; ++ring) {
    const double p = static_cast<double>(ring) / kRings;
    painter.setBrush(ColourAt(stops_, p + 0.5 / kRings));
    painter.drawPath(shrunk(1 - p * (1 - fx), 1 - p * (1 - fy)));
  }
  if (fx > 0 && fy > 0) {
    painter.setBrush(ColourAt(stops_, 1));
    painter.drawPath(shrunk(fx, fy));
  }
  painter.end();

  QBrush brush(image);
  brush.setTransform(QTransform::fromScale(box.width() / size.width(), box.height() / size.height()) *
                     QTransform::fromTranslate(box.left(), box.top()) * transform_);
  return brush;
}
