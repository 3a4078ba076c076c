#pragma once

#include <QPolygonF>
#include <QRectF>
#include <vector>

// Geometry that keeps a metafile's far-away or enormous shapes from reaching Qt's stroker and
// rasteriser at full size: their cost grows with the whole extent of a shape, visible or not.

// The polygon cut down to the rectangle (Sutherland-Hodgman, one edge of the rectangle at a time).
// Inside the rectangle every point keeps its winding number, so either fill rule fills the same
// pixels there; the cut edges run along the rectangle's border.
QPolygonF ClipPolygonToRect(const QPolygonF& polygon, const QRectF& rect);

// The parts of an open polyline that lie inside the rectangle, each a polyline of two or more points.
std::vector<QPolygonF> ClipPolylineToRect(const QPolygonF& polyline, const QRectF& rect);

// The shortest distance from the point to any segment of the polylines; infinity when they have no
// point. A polyline of one point counts as that point.
double DistanceToPolylines(QPointF point, const std::vector<QPolygonF>& polylines);
