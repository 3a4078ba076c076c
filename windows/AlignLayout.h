#pragma once

#include <QRect>
#include <vector>

#include "Align.h"

// One child to be placed: its alignment and its current geometry.
struct AlignedChild {
  TAlign align;
  QRect geometry;
};

// Places aligned children inside area the way the window layouts expect: top and bottom children
// take the full width at their own height, left and right children the remaining height at their own
// width, in the order given; a client child fills what is left; unaligned children stay put.
std::vector<QRect> AlignRects(const QRect& area, const std::vector<AlignedChild>& children);
