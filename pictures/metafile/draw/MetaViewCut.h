// Cutting geometry far outside the view down to it: polygons, polylines and outlines cut to a rectangle.
#pragma once

#include <QList>
#include <QPainterPath>
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

// The parts of the outline inside reach, as a path to stroke. A closed line keeps its join where it
// starts and ends: cut through elsewhere, its last piece continues into its first; not cut at all, it
// stays closed.
QPainterPath ReachablePart(const std::vector<QPolygonF>& outline, const QRectF& reach);

// The polygons cut down to the area, as one path to fill with the rule.
QPainterPath CutDownFill(const QList<QPolygonF>& polygons, const QRectF& area, Qt::FillRule rule);
