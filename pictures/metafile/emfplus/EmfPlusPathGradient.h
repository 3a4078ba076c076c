#pragma once

#include <QBrush>
#include <QColor>
#include <QGradient>
#include <QPainterPath>
#include <QPointF>
#include <QTransform>

// The colour a fraction t (0 to 1) of the way from one colour to another, alpha included.
QColor EmfPlusMix(const QColor& from, const QColor& to, double t);

// The brush of an EMF+ path gradient: colours that run from the boundary path (stop 0) to the centre
// point (stop 1), along the boundary shrunk toward the centre, so that a rectangle's colours change in
// rectangles. A focus scale keeps the centre colour over the boundary shrunk by it. The colours are
// painted once into an image over the boundary's box; outside the boundary the brush paints nothing.
// transform maps the boundary's space to world space. The image takes pixels from pixelBudget, and
// each ring the boundary's path elements from workBudget; when either is spent the brush is the
// blend's middle colour. Returns a brush of no style when the boundary has no area.
QBrush EmfPlusPathGradientBrush(const QPainterPath& boundary, QPointF centre, const QGradientStops& stops,
                                QPointF focusScales, const QTransform& transform, std::int64_t& pixelBudget,
                                std::int64_t& workBudget);
