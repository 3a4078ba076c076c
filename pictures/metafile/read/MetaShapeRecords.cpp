// Records that draw lines and shapes: the current position, polylines and polygons, boxes and arcs,
// curves, PolyDraw, pixels and gradient fills.
#include "metafile/read/MetaShapeRecords.h"

#include <algorithm>
#include <cmath>

#include "Graphic.h"
#include "metafile/read/MetaRecordFields.h"

namespace {

constexpr std::int64_t kMaxPolyDrawPoints = 1 << 20;

enum class EPoints : std::uint8_t { Pointl, Point16 };

std::int64_t PointSize(EPoints points) {
  return points == EPoints::Point16 ? sizeof(U_POINT16) : sizeof(U_POINTL);
}

TMetaPoint ReadPoint(const TMetaBytes& rec, std::int64_t at, EPoints points) {
  return points == EPoints::Point16 ? ReadPoint16(rec, at) : ReadPointl(rec, at);
}

std::int32_t AddPoint(TMetaListBuilder& builder, const TMetaPoint& point) {
  return builder.AddPoint(point.x, point.y);
}

// count points from `at`; a record they do not fit is damaged.
void AddEmfPoints(const TMetaBytes& rec, TMetaListBuilder& builder, std::int64_t at, std::int64_t count,
                  EPoints points) {
  const std::int64_t step = PointSize(points);
  if (count < 0 || count > rec.Size() / step || !rec.Has(at, step * count))
    throw EDamagedRecord("Metafile point count does not fit its record");
  builder.CheckRoomForPoints(count);
  for (std::int64_t i = 0; i < count; ++i) AddPoint(builder, ReadPoint(rec, at + step * i, points));
}

// A poly record: the count field at countAt, its points from pointsAt.
void AddEmfPoly(const TMetaBytes& rec, TMetaListBuilder& builder, EMetaOp op, std::int64_t countAt,
                std::int64_t pointsAt, EPoints points) {
  const std::int64_t count = rec.U32(countAt);
  const auto first = static_cast<std::int32_t>(builder.List().points.size());
  AddEmfPoints(rec, builder, pointsAt, count, points);
  builder.Add({op, TMetaPoints{first, static_cast<std::int32_t>(count)}});
}

// A polypoly record: the polygon count, the point count, the polygons' counts and then their points. The
// 32- and 16-bit records share where these lie.
void AddEmfPolyPoly(const TMetaBytes& rec, TMetaListBuilder& builder, EMetaOp op, EPoints points) {
  using R = U_EMRPOLYPOLYLINE;
  static_assert(offsetof(R, cptl) == offsetof(U_EMRPOLYPOLYLINE16, cpts) &&
                offsetof(R, aPolyCounts) == offsetof(U_EMRPOLYPOLYLINE16, aPolyCounts));
  constexpr std::int64_t kCountsAt = offsetof(R, aPolyCounts);
  constexpr std::int64_t kCountSize = sizeof(U_POLYCOUNTS);
  const std::int64_t polygons = rec.U32(offsetof(R, nPolys)), total = rec.U32(offsetof(R, cptl));
  if (polygons > rec.Size() / kCountSize || !rec.Has(kCountsAt, kCountSize * polygons))
    throw EDamagedRecord("Metafile polygon count does not fit its record");
  const auto firstPoint = static_cast<std::int32_t>(builder.List().points.size());
  const auto firstCount = static_cast<std::int32_t>(builder.List().polyCounts.size());
  std::int64_t counted = 0;
  for (std::int64_t i = 0; i < polygons; ++i) {
    const std::int64_t count = rec.U32(kCountsAt + kCountSize * i);
    counted += count;
    if (counted > total) throw EDamagedRecord("Metafile polygon counts exceed its point count");
    builder.AddPolyCount(static_cast<std::int32_t>(count));
  }
  AddEmfPoints(rec, builder, kCountsAt + kCountSize * polygons, total, points);
  builder.Add({op, TMetaPolyPoints{firstPoint, firstCount, static_cast<std::int32_t>(polygons)}});
}

void AddPolyDraw(const TMetaBytes& rec, TMetaListBuilder& builder, EPoints points) {
  static_assert(offsetof(U_EMRPOLYDRAW, cptl) == offsetof(U_EMRPOLYDRAW16, cpts) &&
                offsetof(U_EMRPOLYDRAW, aptl) == offsetof(U_EMRPOLYDRAW16, apts));
  constexpr std::int64_t kPointsAt = offsetof(U_EMRPOLYDRAW, aptl);
  if (!rec.Has(0, kPointsAt)) return;
  const std::int64_t count = rec.U32(offsetof(U_EMRPOLYDRAW, cptl));
  const std::int64_t step = PointSize(points);
  // The points, then a byte of type for each.
  if (count <= 0 || count > kMaxPolyDrawPoints || !rec.Has(kPointsAt, (step + 1) * count)) return;
  builder.CheckRoomForPoints(count);
  const std::int64_t typesAt = kPointsAt + step * count;
  const auto first = static_cast<std::int32_t>(builder.List().points.size());
  const auto firstType = static_cast<std::int32_t>(builder.List().polyDrawTypes.size());
  for (std::int64_t i = 0; i < count; ++i) {
    AddPoint(builder, ReadPoint(rec, kPointsAt + step * i, points));
    builder.AddPolyDrawType(rec.U8(typesAt + i));
  }
  builder.Add({EMetaOp::PolyDraw, TMetaPolyDrawArgs{.points = {first, static_cast<std::int32_t>(count)},
                                                    .firstType = firstType}});
}

// An AngleArc's angle in 1/65536 degree; angles beyond a few turns draw nothing more.
std::int32_t FixedDegrees(double degrees) {
  constexpr double kMaxDegrees = 7200, kFixedOne = 65536;
  return static_cast<std::int32_t>(std::lround(std::clamp(degrees, -kMaxDegrees, kMaxDegrees) * kFixedOne));
}

// An arc, chord or pie of the ellipse in the box, from the ray through its start point to the one through
// its end point; the two points go into the point store.
void AddArc(TMetaListBuilder& builder, EMetaOp op, const TMetaRect& box, const TMetaPoint& start,
            const TMetaPoint& end) {
  builder.CheckRoomForPoints(2);
  const std::int32_t first = AddPoint(builder, start);
  AddPoint(builder, end);
  builder.Add({op, TMetaArcArgs{.box = box, .rays = first}});
}

template <class Record>
void AddEmfArc(const TMetaBytes& rec, TMetaListBuilder& builder, EMetaOp op) {
  const TMetaPoint start = ReadPointl(rec, offsetof(Record, ptlStart));
  const TMetaPoint end = ReadPointl(rec, offsetof(Record, ptlEnd));
  AddArc(builder, op, ReadRectl(rec, offsetof(Record, rclBox)), start, end);
}

// The WMF points of a poly record from `at`; a record they do not fit is damaged.
void AddWmfPoints(const TMetaBytes& rec, TMetaListBuilder& builder, std::int64_t at, std::int64_t count) {
  constexpr std::int64_t kStep = sizeof(U_POINT16);
  if (!rec.Has(at, kStep * count)) throw EDamagedRecord("Metafile point count does not fit its record");
  builder.CheckRoomForPoints(count);
  for (std::int64_t i = 0; i < count; ++i) AddPoint(builder, ReadPoint16(rec, at + kStep * i));
}

void AddWmfPoly(const TMetaBytes& rec, TMetaListBuilder& builder, EMetaOp op) {
  static_assert(offsetof(U_WMRPOLYGON, aPoints) == offsetof(U_WMRPOLYLINE, aPoints));
  const std::int64_t count = rec.I16(offsetof(U_WMRPOLYGON, nPoints));
  if (count < 0) throw EDamagedRecord("Metafile has a negative point count");
  const auto first = static_cast<std::int32_t>(builder.List().points.size());
  AddWmfPoints(rec, builder, offsetof(U_WMRPOLYGON, aPoints), count);
  builder.Add({op, TMetaPoints{first, static_cast<std::int32_t>(count)}});
}

}  // namespace

