// Bitmap records of the play list drawn, and pattern brushes made from their pixels.
#pragma once

#include <QBrush>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <vector>

#include "metafile/model/MetaBitmap.h"
#include "metafile/play/MetaPalette.h"

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
// colour for its 1 bits (0x00BBGGRR both), as GDI draws it; a pattern of palette colours takes them
// from the palette (null: the default one).
QBrush MetaPatternBrush(const TMetaPattern& pattern, std::uint32_t textColour, std::uint32_t bkColour,
                        const TMetaPaletteEntries* palette);

// A bitmap of palette colours coloured by the palette (null: the default one) and prepared for its
// raster operation, as 32-bit premultiplied pixels.
QImage MetaPaletteColoured(const TMetaPaletteImage& image, const TMetaPaletteEntries* palette);

// The bitmaps of palette colours of one play list as last coloured, each with the palette it took, so
// that a repaint under the same colours does not colour them again.
class TMetaPaletteBlits {
 public:
  // MetaPaletteColoured, or the image coloured so before.
  QImage Coloured(const TMetaPaletteImage& image, const TMetaPaletteEntries* palette);
  // The memory the kept images take.
  qint64 Bytes() const;

 private:
  struct TColoured {
    const TMetaPaletteImage* image = nullptr;
    TMetaPaletteEntries palette;  // empty for the default palette
    QImage pixels;
  };
  std::vector<TColoured> coloured_;
};
