// The curves of EMF+ records and paths, built from their points; free of any painter and of any bytes.
#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <vector>

// Coordinates, scales and offsets beyond this size are not drawn with: records that bring them change
// nothing, and shapes that reach them are left out.
inline constexpr double kMaxEmfPlusValue = 1e9;
// True for a finite value below kMaxEmfPlusValue.
bool EmfPlusFinite(double value);
// The larger of the lengths the transform gives the unit vectors along x and y.
double EmfPlusMaxScale(const QTransform& transform);

// The path of points with their point types (EmfPlus::kPathPointType*): a start, a line, or the first of
// three Bézier points; a type may close its figure.
QPainterPath EmfPlusPathFromTypes(const std::vector<QPointF>& points, const std::vector<std::uint8_t>& types);

// A cardinal spline through the points as Bézier curves: tangents at each point run parallel to the
// line between its neighbours, scaled by the tension (0 gives straight lines). closed joins the last
// point to the first. first and segments choose a part of an open curve.
QPainterPath CardinalSpline(const std::vector<QPointF>& points, double tension, bool closed);
QPainterPath CardinalSplinePart(const std::vector<QPointF>& points, double tension, int first, int segments);

// An elliptic arc of the box from startAngle over sweepAngle, both in degrees clockwise from the x axis
// as on the screen; the angles are of the ellipse's points, not of its parameter.
QPainterPath EmfPlusArc(const QRectF& box, double startAngle, double sweepAngle, bool pie);

// The polyline moved sideways by distance: to the right of its direction on the screen (y down) for a
// positive distance. Corners are mitred, but reach at most four times the distance from their point.
// A closed polyline (last point equal to the first) stays closed.
QPolygonF OffsetPolyline(const QPolygonF& line, double distance);
