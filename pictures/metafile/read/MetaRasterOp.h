// GDI raster operations of bitmap records: which read a source, the drawing mode each becomes and the
// source prepared for it.
#pragma once

#include <QImage>
#include <cstdint>

#include "metafile/model/MetaBitmap.h"

// GDI ternary raster operations (the dwRop of bitmap records) as far as this player draws them.
namespace MetaRop {
inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;
inline constexpr std::uint32_t kSrcPaint = 0x00EE0086;
inline constexpr std::uint32_t kSrcAnd = 0x008800C6;
inline constexpr std::uint32_t kSrcInvert = 0x00660046;
inline constexpr std::uint32_t kNotSrcCopy = 0x00330008;
inline constexpr std::uint32_t kMergePaint = 0x00BB0226;
inline constexpr std::uint32_t kPatCopy = 0x00F00021;
inline constexpr std::uint32_t kPatInvert = 0x005A0049;
inline constexpr std::uint32_t kDstInvert = 0x00550009;
inline constexpr std::uint32_t kBlackness = 0x00000042;
inline constexpr std::uint32_t kWhiteness = 0x00FF0062;
inline constexpr std::uint32_t kMergeCopy = 0x00C000CA;
inline constexpr std::uint32_t kSrcErase = 0x00440328;
inline constexpr std::uint32_t kNotSrcErase = 0x001100A6;
}  // namespace MetaRop

// True when the operation reads its source bitmap.
bool RopUsesSource(std::uint32_t rop);
// The drawing mode of an operation; operations with a source that cannot be told apart draw the
// source as SRCCOPY would, those without one fill with the brush when they use it.
EMetaBlitMode BlitModeOf(std::uint32_t rop);
// The colour a FillColour operation fills with: black for BLACKNESS, white for WHITENESS.
QRgb RopFillColour(std::uint32_t rop);
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
