// A region's rectangles as one path.
#include "metafile/draw/MetaRegionPath.h"

QPainterPath RegionPath(const QRect* rects, std::int32_t count) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  // Region rectangles exclude their right and bottom edges, as QRect's inclusive corners do not.
  for (std::int32_t i = 0; i < count; ++i)
    path.addRect(QRectF(QPointF(rects[i].topLeft()), QPointF(rects[i].bottomRight() + QPoint(1, 1))));
  return path;
}
