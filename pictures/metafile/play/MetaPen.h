// GDI pens as Qt pens.
#pragma once

#include <QPen>
#include <QTransform>
#include <cstdint>
#include <vector>

// How GDI pens become Qt pens. A GDI pen is cosmetic (one device pixel, dashes counted in pixels) or
// geometric (a width in logical units, dashes in multiples of it, end caps and joins of its own). The
// Qt pen made here keeps GDI's meaning: width 0 stands for the cosmetic pen, and its dash pattern is in
// pixels; MetaPenForDrawing turns it into the pen to draw with under the mapping in force.

// Longest user dash style taken from a file; GDI itself allows 16 entries.
inline constexpr int kMaxMetaPenDashes = 16;

// The dash and gap lengths of a GDI pen style (PS_DASH ... PS_ALTERNATE): in pixels for cosmetic pens,
// in pen widths for geometric ones. Empty for solid, null and inside-frame pens.
std::vector<double> MetaDashPattern(int style, bool cosmetic);

// A pen of CreatePen (WMF and EMF): style PS_* with its end cap and join bits, logical width and
// 0x00BBGGRR colour. Width 0 is the cosmetic pen; dashed styles only dash one pixel wide, a wider
// dashed pen draws solid as in GDI.
QPen MetaPen(int style, int width, std::uint32_t colour);

// A pen of ExtCreatePen: style with its type (PS_GEOMETRIC or cosmetic), width (only geometric pens
// have one) and the user style's dash and gap lengths (logical units for geometric pens, pixels for
// cosmetic ones).
QPen MetaExtPen(std::uint32_t style, std::int32_t width, std::uint32_t colour,
                const std::vector<std::uint32_t>& userDashes);

// The pen to draw with: the cosmetic pen and pens narrower than a pixel become one pixel of the
// picture wide, where pixelSize is that pixel in picture units (the picture at its natural size).
QPen MetaPenForDrawing(const QPen& pen, const QTransform& logicalToPicture, double pixelSize);
