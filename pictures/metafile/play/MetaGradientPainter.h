// The painting of GradientFill: rectangles and triangles shaded from their vertices' colours.
#pragma once

#include <QColor>
#include <QRectF>

#include "metafile/model/MetaGradient.h"

class QPainter;

// Paints the gradient with the painter's transform in logical units. Shapes naming a missing vertex are
// skipped. Triangles are shaded by subdividing them into small flat triangles, at most maxPieces in all.
void PaintMetaGradient(QPainter& painter, const TMetaGradient& gradient, int maxPieces = 20000);

// The colour a triangle's shading gives at barycentric weights (wa, wb, 1 - wa - wb).
QColor BlendGradient(const QColor& a, const QColor& b, const QColor& c, double wa, double wb);

// The logical bounds of the vertices the shapes name; null when they name none.
QRectF MetaGradientBounds(const TMetaGradient& gradient);