void ReadEmfMoveToEx(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::MoveTo, ReadPointl(rec, offsetof(U_EMRMOVETOEX, ptl))});
}

void ReadEmfLineTo(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::LineTo, ReadPointl(rec, offsetof(U_EMRLINETO, ptl))});
}

void ReadWmfMoveTo(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::MoveTo, WmfPoint<U_WMRMOVETO>(rec)});
}

void ReadWmfLineTo(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::LineTo, WmfPoint<U_WMRLINETO>(rec)});
}

void ReadEmfPolygon(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::Polygon, offsetof(U_EMRPOLYGON, cptl), offsetof(U_EMRPOLYGON, aptl),
             EPoints::Pointl);
}

void ReadEmfPolygon16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::Polygon, offsetof(U_EMRPOLYGON16, cpts), offsetof(U_EMRPOLYGON16, apts),
             EPoints::Point16);
}

void ReadEmfPolyline(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::Polyline, offsetof(U_EMRPOLYLINE, cptl), offsetof(U_EMRPOLYLINE, aptl),
             EPoints::Pointl);
}

void ReadEmfPolyline16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::Polyline, offsetof(U_EMRPOLYLINE16, cpts),
             offsetof(U_EMRPOLYLINE16, apts), EPoints::Point16);
}

void ReadEmfPolylineTo(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::PolylineTo, offsetof(U_EMRPOLYLINETO, cptl),
             offsetof(U_EMRPOLYLINETO, aptl), EPoints::Pointl);
}

