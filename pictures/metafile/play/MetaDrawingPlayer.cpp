// The operations that put ink on the picture: shapes, curves, finished paths, regions, text, bitmaps,
// gradients and pixels, played into the path bracket, the measure or the painter.
#include "metafile/play/MetaDrawingPlayer.h"

#include <uemf.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

#include "metafile/draw/MetaRegionPath.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaBitmapPlayer.h"
#include "metafile/play/MetaColour.h"
#include "metafile/play/MetaGdiObjects.h"
#include "metafile/play/MetaGradientPainter.h"
#include "metafile/play/MetaListRange.h"
#include "metafile/play/MetaPathBracket.h"
#include "metafile/play/MetaPlayView.h"
#include "metafile/play/MetaShapeGeometry.h"
#include "metafile/play/MetaTextPlayer.h"

namespace {

// Runs of LineTo records drawn as one line are at most this long, so a run stays a modest path.
constexpr std::size_t kMaxLineRun = 4096;

}  // namespace

TMetaDrawingPlayer::TMetaDrawingPlayer(const TMetaPlayList& list, TMetaDc& dc, const TMetaPlayView& view,
                                       TMetaPathBracket& path, const TMetaObjectTable& objects,
                                       TMetaStrokeCache* strokes, TMetaTextOutlines* texts,
                                       TMetaPaletteBlits* paletteBlits)
    : list_(list),
      dc_(dc),
      view_(view),
      path_(path),
      objects_(objects),
      texts_(texts),
      shapes_(view, dc, strokes),
      paletteBlits_(paletteBlits) {}

void TMetaDrawingPlayer::StartMeasuring() {
  bounds_ = QRectF();
  measured_ = false;
}

std::size_t TMetaDrawingPlayer::Play(std::size_t index, std::size_t end) {
  index_ = index;
  runEnd_ = end;
  const TMetaCommand& c = list_.commands[index];
  switch (c.Op()) {
    case EMetaOp::LineTo:
      return DrawLineRun();
    case EMetaOp::FillPath:
    case EMetaOp::StrokePath:
    case EMetaOp::StrokeAndFillPath:
      PlayPath(c.Op());
      break;
    case EMetaOp::FillRegion:
    case EMetaOp::FrameRegion:
    case EMetaOp::PaintRegion:
    case EMetaOp::InvertRegion:
      PlayRegion(c);
      break;
    case EMetaOp::TextOut:
      PlayText(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::Blit:
      PlayBlit(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::GradientFill:
      PlayGradient(c.Args<TMetaIndex>().index);
      break;
    default:
      PlayShape(c);
      break;
  }
  return 1;
}

void TMetaDrawingPlayer::PlayShape(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::Polygon:
    case EMetaOp::Polyline: {
      const auto& points = c.Args<TMetaPoints>();
      if (!ValidPoints(points.first, points.count)) break;
      if (c.Op() == EMetaOp::Polygon)
        DrawPolygon(list_.points.data() + points.first, points.count);
      else
        DrawPolyline(list_.points.data() + points.first, points.count);
      break;
    }
    case EMetaOp::PolyPolygon:
    case EMetaOp::PolyPolyline:
      DrawPolyPolygon(c);
      break;
    case EMetaOp::Rectangle:
    case EMetaOp::Ellipse: {
      const QRectF box = FramedBox(MetaBox(c.Args<TMetaRect>()));
      QPainterPath path;
      if (c.Op() == EMetaOp::Rectangle)
        path.addRect(box);
      else
        path.addEllipse(box);
      DrawPath(path, true, &box);
      break;
    }
    case EMetaOp::RoundRect: {
      const auto& round = c.Args<TMetaRoundRect>();
      const QRectF box = FramedBox(MetaBox(round.box));
      DrawPath(MetaRoundRectPath(box, round.cornerWidth, round.cornerHeight), true, &box);
      break;
    }
    case EMetaOp::SetPixel:
      DrawPixel(c.Args<TMetaPixel>());
      break;
    default:
      PlayCurve(c);
      break;
  }
}

void TMetaDrawingPlayer::PlayCurve(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::PolyBezier:
    case EMetaOp::PolyBezierTo:
    case EMetaOp::PolylineTo: {
      const auto& points = c.Args<TMetaPoints>();
      if (!ValidPoints(points.first, points.count)) break;
      const std::span<const QPoint> taken(list_.points.data() + points.first,
                                          static_cast<std::size_t>(points.count));
      const TMetaCurve curve = MetaCurvePath(c.Op(), dc_.position, taken);
      if (curve.used == 0) break;
      if (c.Op() == EMetaOp::PolyBezier) {
        DrawPath(curve.path, false);
        break;
      }
      dc_.position = taken[static_cast<std::size_t>(curve.used - 1)];
      DrawConnected(curve.path);
      break;
    }
    case EMetaOp::AngleArc: {
      const QPainterPath path = MetaAngleArcPath(dc_.position, c.Args<TMetaAngleArcArgs>());
      dc_.position = path.currentPosition();
      DrawConnected(path);
      break;
    }
    case EMetaOp::PolyDraw:
      DrawPolyDraw(c.Args<TMetaPolyDrawArgs>());
      break;
    default:  // Arc, ArcTo, Chord and Pie
      DrawArc(c);
      break;
  }
}

