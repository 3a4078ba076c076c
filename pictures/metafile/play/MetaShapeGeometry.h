// The geometry of GDI's shapes, in logical units and without a painter: boxes, arcs, chords and pies
// from their rays, AngleArc, curves, PolyDraw figures, polygon runs and region frames.
#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <cstdint>
#include <span>
#include <vector>

#include "metafile/model/MetaCommand.h"

// The box of a shape's rectangle, its corners in any order.
QRectF MetaBox(const TMetaRect& rect);
// The box a boxed shape is drawn in with an inside-frame pen of the width: shrunk by half the width,
// down to a line through its middle when the pen is wider than the box. Pens of a pixel or less keep
// the box.
QRectF MetaInsideFrameBox(const QRectF& box, double penWidth);
QPainterPath MetaRoundRectPath(const QRectF& box, std::int32_t cornerWidth, std::int32_t cornerHeight);

// Qt's angles (degrees, anticlockwise on screen, parametric on the ellipse) of an arc of the box's
// ellipse from where the ray from its centre through start meets it to where the one through end does.
// Rays that coincide make a whole ellipse, as in GDI.
struct TMetaArcAngles {
  double start = 0, sweep = 360;
};
TMetaArcAngles MetaArcAngles(const QRectF& box, QPointF start, QPointF end, bool clockwise);
// Arc, ArcTo, Chord or Pie in a box of some area, between its rays: ArcTo joined by a line from the
// current position, a pie from the centre; chords and pies closed.
QPainterPath MetaArcPath(EMetaOp op, const QRectF& box, QPointF rayStart, QPointF rayEnd, bool clockwise,
                         QPointF from);
// AngleArc: a line from the current position to the start of the circular arc, then the arc, its sweep
// kept within two turns either way.
QPainterPath MetaAngleArcPath(QPointF from, const TMetaAngleArcArgs& arc);

// PolyBezier (a start point and three per curve), PolyBezierTo (three per curve from the current
// position) and PolylineTo: the path and the number of points it took; points left over after the last
// whole curve are not taken. Nothing is taken from a PolyBezier of less than one curve.
struct TMetaCurve {
  QPainterPath path;
  std::int32_t used = 0;
};
TMetaCurve MetaCurvePath(EMetaOp op, QPointF from, std::span<const QPoint> points);

// The figures of a PolyDraw from the current position, by its point types (PT_*): each figure with
// whether a point closed it and whether it continues from the current position. A type GDI does not
// know ends the figures there, as GDI fails the call on it after drawing what came before. end is the
// current position afterwards.
struct TMetaPolyDrawFigure {
  QPainterPath path;
  bool closed = false;
  bool continues = false;
};
struct TMetaPolyDraw {
  std::vector<TMetaPolyDrawFigure> figures;
  QPointF end;
};
TMetaPolyDraw MetaPolyDrawFigures(QPointF from, std::span<const QPoint> points,
                                  std::span<const std::uint8_t> types);

// PolyPolygon (closed) and PolyPolyline: the runs of points, their lengths in counts, from firstPoint
// in points, in path; false when a run does not lie in the points.
bool MetaPolyPolygonPath(std::span<const QPoint> points, std::span<const std::int32_t> counts,
                         std::int64_t firstPoint, bool closed, QPainterPath& path);

// The path through the points, open.
QPainterPath MetaPointsPath(const QPoint* points, int count);
QRectF MetaPointBounds(const QPoint* points, int count);

// FrameRgn's frame: the region (the path of its rectangles) less its rectangles shrunk by the frame's
// width and height on every side.
QPainterPath MetaRegionFrame(const QPainterPath& region, std::span<const QRect> rects, std::int32_t width,
                             std::int32_t height);