void ReadEmfPolylineTo16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::PolylineTo, offsetof(U_EMRPOLYLINETO16, cpts),
             offsetof(U_EMRPOLYLINETO16, apts), EPoints::Point16);
}

void ReadEmfPolyBezier(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::PolyBezier, offsetof(U_EMRPOLYBEZIER, cptl),
             offsetof(U_EMRPOLYBEZIER, aptl), EPoints::Pointl);
}

void ReadEmfPolyBezier16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::PolyBezier, offsetof(U_EMRPOLYBEZIER16, cpts),
             offsetof(U_EMRPOLYBEZIER16, apts), EPoints::Point16);
}

void ReadEmfPolyBezierTo(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::PolyBezierTo, offsetof(U_EMRPOLYBEZIERTO, cptl),
             offsetof(U_EMRPOLYBEZIERTO, aptl), EPoints::Pointl);
}

void ReadEmfPolyBezierTo16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPoly(rec, builder, EMetaOp::PolyBezierTo, offsetof(U_EMRPOLYBEZIERTO16, cpts),
             offsetof(U_EMRPOLYBEZIERTO16, apts), EPoints::Point16);
}

void ReadEmfPolyPolygon(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPolyPoly(rec, builder, EMetaOp::PolyPolygon, EPoints::Pointl);
}

void ReadEmfPolyPolygon16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPolyPoly(rec, builder, EMetaOp::PolyPolygon, EPoints::Point16);
}

void ReadEmfPolyPolyline(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPolyPoly(rec, builder, EMetaOp::PolyPolyline, EPoints::Pointl);
}

void ReadEmfPolyPolyline16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPolyPoly(rec, builder, EMetaOp::PolyPolyline, EPoints::Point16);
}

void ReadWmfPolygon(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddWmfPoly(rec, builder, EMetaOp::Polygon);
}

void ReadWmfPolyline(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddWmfPoly(rec, builder, EMetaOp::Polyline);
}

