// GDI raster operations of bitmap records: which read a source, the drawing mode each becomes and the
// source prepared for it.
#pragma once

#include <QImage>
#include <cstdint>

#include "metafile/model/MetaBitmap.h"

// The operations (the dwRop of bitmap records) are libuemf's U_SRCCOPY ... U_WHITENESS.

// True when the operation reads its source bitmap.
bool RopUsesSource(std::uint32_t rop);
// The drawing mode of an operation; operations with a source that cannot be told apart draw the
// source as SRCCOPY would, those without one fill with the brush when they use it.
EMetaBlitMode BlitModeOf(std::uint32_t rop);
// The colour a FillColour operation fills with: black for BLACKNESS, white for WHITENESS.
QRgb RopFillColour(std::uint32_t rop);
// True when the mode draws a source image, which PrepareBlitImage makes.
bool BlitModeDrawsImage(EMetaBlitMode mode);
// True when the operation inverts its source's colours before drawing it (NOTSRCCOPY, MERGEPAINT).
bool RopInvertsSource(std::uint32_t rop);
// The source colour where a BrushThroughImage operation paints the brush: black or white.
QRgb RopBrushThroughColour(std::uint32_t rop);
// A colour reference (COLORREF) as an opaque colour, its type ignored.
QRgb RopColour(std::uint32_t colourRef);
// The source image ready to draw in the operation's mode (see EMetaBlitMode), as 32-bit
// premultiplied pixels. Null when the mode draws no image.
QImage PrepareBlitImage(const QImage& source, std::uint32_t rop);
// A decoded AlphaBlend source with per-pixel alpha, whose colours are stored premultiplied by their
// alpha already (a colour above its alpha is cut to it); an opaque source is returned as it is.
QImage StoredPremultiplied(QImage source);
// The source with every pixel of the colour (0x00BBGGRR) transparent, as TransparentBlt draws it.
QImage WithoutColour(const QImage& source, std::uint32_t colourRef);
// The source with the pixels whose mask bit is 0 (black in the mask image) transparent, the mask's
// (maskX, maskY) lying on the source's (0, 0); pixels beyond the mask keep showing.
QImage ThroughMask(const QImage& source, const QImage& mask, int maskX, int maskY);