void TMetaDrawingPlayer::DrawPath(const QPainterPath& path, bool filled, const QRectF* box) {
  if (path.isEmpty()) return;
  if (path_.Recording()) {
    path_.AddShape(path, view_.logicalToPicture);
    return;
  }
  if (!view_.painter) {
    Measure(path.controlPointRect());
    return;
  }
  shapes_.Paint(index_, path, filled ? MetaSelectedBrush(dc_, list_) : QBrush(Qt::NoBrush), box);
}

void TMetaDrawingPlayer::DrawPolygon(const QPoint* points, int count) {
  if (count < 2) return;
  if (path_.Recording()) {
    QPainterPath path = MetaPointsPath(points, count);
    path.closeSubpath();
    DrawPath(path, true);
    return;
  }
  const QRectF bounds = MetaPointBounds(points, count);
  if (!view_.painter) {
    Measure(bounds);
    return;
  }
  shapes_.PaintPolygon(index_, points, count, bounds, MetaSelectedBrush(dc_, list_));
}

void TMetaDrawingPlayer::DrawPolyline(const QPoint* points, int count) {
  if (count < 2) return;
  if (path_.Recording()) {
    DrawPath(MetaPointsPath(points, count), false);
    return;
  }
  const QRectF bounds = MetaPointBounds(points, count);
  if (!view_.painter) {
    Measure(bounds);
    return;
  }
  shapes_.PaintPolyline(index_, points, count, bounds);
}

void TMetaDrawingPlayer::DrawConnected(const QPainterPath& segment) {
  if (!path_.Recording()) {
    DrawPath(segment, false);
    return;
  }
  path_.Connect(segment, view_.logicalToPicture);
}

std::size_t TMetaDrawingPlayer::DrawLineRun() {
  const std::size_t run = LineToRun();
  DrawConnected(shapes_.LineRunPath(index_, dc_.position, &list_.commands[index_], run));
  const auto& to = list_.commands[index_ + run - 1].Args<TMetaPoint>();
  dc_.position = QPointF(to.x, to.y);
  return run;
}

std::size_t TMetaDrawingPlayer::LineToRun() const {
  // GDI lights the same pixels for a run of LineTo records as for one polyline through their points
  // with a solid pen whose ends and joins are alike: a pixel wide, or round. Maps are drawn with
  // thousands of such runs, and stroking each line alone took most of their drawing time.
  const QPen& pen = dc_.pen;
  if (dc_.rop2 != U_R2_COPYPEN || pen.style() != Qt::SolidLine) return 1;
  if (!shapes_.Hairline(pen) && (pen.capStyle() != Qt::RoundCap || pen.joinStyle() != Qt::RoundJoin))
    return 1;
  std::size_t end = index_ + 1;
  while (end < runEnd_ && list_.commands[end].Op() == EMetaOp::LineTo && end - index_ < kMaxLineRun) ++end;
  return end - index_;
}

void TMetaDrawingPlayer::DrawPolyPolygon(const TMetaCommand& c) {
  const auto& poly = c.Args<TMetaPolyPoints>();
  if (!MetaRangeFits(list_.polyCounts.size(), poly.firstCount, poly.polygons)) return;
  const bool closed = c.Op() == EMetaOp::PolyPolygon;
  QPainterPath path;
  path.setFillRule(dc_.fillRule);
  const std::span<const std::int32_t> counts(list_.polyCounts.data() + poly.firstCount,
                                             static_cast<std::size_t>(poly.polygons));
  if (!MetaPolyPolygonPath(list_.points, counts, poly.firstPoint, closed, path)) return;
  DrawPath(path, closed);
}

