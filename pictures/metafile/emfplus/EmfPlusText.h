// Drawing EMF+ text: strings in their layout rectangles, and driver strings of characters or glyph
// indices at their own positions.
#pragma once

#include <QBrush>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <vector>

#include "metafile/emfplus/EmfPlusFont.h"
#include "metafile/emfplus/EmfPlusStringFormat.h"

class QPainter;
class TMetaTextOutlines;

// How text of an EMF+ font object is drawn: the font at a fixed pixel size, scaled to its em size.
QFont EmfPlusQFont(const TEmfPlusFont& font);

// Fills the outlines of text in the layout rectangle (world coordinates; a rectangle without width or
// height is a point the text is aligned on), laid out as the string format says (nullptr: GDI+'s
// default format) and clipped by the rectangle. emSize is the font's em in world units; outlines keeps
// the lines' outlines for the next use.
void DrawEmfPlusString(QPainter& painter, const QTransform& worldToDevice, const QString& text,
                       const QRectF& layout, const TEmfPlusFont& font, const TEmfPlusStringFormat* format,
                       double emSize, const QBrush& brush, TMetaTextOutlines& outlines);

// Fills the outlines of characters each on its own baseline origin (world coordinates); with one
// position only, the characters follow each other from it.
void DrawEmfPlusGlyphs(QPainter& painter, const QTransform& worldToDevice, const QString& text,
                       const std::vector<QPointF>& origins, const TEmfPlusFont& font, double emSize,
                       const QBrush& brush, TMetaTextOutlines& outlines);

// Fills the outlines of glyphs by their index in the font file Qt draws the font with, each on its
// own baseline origin (world coordinates); with one position only, they follow each other by their
// advances.
void DrawEmfPlusGlyphIndices(QPainter& painter, const QTransform& worldToDevice,
                             const std::vector<std::uint16_t>& glyphs, const std::vector<QPointF>& origins,
                             const TEmfPlusFont& font, double emSize, const QBrush& brush,
                             TMetaTextOutlines& outlines);
