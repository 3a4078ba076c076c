// The brush of an EMF+ path gradient, kept as its description when read and painted into an image at
// its first use.
#pragma once

#include <QBrush>
#include <QColor>
#include <QGradient>
#include <QPainterPath>
#include <QPointF>
#include <QSize>
#include <QTransform>
#include <cstdint>
#include <optional>

// Colours that run from the boundary path (stop 0) to the centre point (stop 1), along the boundary
// shrunk toward the centre, so that a rectangle's colours change in rectangles. A focus scale keeps the
// centre colour over the boundary shrunk by it. The colours are painted once into an image over the
// boundary's box; outside the boundary the brush paints nothing. transform maps the boundary's space
// to world space.
class TEmfPlusPathGradient {
 public:
  TEmfPlusPathGradient(const QPainterPath& boundary, QPointF centre, const QGradientStops& stops,
                       QPointF focusScales, const QTransform& transform);

  // False when the boundary has no area: such a gradient paints nothing.
  bool HasArea() const { return !imageSize_.isEmpty(); }
  // What painting it costs: the image's pixels, and the boundary's path elements over all rings.
  std::int64_t Pixels() const;
  std::int64_t Work() const;
  // The colour halfway along the blend, which stands in for the gradient when painting it costs more
  // than a file may spend.
  QColor MiddleColour() const;
  // The brush, painted at the first call. Pictures are drawn on the GUI thread only.
  const QBrush& Brush() const;

 private:
  QBrush Paint() const;

  QPainterPath boundary_;
  QPointF centre_;
  QGradientStops stops_;
  QPointF focusScales_;
  QTransform transform_;
  QSize imageSize_;
  mutable std::optional<QBrush> painted_;
};
