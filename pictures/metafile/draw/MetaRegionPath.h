// A region's rectangles as one path, for clipping to it and for painting it.
#pragma once

#include <QPainterPath>
#include <QRect>
#include <cstdint>

// The union of the rectangles, as a path (rectangles of a region never overlap, so any fill rule fills it).
QPainterPath RegionPath(const QRect* rects, std::int32_t count);