void ReadWmfPolyPolygon(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRPOLYPOLYGON;
  constexpr std::int64_t kCountsAt = offsetof(R, PPolygon.aPolyCounts);
  constexpr std::int64_t kCountSize = sizeof(std::uint16_t);
  const std::int64_t polygons = rec.U16(offsetof(R, PPolygon.nPolys));
  if (!rec.Has(kCountsAt, kCountSize * polygons))
    throw EDamagedRecord("Metafile polygon count does not fit its record");
  const auto firstPoint = static_cast<std::int32_t>(builder.List().points.size());
  const auto firstCount = static_cast<std::int32_t>(builder.List().polyCounts.size());
  std::int64_t total = 0;
  for (std::int64_t i = 0; i < polygons; ++i) {
    const std::uint16_t count = rec.U16(kCountsAt + kCountSize * i);
    total += count;
    builder.AddPolyCount(count);
  }
  AddWmfPoints(rec, builder, kCountsAt + kCountSize * polygons, total);
  builder.Add(
      {EMetaOp::PolyPolygon, TMetaPolyPoints{firstPoint, firstCount, static_cast<std::int32_t>(polygons)}});
}

void ReadEmfPolyDraw(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddPolyDraw(rec, builder, EPoints::Pointl);
}

void ReadEmfPolyDraw16(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddPolyDraw(rec, builder, EPoints::Point16);
}

void ReadEmfRectangle(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::Rectangle, ReadRectl(rec, offsetof(U_EMRRECTANGLE, rclBox))});
}

void ReadEmfEllipse(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::Ellipse, ReadRectl(rec, offsetof(U_EMRELLIPSE, rclBox))});
}

void ReadEmfRoundRect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  const TMetaPoint corner = ReadSizel(rec, offsetof(U_EMRROUNDRECT, szlCorner));
  builder.Add({EMetaOp::RoundRect, TMetaRoundRect{.box = ReadRectl(rec, offsetof(U_EMRROUNDRECT, rclBox)),
                                                  .cornerWidth = corner.x,
                                                  .cornerHeight = corner.y}});
}

void ReadEmfArc(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfArc<U_EMRARC>(rec, builder, EMetaOp::Arc);
}

void ReadEmfArcTo(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfArc<U_EMRARCTO>(rec, builder, EMetaOp::ArcTo);
}

void ReadEmfChord(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfArc<U_EMRCHORD>(rec, builder, EMetaOp::Chord);
}

void ReadEmfPie(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfArc<U_EMRPIE>(rec, builder, EMetaOp::Pie);
}

void ReadEmfAngleArc(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRANGLEARC;
  constexpr std::uint32_t kMaxRadius = 0x7FFFFFFFu;
  if (!rec.Has(0, sizeof(R))) return;
  const double start = ReadFloat(rec, offsetof(R, eStartAngle));
  const double sweep = ReadFloat(rec, offsetof(R, eSweepAngle));
  const std::uint32_t radius = rec.U32(offsetof(R, nRadius));
  if (!std::isfinite(start) || !std::isfinite(sweep) || radius > kMaxRadius) return;
  builder.Add({EMetaOp::AngleArc, TMetaAngleArcArgs{.centre = ReadPointl(rec, offsetof(R, ptlCenter)),
                                                    .radius = static_cast<std::int32_t>(radius),
                                                    .start = FixedDegrees(start),
                                                    .sweep = FixedDegrees(sweep)}});
}

void ReadWmfRectangle(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::Rectangle, WmfBox<U_WMRRECTANGLE>(rec)});
}

void ReadWmfEllipse(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::Ellipse, WmfBox<U_WMRELLIPSE>(rec)});
}

void ReadWmfRoundRect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRROUNDRECT;
  builder.Add({EMetaOp::RoundRect, TMetaRoundRect{.box = WmfBox<R>(rec),
                                                  .cornerWidth = rec.I16(offsetof(R, Width)),
                                                  .cornerHeight = rec.I16(offsetof(R, Height))}});
}

void ReadWmfArc(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRARC;
  const TMetaRect box = WmfBox<R>(rec);
  AddArc(builder, EMetaOp::Arc, box, {rec.I16(offsetof(R, xStartArc)), rec.I16(offsetof(R, yStartArc))},
         {rec.I16(offsetof(R, xEndArc)), rec.I16(offsetof(R, yEndArc))});
}