void TMetaDrawingPlayer::DrawArc(const TMetaCommand& c) {
  const auto& arc = c.Args<TMetaArcArgs>();
  if (!ValidPoints(arc.rays, 2)) return;
  const QRectF box = FramedBox(MetaBox(arc.box));
  if (box.width() <= 0 || box.height() <= 0) return;
  const QPoint* rays = list_.points.data() + arc.rays;
  const QPainterPath path = MetaArcPath(c.Op(), box, rays[0], rays[1], dc_.arcClockwise, dc_.position);
  if (c.Op() == EMetaOp::ArcTo) {
    dc_.position = path.currentPosition();
    DrawConnected(path);
    return;
  }
  DrawPath(path, c.Op() != EMetaOp::Arc, &box);
}

void TMetaDrawingPlayer::DrawPolyDraw(const TMetaPolyDrawArgs& draw) {
  const std::int32_t count = draw.points.count;
  if (!ValidPoints(draw.points.first, count) ||
      !MetaRangeFits(list_.polyDrawTypes.size(), draw.firstType, count))
    return;
  const auto length = static_cast<std::size_t>(count);
  TMetaPolyDraw figures = MetaPolyDrawFigures(
      dc_.position, std::span<const QPoint>(list_.points.data() + draw.points.first, length),
      std::span<const std::uint8_t>(list_.polyDrawTypes.data() + draw.firstType, length));
  for (TMetaPolyDrawFigure& figure : figures.figures) {
    if (!path_.Recording() && figure.closed) figure.path.closeSubpath();
    if (!figure.continues) path_.EndFigure();
    DrawConnected(figure.path);
    if (path_.Recording() && figure.closed) path_.CloseOpenFigure();
  }
  dc_.position = figures.end;
}

void TMetaDrawingPlayer::DrawPixel(const TMetaPixel& pixel) {
  const QPointF at = view_.logicalToPicture.map(QPointF(pixel.at.x, pixel.at.y));
  const double size = view_.PixelSize();
  const QRectF dot(at, QSizeF(size, size));
  if (!view_.painter) {
    MeasurePicture(dot);
    return;
  }
  shapes_.PaintPixel(dot, MetaColourRef(ResolveMetaColour(dc_.palette.get(), pixel.colour)));
}

QRectF TMetaDrawingPlayer::FramedBox(const QRectF& box) const {
  if (!dc_.penInsideFrame || dc_.pen.style() == Qt::NoPen) return box;
  return MetaInsideFrameBox(box, dc_.pen.widthF());
}

void TMetaDrawingPlayer::PlayPath(EMetaOp op) {
  const QPainterPath picture = path_.Take();
  if (picture.isEmpty()) return;
  bool invertible = false;
  const QTransform pictureToLogical = view_.logicalToPicture.inverted(&invertible);
  if (!invertible) return;
  QPainterPath logical = pictureToLogical.map(picture);
  logical.setFillRule(dc_.fillRule);
  if (op == EMetaOp::FillPath) {
    const QPen pen = dc_.pen;
    dc_.pen = QPen(Qt::NoPen);
    DrawPath(logical, true);
    dc_.pen = pen;
  } else {
    DrawPath(logical, op == EMetaOp::StrokeAndFillPath);
  }
}

void TMetaDrawingPlayer::WidenPath() {
  if (path_.Empty()) return;
  // Widening outlines the path as the selected pen would draw it, in picture space.
  const QPen pen = shapes_.StrokePen();
  if (pen.style() == Qt::NoPen) return;
  const double scale = std::sqrt(std::abs(view_.logicalToPicture.determinant()));
  path_.Widen(pen, std::max(pen.widthF() * scale, view_.PixelSize()));
}

bool TMetaDrawingPlayer::RegionRects(const TMetaRegion& region, std::int32_t& first,
                                     std::int32_t& count) const {
  if (region.object >= 0) {
    const TMetaObject* object = objects_.At(region.object);
    if (object == nullptr || object->kind != TMetaObject::EKind::Region) return false;
    first = object->regionFirst, count = object->regionCount;
  } else {
    first = region.first, count = region.count;
  }
  return count > 0 && MetaRangeFits(list_.regionRects.size(), first, count);
}

QBrush TMetaDrawingPlayer::BrushByIndex(std::int32_t index) const {
  const auto bits = static_cast<std::uint32_t>(index);
  if (list_.enhanced && (bits & U_STOCK_OBJECT)) {
    const TMetaStockObject stock = MetaStockObject(static_cast<int>(bits & ~U_STOCK_OBJECT));
    return stock.kind == TMetaStockObject::EKind::Brush ? stock.brush : QBrush(Qt::NoBrush);
  }
  const TMetaObject* object = objects_.At(index);
  if (object == nullptr || object->kind != TMetaObject::EKind::Brush) return QBrush(Qt::NoBrush);
  return MetaObjectBrush(*object, list_, dc_);
}

