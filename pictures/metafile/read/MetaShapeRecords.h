// Records that draw lines and shapes, for both readers: the current position, polylines and polygons,
// rectangles, ellipses and arcs, Bézier curves, PolyDraw, pixels and gradient fills. Their points go
// into the list's shared point store.
#pragma once

#include "Graphic.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// A record whose counts do not fit its size. GDI plays a metafile's records up to such a record; a
// reader that does not catch it refuses the file, as it refuses any other invalid picture.
class EDamagedRecord : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

// Lines from the current position.
void ReadEmfMoveToEx(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfLineTo(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfMoveTo(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfLineTo(const TMetaBytes& rec, TMetaListBuilder& builder);

// Polylines, polygons and curves, with 32-bit points or, in the records named ...16, 16-bit ones. A point
// count that does not fit its record raises EDamagedRecord.
void ReadEmfPolygon(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolygon16(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyline(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyline16(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolylineTo(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolylineTo16(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyBezier(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyBezier16(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyBezierTo(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyBezierTo16(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyPolygon(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyPolygon16(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyPolyline(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyPolyline16(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfPolygon(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfPolyline(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfPolyPolygon(const TMetaBytes& rec, TMetaListBuilder& builder);
// PolyDraw: points with a PT_* type each; a record that does not hold them all draws nothing.
void ReadEmfPolyDraw(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPolyDraw16(const TMetaBytes& rec, TMetaListBuilder& builder);

// Rectangles, ellipses and elliptic arcs in their bounding boxes.
void ReadEmfRectangle(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfEllipse(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfRoundRect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfArc(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfArcTo(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfChord(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPie(const TMetaBytes& rec, TMetaListBuilder& builder);
// AngleArc: a circular arc joined to the current position.
void ReadEmfAngleArc(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfRectangle(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfEllipse(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfRoundRect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfArc(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfChord(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfPie(const TMetaBytes& rec, TMetaListBuilder& builder);

// Pixels and gradients.
void ReadEmfSetPixelV(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetPixel(const TMetaBytes& rec, TMetaListBuilder& builder);
// GradientFill: shaded rectangles or triangles; an unknown mode or a record too short for its vertices
// and shapes draws nothing.
void ReadEmfGradientFill(const TMetaBytes& rec, TMetaListBuilder& builder);