void ReadWmfChord(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRCHORD;
  const TMetaRect box = WmfBox<R>(rec);
  AddArc(builder, EMetaOp::Chord, box, {rec.I16(offsetof(R, xRadial1)), rec.I16(offsetof(R, yRadial1))},
         {rec.I16(offsetof(R, xRadial2)), rec.I16(offsetof(R, yRadial2))});
}

void ReadWmfPie(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRPIE;
  const TMetaRect box = WmfBox<R>(rec);
  AddArc(builder, EMetaOp::Pie, box, {rec.I16(offsetof(R, xRadial1)), rec.I16(offsetof(R, yRadial1))},
         {rec.I16(offsetof(R, xRadial2)), rec.I16(offsetof(R, yRadial2))});
}

void ReadEmfSetPixelV(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRSETPIXELV;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::SetPixel, TMetaPixel{.at = ReadPointl(rec, offsetof(R, ptlPixel)),
                                             .colour = rec.U32(offsetof(R, crColor))}});
}

void ReadWmfSetPixel(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRSETPIXEL;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::SetPixel, TMetaPixel{.at = WmfPoint<R>(rec), .colour = rec.U32(offsetof(R, Color))}});
}

void ReadEmfGradientFill(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRGRADIENTFILL;
  // The vertices follow the record's fixed part, then the shapes.
  constexpr std::int64_t kVerticesAt = sizeof(R);
  constexpr std::int64_t kVertexSize = sizeof(U_TRIVERTEX);
  if (!rec.Has(0, sizeof(R))) return;
  const std::int64_t vertices = rec.U32(offsetof(R, nTriVert)), shapes = rec.U32(offsetof(R, nGradObj));
  const std::uint32_t mode = rec.U32(offsetof(R, ulMode));
  if (mode > U_GRADIENT_FILL_TRIANGLE || vertices > kMaxGradientVertices || shapes > kMaxGradientShapes)
    return;
  const bool triangles = mode == U_GRADIENT_FILL_TRIANGLE;
  const std::int64_t shapeSize = triangles ? sizeof(U_GRADIENT3) : sizeof(U_GRADIENT4);
  if (!rec.Has(kVerticesAt, kVertexSize * vertices + shapeSize * shapes)) return;
  TMetaGradient gradient;
  gradient.mode = triangles                        ? TMetaGradient::EMode::Triangle
                  : mode == U_GRADIENT_FILL_RECT_V ? TMetaGradient::EMode::Vertical
                                                   : TMetaGradient::EMode::Horizontal;
  builder.CheckRoomForPoints(vertices);
  for (std::int64_t i = 0; i < vertices; ++i) {
    const std::int64_t v = kVerticesAt + kVertexSize * i;
    gradient.vertices.emplace_back(rec.I32(v + offsetof(U_TRIVERTEX, x)),
                                   rec.I32(v + offsetof(U_TRIVERTEX, y)));
    gradient.colours.push_back(GradientColour(rec.U16(v + offsetof(U_TRIVERTEX, Red)),
                                              rec.U16(v + offsetof(U_TRIVERTEX, Green)),
                                              rec.U16(v + offsetof(U_TRIVERTEX, Blue))));
  }
  // A rectangle names two vertices, a triangle three.
  for (std::int64_t i = 0; i < shapes; ++i) {
    const std::int64_t s = kVerticesAt + kVertexSize * vertices + shapeSize * i;
    if (triangles)
      gradient.shapes.push_back({rec.U32(s + offsetof(U_GRADIENT3, Vertex1)),
                                 rec.U32(s + offsetof(U_GRADIENT3, Vertex2)),
                                 rec.U32(s + offsetof(U_GRADIENT3, Vertex3))});
    else
      gradient.shapes.push_back({rec.U32(s + offsetof(U_GRADIENT4, UpperLeft)),
                                 rec.U32(s + offsetof(U_GRADIENT4, LowerRight)), 0u});
  }
  builder.Add({EMetaOp::GradientFill, TMetaIndex{builder.AddGradient(std::move(gradient))}});
}