void TMetaDrawingPlayer::PlayRegion(const TMetaCommand& c) {
  // The region, and for fills and frames the brush and frame size.
  TMetaFrameRegionArgs args;
  if (c.Op() == EMetaOp::FrameRegion) {
    args = c.Args<TMetaFrameRegionArgs>();
  } else if (c.Op() == EMetaOp::FillRegion) {
    const auto& fill = c.Args<TMetaFillRegionArgs>();
    args.region = fill.region, args.brush = fill.brush;
  } else {
    args.region = c.Args<TMetaRegion>();
  }
  std::int32_t first = 0, count = 0;
  if (!RegionRects(args.region, first, count)) return;
  const QRect* rects = list_.regionRects.data() + first;
  const QPainterPath region = RegionPath(rects, count);
  if (!view_.painter) {
    Measure(region.boundingRect());
    return;
  }
  const QBrush brush = c.Op() == EMetaOp::PaintRegion    ? MetaSelectedBrush(dc_, list_)
                       : c.Op() == EMetaOp::InvertRegion ? QBrush(QColor(255, 255, 255))
                                                         : BrushByIndex(args.brush);
  if (brush.style() == Qt::NoBrush) return;
  const QPainterPath shape =
      c.Op() == EMetaOp::FrameRegion
          ? MetaRegionFrame(region, std::span<const QRect>(rects, static_cast<std::size_t>(count)),
                            args.width, args.height)
          : region;
  const int savedRop = dc_.rop2;
  if (c.Op() == EMetaOp::InvertRegion) dc_.rop2 = U_R2_NOT;
  shapes_.Fill(shape, brush);
  dc_.rop2 = savedRop;
}

void TMetaDrawingPlayer::PlayText(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.texts.size()) return;
  const TMetaTextRun& run = list_.texts[static_cast<std::size_t>(index)];
  const TMetaFont* font = dc_.font >= 0 && static_cast<std::size_t>(dc_.font) < list_.fonts.size()
                              ? &list_.fonts[static_cast<std::size_t>(dc_.font)]
                              : nullptr;
  if (!view_.painter) {
    const QRectF box = PlayMetaText(nullptr, run, font, dc_, view_.logicalToPicture);
    if (!box.isEmpty()) MeasurePicture(box);
    return;
  }
  PlayMetaText(view_.painter, run, font, dc_, view_.LogicalToTarget(), texts_);
  view_.painter->setTransform(view_.LogicalToTarget());
}

void TMetaDrawingPlayer::PlayBlit(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.blits.size()) return;
  const TMetaBlit& blit = list_.blits[static_cast<std::size_t>(index)];
  if (path_.Recording()) return;
  if (!view_.painter) {
    const QRectF bounds = MetaBlitBounds(blit);
    if (!bounds.isEmpty()) Measure(bounds);
    return;
  }
  QPainter& painter = *view_.painter;
  const QBrush brush = view_.PatternInPictureSpace(MetaSelectedBrush(dc_, list_), painter.transform());
  if (!blit.paletteImage) {
    DrawMetaBlit(painter, blit, brush);
    return;
  }
  // Palette colours are taken from the palette selected now.
  TMetaBlit coloured = blit;
  coloured.image = paletteBlits_ ? paletteBlits_->Coloured(*blit.paletteImage, dc_.palette.get())
                                 : MetaPaletteColoured(*blit.paletteImage, dc_.palette.get());
  DrawMetaBlit(painter, coloured, brush);
}

void TMetaDrawingPlayer::PlayGradient(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.gradients.size()) return;
  const TMetaGradient& gradient = list_.gradients[static_cast<std::size_t>(index)];
  if (gradient.vertices.empty()) return;
  if (!view_.painter) {
    const QRectF box = MetaGradientBounds(gradient);
    if (!box.isNull()) Measure(box);
    return;
  }
  PaintMetaGradient(*view_.painter, gradient);
}

void TMetaDrawingPlayer::Measure(const QRectF& logical) {
  MeasurePicture(view_.logicalToPicture.mapRect(logical));
}

void TMetaDrawingPlayer::MeasurePicture(const QRectF& picture) {
  bounds_ = measured_ ? bounds_.united(picture) : picture;
  measured_ = true;
}

bool TMetaDrawingPlayer::ValidPoints(std::int64_t first, std::int64_t count) const {
  return MetaRangeFits(list_.points.size(), first, count);
}
