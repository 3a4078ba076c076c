// The seven segments of a digit: which each glyph lights, their polygons and the digit image.
#pragma once

#include <QImage>
#include <QPolygon>
#include <array>

#include "TColor.h"

// Segment slots in the order a digit's segments are stored and drawn.
enum TSegmentSlot { ssTop, ssUpperLeft, ssUpperRight, ssMiddle, ssLowerLeft, ssLowerRight, ssBottom };

inline constexpr int kSegmentCount = 7;

using TSegmentFlags = std::array<bool, kSegmentCount>;
using TSegmentColors = std::array<TColor, kSegmentCount>;
using TSegmentPolygons = std::array<QPolygon, kSegmentCount>;

// Glyphs with a digit image: the digits 0 to 9 by value, then the minus sign of a negative value.
inline constexpr int kMinusGlyph = 10;
inline constexpr int kGlyphCount = 11;

// Which segments each glyph lights, in slot order.
inline constexpr std::array<TSegmentFlags, kGlyphCount> kGlyphSegments{{
    {true, true, true, false, true, true, true},      // 0
    {false, false, true, false, false, true, false},  // 1
    {true, false, true, true, true, false, true},     // 2
    {true, false, true, true, false, true, true},     // 3
    {false, true, true, true, false, true, false},    // 4
    {true, true, false, true, false, true, true},     // 5
    {true, true, false, true, true, true, true},      // 6
    {true, false, true, false, false, true, false},   // 7
    {true, true, true, true, true, true, true},       // 8
    {true, true, true, true, false, true, true},      // 9
    {false, false, false, true, false, false, false}  // minus
}};

// Digit images are at most this many pixels on a side and line widths at most kMaxDigitLineWidth, so that
// absurd property values cannot allocate gigabytes; the middle of a wider digit looks the same anyway.
inline constexpr int kMaxDigitSide = 2048;
inline constexpr int kMaxDigitLineWidth = 65536;

// The seven polygons of a digit width pixels wide and height high whose segments are lineWidth thick, in
// slot order, in the digit image's coordinates.
TSegmentPolygons SegmentPolygons(int width, int height, int lineWidth);

// A digit image: the background, then each segment filled in its colour and outlined by a one-pixel line
// in the background colour. Sizes are clamped to kMaxDigitSide; a size below one gives an image of
// background alone (no pixels at all when width or height is below one).
//
// width, height and lineWidth are logical pixels: at a devicePixelRatio above 1 the image has that many
// times the pixels (rounded, then clamped) and carries the ratio, and the polygons are laid out at the
// device size, so a high-density screen gets sharp segments rather than a magnified small image.
QImage RenderDigitImage(int width, int height, int lineWidth, const TSegmentColors& colors, TColor background,
                        qreal devicePixelRatio = 1.0);
