#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <cstdint>
#include <vector>

class TMetaBytes;

// Reading the coordinates of EMF+ records and building their curves; free of any painter.

// The 32-bit float at at.
float EmfPlusFloat(const TMetaBytes& bytes, std::int64_t at);

// Points are float pairs, 16-bit integer pairs (compressed) or relative offsets of one or two bytes
// per coordinate (relative), each from the point before.
enum class EEmfPlusPointForm { Float, Int16, Relative };

// The form the C and P flags of a record choose.
EEmfPlusPointForm EmfPlusPointForm(std::uint16_t flags);

// Reads count points from at; returns false, leaving points empty, when they do not fit the bytes or
// count is negative or above maxCount. end receives the offset after the last point.
bool ReadEmfPlusPoints(const TMetaBytes& bytes, std::int64_t at, std::int64_t count, EEmfPlusPointForm form,
                       std::vector<QPointF>& points, std::int64_t* end = nullptr,
                       std::int64_t maxCount = std::int64_t{1} << 20);
// Reads a rectangle (x, y, width, height) as floats or, compressed, 16-bit integers.
QRectF ReadEmfPlusRect(const TMetaBytes& bytes, std::int64_t at, bool compressed);
// The bytes one rectangle takes.
inline std::int64_t EmfPlusRectSize(bool compressed) {
  return compressed ? 8 : 16;
}

// Point types of a path: the low bits say start (0), line (1) or Bézier (3); 0x80 closes the figure.
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
