#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <vector>

#include "MetaShape.h"

class QPainter;

// The generated metafiles are built as the controls' TMetaDrawing, so one shape list feeds the WMF and
// EMF writers and the raster previews. Shapes without a pen or a brush use the null one.

// A drawing of width x height units at 96 units per inch, filled with background when it is valid.
TMetaDrawing MakeDrawing(int width, int height, const QColor& background = QColor());
int DrawingWidth(const TMetaDrawing& drawing);
int DrawingHeight(const TMetaDrawing& drawing);

void AddPolygon(TMetaDrawing& drawing, const QColor& fill, std::vector<QPoint> points);
void AddPolyPolygon(TMetaDrawing& drawing, const QColor& fill, const std::vector<std::vector<QPoint>>& rings);
// box is right and bottom exclusive, as the metafile records store it.
void AddEllipse(TMetaDrawing& drawing, const QColor& fill, const QRect& box, const QColor& pen = QColor(),
                int penWidth = 1);
void AddRectangle(TMetaDrawing& drawing, const QColor& fill, const QRect& box);
void AddPolyline(TMetaDrawing& drawing, const QColor& pen, int penWidth, std::vector<QPoint> points);

// Paints the drawing antialiased with Qt, the way a metafile player fills these shapes (alternate fill).
void PaintMetaDrawing(QPainter& painter, const TMetaDrawing& drawing);
