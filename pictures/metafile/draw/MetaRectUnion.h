// The union of many rectangles, merged pairwise, within a bound of rectangles.
#pragma once

#include <QList>
#include <QRect>
#include <QRegion>
#include <cstdint>

// Rectangles cut from a region one at a time cost a pass over the whole region each: thousands of
// excluded clip rectangles in a row made one picture spend most of its drawing there. Cut together, as
// their union, they cost one pass; the union is merged pairwise, so that each rectangle takes part in a
// logarithmic number of merges instead of one merge per rectangle before it.

// An upper bound of the rectangles in the union of two regions: every band of the union lies within a
// band (or a gap) of each, and holds at most the spans of both.
std::int64_t UnionRectBound(const QRegion& a, const QRegion& b);

// The union of the rectangles. False, with united left empty, when a merge could make a region of more
// than maxRects rectangles: a hostile set of thin crossing rectangles must not build millions. work
// grows by the rectangles taken into merges.
bool UniteRects(const QList<QRect>& rects, std::int64_t maxRects, QRegion& united, std::int64_t& work);
