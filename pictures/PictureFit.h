// TRect, clamping to int, and fitting a picture into a free area keeping its proportions.
#pragma once

#include <iosfwd>

// A rectangle in control coordinates; Right and Bottom lie just outside it. Unlike QRect it keeps
// negative extents as they are, which the tile's arithmetic can produce.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  // A fill of an empty (or inverted) rectangle paints nothing.
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TRect&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TRect& rect);

// Narrows a wide intermediate result to 32 bits; the tile's sums can overflow with absurd bevels.
int ClampToInt(long long value);

// Shrinks a pw x ph picture into a W x H free area keeping its proportions (never enlarges), in
// 80-bit extended precision. A free area or picture without extent gives (0, 0, 0, 0).
TRect FitPictureRect(int W, int H, int pw, int ph);
