// Bitmap records of the play list drawn, and pattern brushes made from their pixels.
#pragma once

#include <QBrush>
#include <QRectF>
#include <QTransform>
#include <cstdint>

#include "metafile/model/MetaBitmap.h"

class QPainter;

// The transform that takes the blit's source rectangle onto its destination parallelogram, in
// logical units; false when either is degenerate.
bool MetaBlitTransform(const TMetaBlit& blit, QTransform& sourceToLogical);
// The logical bounds of what the blit covers; empty when it is degenerate.
QRectF MetaBlitBounds(const TMetaBlit& blit);
// Draws the blit with the painter, whose transform maps logical units to the device; `brush` is the
// selected brush, for the operations that paint with it.
void DrawMetaBlit(QPainter& painter, const TMetaBlit& blit, const QBrush& brush);
// A pattern brush: a monochrome pattern takes the text colour for its 0 bits and the background
// colour for its 1 bits (0x00BBGGRR both), as GDI draws it.
QBrush MetaPatternBrush(const TMetaPattern& pattern, std::uint32_t textColour, std::uint32_t bkColour);
