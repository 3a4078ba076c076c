// One frame of the seven-segment display: which glyph each position shows, where it goes, the composed image.
#pragma once

#include <QImage>
#include <QSize>
#include <array>

#include "SegmentGeometry.h"
#include "TColor.h"

using TGlyphImages = std::array<QImage, kGlyphCount>;

// The glyph at position (0 = leftmost) of a display with numDigits positions: the value written as "%0*d"
// writes it with a field of numDigits (minus sign first, then leading zeros, which go on past 16 digits),
// cut to its first numDigits characters, so a value too long for the display shows its most significant
// characters. Gives a digit 0 to 9 or kMinusGlyph; a position outside the text gives 0.
int DisplayGlyph(int value, int numDigits, int position);

// Where the digits of a display go: each is centred in a cell cellWidth wide, cells from the left edge.
struct TDigitPlacement {
  int cellWidth;
  int firstLeft;
  int top;
};

// Requires numDigits of one or more; divisions truncate toward zero.
TDigitPlacement PlaceDigits(QSize displaySize, int numDigits, QSize digitSize);

// Composes one frame of a display into frame: the background, then the glyph image of each position at its
// cell, opaque and clipped, later positions over earlier ones. frame is replaced only when its size differs
// from size. Positions that cannot reach the frame are skipped, so a huge numDigits costs nothing. All the
// glyph images are expected to have one size.
//
// size is in logical pixels; the frame has devicePixelRatio times as many and carries that ratio, and the
// glyphs are placed by their logical size, so glyphs made at the same ratio are copied pixel for pixel.
void ComposeLcdFrame(QImage& frame, QSize size, TColor background, int value, int numDigits,
                     const TGlyphImages& glyphs, qreal devicePixelRatio = 1.0);
