#pragma once

#include <QRect>
#include <QRegion>

// The ring that marks a focused area from outside it, leaving the area's own pixels alone: a one-pixel
// gap, a light band that separates it from the area, and a dark band that stands out on the board.
struct TFocusRing {
  QRegion light;
  QRegion dark;
  QRegion Whole() const { return light.united(dark); }
};

inline constexpr int kFocusRingGap = 1;
inline constexpr int kFocusRingLightWidth = 1;
inline constexpr int kFocusRingDarkWidth = 2;
// How far the ring reaches out from the area.
inline constexpr int kFocusRingReach = kFocusRingGap + kFocusRingLightWidth + kFocusRingDarkWidth;

// The ring around an area; none around an empty one.
TFocusRing FocusRingAround(const QRect& area);
