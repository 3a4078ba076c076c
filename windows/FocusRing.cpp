#include "FocusRing.h"

namespace {
// The band of the given width whose inner edge lies `from` pixels outside the area.
QRegion Band(const QRect& area, int from, int width) {
  const QRect inner = area.adjusted(-from, -from, from, from);
  const int to = from + width;
  return QRegion(area.adjusted(-to, -to, to, to)).subtracted(QRegion(inner));
}
}  // namespace

TFocusRing FocusRingAround(const QRect& area) {
  if (area.isEmpty()) return {};
  return {Band(area, kFocusRingGap, kFocusRingLightWidth),
          Band(area, kFocusRingGap + kFocusRingLightWidth, kFocusRingDarkWidth)};
}
