// The metafile player's state machine: the play loop, the dispatch of each operation to the part that
// plays it, the device context with its saved states, the object table and the mapping.
#include "metafile/play/MetafilePlayer.h"

#include <uemf.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

#include "metafile/play/MetaBitmapPlayer.h"
#include "metafile/play/MetaColour.h"
#include "metafile/play/MetaGradientPainter.h"
#include "metafile/play/MetaOpFamily.h"
#include "metafile/play/MetaShapeGeometry.h"
#include "metafile/play/MetaTextPlayer.h"
#include "metafile/read/MetaRegion.h"

namespace {

// Deeper SaveDC nesting is counted but not stored, so that a file cannot pile up states.
constexpr std::size_t kMaxSavedStates = 1024;
// Runs of LineTo records drawn as one line are at most this long, so a run stays a modest path.
constexpr std::size_t kMaxLineRun = 4096;
// ModifyWorldTransform's mode that replaces the transform, later than libuemf's list.
constexpr int kMwtSet = 4;

}  // namespace

TMetafilePlayer::TMetafilePlayer(const TMetaPlayList& list, TMetaStrokeCache* strokes,
                                 TMetaTextOutlines* texts)
    : list_(list),
      texts_(texts),
      view_(list),
      clip_(dc_.clip, view_),
      shapes_(view_, dc_, strokes),
      emfPlus_(list, view_) {}

void TMetafilePlayer::Play(QPainter& painter, const QRectF& target, double referencePixel) {
  if (!view_.Aim(painter, target, referencePixel)) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  // Hatches are spaced in pixels of the picture, so they shrink and grow with it.
  painter.setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
  view_.painter = &painter;
  Run();
  view_.painter = nullptr;
  painter.restore();
}

QRectF TMetafilePlayer::DrawnBounds() {
  view_.painter = nullptr;
  bounds_ = QRectF();
  measured_ = false;
  Run();
  return bounds_;
}

void TMetafilePlayer::Run() {
  dc_ = TMetaDc();
  dc_.mapMode = list_.mapMode;
  dc_.windowOrgX = list_.windowOrg.x(), dc_.windowOrgY = list_.windowOrg.y();
  dc_.windowExtX = list_.windowExt.x(), dc_.windowExtY = list_.windowExt.y();
  dc_.viewportOrgX = list_.viewportOrg.x(), dc_.viewportOrgY = list_.viewportOrg.y();
  dc_.viewportExtX = list_.viewportExt.x(), dc_.viewportExtY = list_.viewportExt.y();
  saved_.clear();
  lostSaves_ = 0;
  objects_.Reset(list_.objectSlots);
  path_.Abort();
  clip_.Reset();
  emfPlus_.Reset();
  UpdateTransform();
  for (commandIndex_ = 0; commandIndex_ < list_.commands.size(); ++commandIndex_)
    Execute(list_.commands[commandIndex_]);
}

void TMetafilePlayer::Execute(const TMetaCommand& c) {
  const EMetaOpFamily family = MetaOpFamily(c.Op());
  if (clip_.Pending() && family != EMetaOpFamily::Clip) clip_.Apply();
  switch (family) {
    case EMetaOpFamily::Mapping:
      ExecuteMapping(c);
      break;
    case EMetaOpFamily::State:
      ExecuteState(c);
      break;
    case EMetaOpFamily::Object:
      ExecuteObject(c);
      break;
    case EMetaOpFamily::Shape:
      ExecuteShape(c);
      break;
    case EMetaOpFamily::Path:
      ExecutePath(c);
      break;
    case EMetaOpFamily::Clip:
      ExecuteClip(c);
      break;
    case EMetaOpFamily::Region:
      ExecuteRegion(c);
      break;
    case EMetaOpFamily::Picture:
      ExecutePicture(c);
      break;
  }
}

void TMetafilePlayer::ExecuteMapping(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::SetMapMode: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode >= U_MM_MIN && mode <= U_MM_MAX) dc_.mapMode = mode;
      break;
    }
    case EMetaOp::SetWindowOrg: {
      const auto& org = c.Args<TMetaPoint>();
      dc_.windowOrgX = org.x, dc_.windowOrgY = org.y;
      break;
    }
    case EMetaOp::SetViewportOrg: {
      const auto& org = c.Args<TMetaPoint>();
      dc_.viewportOrgX = org.x, dc_.viewportOrgY = org.y;
      break;
    }
    case EMetaOp::OffsetWindowOrg: {
      const auto& offset = c.Args<TMetaPoint>();
      dc_.windowOrgX += offset.x, dc_.windowOrgY += offset.y;
      break;
    }
    case EMetaOp::OffsetViewportOrg: {
      const auto& offset = c.Args<TMetaPoint>();
      dc_.viewportOrgX += offset.x, dc_.viewportOrgY += offset.y;
      break;
    }
    case EMetaOp::SetWindowExt:
    case EMetaOp::SetViewportExt: {
      const auto& ext = c.Args<TMetaExtent>();
      // Extents only count in the scalable modes; GDI ignores them in the others.
      if (ext.x == 0 || ext.y == 0 || (dc_.mapMode != U_MM_ISOTROPIC && dc_.mapMode != U_MM_ANISOTROPIC))
        return;
      if (c.Op() == EMetaOp::SetWindowExt)
        dc_.windowExtX = ext.x, dc_.windowExtY = ext.y;
      else
        dc_.viewportExtX = ext.x, dc_.viewportExtY = ext.y;
      break;
    }
    case EMetaOp::ScaleWindowExt:
    case EMetaOp::ScaleViewportExt: {
      const auto& scale = c.Args<TMetaScale>();
      if (dc_.mapMode != U_MM_ISOTROPIC && dc_.mapMode != U_MM_ANISOTROPIC) return;
      const bool window = c.Op() == EMetaOp::ScaleWindowExt;
      std::int64_t x = window ? dc_.windowExtX : dc_.viewportExtX,
                   y = window ? dc_.windowExtY : dc_.viewportExtY;
      if (!ScaleMetaExtent(x, scale.xNum, scale.xDenom) || !ScaleMetaExtent(y, scale.yNum, scale.yDenom))
        return;
      (window ? dc_.windowExtX : dc_.viewportExtX) = x;
      (window ? dc_.windowExtY : dc_.viewportExtY) = y;
      break;
    }
    case EMetaOp::SetWorldTransform:
    case EMetaOp::ModifyWorldTransform:
      SetWorldTransform(c);
      return;
    default:
      return;
  }
  UpdateTransform();
}

void TMetafilePlayer::UpdateTransform() {
  view_.SetMapping(MetaDcTransform(dc_, list_.unitsPerMmX, list_.unitsPerMmY));
}

void TMetafilePlayer::SetWorldTransform(const TMetaCommand& c) {
  const bool set = c.Op() == EMetaOp::SetWorldTransform;
  const std::int32_t index = set ? c.Args<TMetaIndex>().index : c.Args<TMetaTransformArgs>().transform;
  if (index < 0 || static_cast<std::size_t>(index) >= list_.transforms.size()) return;
  const QTransform& matrix = list_.transforms[static_cast<std::size_t>(index)];
  if (set) {
    dc_.world = matrix;
  } else {
    switch (c.Args<TMetaTransformArgs>().mode) {
      case U_MWT_IDENTITY:
        dc_.world = QTransform();
        break;
      case U_MWT_LEFTMULTIPLY:  // the new matrix acts first
        dc_.world = matrix * dc_.world;
        break;
      case U_MWT_RIGHTMULTIPLY:
        dc_.world = dc_.world * matrix;
        break;
      case kMwtSet:
        dc_.world = matrix;
        break;
      default:
        return;
    }
  }
  UpdateTransform();
}

void TMetafilePlayer::ExecuteState(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::SaveDC:
      if (saved_.size() < kMaxSavedStates)
        saved_.push_back(dc_);
      else
        ++lostSaves_;
      break;
    case EMetaOp::RestoreDC:
      Restore(c.Args<TMetaLevel>().level);
      break;
    case EMetaOp::SetPolyFillMode: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode == U_ALTERNATE) dc_.fillRule = Qt::OddEvenFill;
      if (mode == U_WINDING) dc_.fillRule = Qt::WindingFill;
      break;
    }
    case EMetaOp::MoveTo: {
      const auto& to = c.Args<TMetaPoint>();
      dc_.position = QPointF(to.x, to.y);
      path_.EndFigure();
      break;
    }
    case EMetaOp::SetTextColor:
      dc_.textColour = c.Args<TMetaColour>().colour;
      break;
    case EMetaOp::SetBkColor:
      dc_.bkColour = c.Args<TMetaColour>().colour;
      break;
    case EMetaOp::SetBkMode: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode == U_TRANSPARENT || mode == U_OPAQUE) dc_.bkOpaque = mode == U_OPAQUE;
      break;
    }
    case EMetaOp::SetTextAlign:
      dc_.textAlign = c.Args<TMetaMode>().mode;
      break;
    case EMetaOp::SetTextCharExtra:
      dc_.charExtra = c.Args<TMetaCharExtra>().extra;
      break;
    case EMetaOp::SetTextJustification: {
      // A count of 0 or less clears the justification, as does no extra space.
      const auto& justification = c.Args<TMetaJustification>();
      const bool breaks = justification.breaks > 0;
      dc_.breakExtra = breaks ? std::clamp(justification.extra, -kMaxMetaFontUnits, kMaxMetaFontUnits) : 0;
      dc_.breakCount = breaks ? justification.breaks : 0;
      break;
    }
    case EMetaOp::SetArcDirection: {
      const std::int32_t direction = c.Args<TMetaMode>().mode;
      if (direction == U_AD_COUNTERCLOCKWISE || direction == U_AD_CLOCKWISE)
        dc_.arcClockwise = direction == U_AD_CLOCKWISE;
      break;
    }
    case EMetaOp::SetRop2: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode >= U_R2_BLACK && mode <= U_R2_WHITE) dc_.rop2 = mode;
      break;
    }
    default:
      break;
  }
}

void TMetafilePlayer::Restore(int level) {
  // Levels that do not exist are ignored, as GDI fails such a RestoreDC.
  std::int64_t keep = -1;  // number of stored states left after the restore
  if (level < 0) {
    std::int64_t back = -static_cast<std::int64_t>(level);
    if (back <= lostSaves_) {
      lostSaves_ -= static_cast<int>(back);
      return;
    }
    back -= lostSaves_;
    if (back > static_cast<std::int64_t>(saved_.size())) return;
    lostSaves_ = 0;
    keep = static_cast<std::int64_t>(saved_.size()) - back;
  } else if (level > 0) {
    if (level > static_cast<std::int64_t>(saved_.size())) return;
    lostSaves_ = 0;
    keep = level - 1;
  } else {
    return;
  }
  const TMetaDc& restored = saved_[static_cast<std::size_t>(keep)];
  const bool clipChanged =
      dc_.clip.clipped || dc_.clip.metaClipped || restored.clip.clipped || restored.clip.metaClipped;
  dc_ = restored;
  saved_.resize(static_cast<std::size_t>(keep));
  UpdateTransform();
  if (clipChanged) clip_.Apply();
}

void TMetafilePlayer::ExecuteObject(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::SelectObject:
      Select(c.Args<TMetaSlot>().slot);
      break;
    case EMetaOp::SelectStock:
      SelectMetaStockObject(dc_, c.Args<TMetaStock>().object);
      break;
    case EMetaOp::DeleteObject:
      objects_.Delete(c.Args<TMetaSlot>().slot);
      break;
    default:
      objects_.Create(c, list_);
      break;
  }
}

void TMetafilePlayer::Select(std::int32_t slot) {
  const TMetaObject* object = objects_.At(slot);
  if (object == nullptr) return;
  SelectMetaObject(dc_, *object, list_);
  // Selecting a region object clips to it.
  if (object->kind == TMetaObject::EKind::Region) ClipToRegion(*object);
}

QBrush TMetafilePlayer::BrushByIndex(std::int32_t index) const {
  const auto bits = static_cast<std::uint32_t>(index);
  if (list_.enhanced && (bits & U_STOCK_OBJECT)) {
    const TMetaStockObject stock = MetaStockObject(static_cast<int>(bits & ~U_STOCK_OBJECT));
    return stock.kind == TMetaStockObject::EKind::Brush ? stock.brush : QBrush(Qt::NoBrush);
  }
  const TMetaObject* object = objects_.At(index);
  if (object == nullptr || object->kind != TMetaObject::EKind::Brush) return QBrush(Qt::NoBrush);
  return MetaObjectBrush(*object, list_, dc_.textColour, dc_.bkColour);
}

void TMetafilePlayer::ClipToRegion(const TMetaObject& region) {
  if (region.regionFirst < 0 || region.regionCount < 0 ||
      static_cast<std::uint64_t>(region.regionFirst) + static_cast<std::uint64_t>(region.regionCount) >
          list_.regionRects.size())
    return;
  if (region.regionCount == 0) {
    clip_.SelectNone();
    return;
  }
  clip_.SelectObjectRegion(view_.logicalToPicture.map(
      RegionPath(list_.regionRects.data() + region.regionFirst, region.regionCount)));
}

void TMetafilePlayer::ExecuteShape(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::LineTo: {
      const std::size_t run = LineToRun();
      DrawConnected(shapes_.LineRunPath(commandIndex_, dc_.position, &list_.commands[commandIndex_], run));
      commandIndex_ += run - 1;
      const auto& to = list_.commands[commandIndex_].Args<TMetaPoint>();
      dc_.position = QPointF(to.x, to.y);
      break;
    }
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
      ExecuteCurve(c);
      break;
  }
}

void TMetafilePlayer::ExecuteCurve(const TMetaCommand& c) {
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
    case EMetaOp::Arc:
    case EMetaOp::ArcTo:
    case EMetaOp::Chord:
    case EMetaOp::Pie:
      DrawArc(c);
      break;
    case EMetaOp::AngleArc: {
      const QPainterPath path = MetaAngleArcPath(dc_.position, c.Args<TMetaAngleArcArgs>());
      dc_.position = path.currentPosition();
      DrawConnected(path);
      break;
    }
    case EMetaOp::PolyDraw:
      DrawPolyDraw(c.Args<TMetaPolyDrawArgs>());
      break;
    default:
      break;
  }
}

void TMetafilePlayer::DrawPath(const QPainterPath& path, bool filled, const QRectF* box) {
  if (path.isEmpty()) return;
  if (path_.Recording()) {
    path_.AddShape(path, view_.logicalToPicture);
    return;
  }
  if (!view_.painter) {
    Measure(path.controlPointRect());
    return;
  }
  shapes_.Paint(commandIndex_, path, filled ? MetaSelectedBrush(dc_, list_) : QBrush(Qt::NoBrush), box);
}

void TMetafilePlayer::DrawPolygon(const QPoint* points, int count) {
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
  shapes_.PaintPolygon(commandIndex_, points, count, bounds, MetaSelectedBrush(dc_, list_));
}

void TMetafilePlayer::DrawPolyline(const QPoint* points, int count) {
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
  shapes_.PaintPolyline(commandIndex_, points, count, bounds);
}

void TMetafilePlayer::DrawConnected(const QPainterPath& segment) {
  if (!path_.Recording()) {
    DrawPath(segment, false);
    return;
  }
  path_.Connect(segment, view_.logicalToPicture);
}

std::size_t TMetafilePlayer::LineToRun() const {
  // GDI lights the same pixels for a run of LineTo records as for one polyline through their points
  // with a solid pen whose ends and joins are alike: a pixel wide, or round. Maps are drawn with
  // thousands of such runs, and stroking each line alone took most of their drawing time.
  const QPen& pen = dc_.pen;
  if (dc_.rop2 != U_R2_COPYPEN || pen.style() != Qt::SolidLine) return 1;
  if (!shapes_.Hairline(pen) && (pen.capStyle() != Qt::RoundCap || pen.joinStyle() != Qt::RoundJoin))
    return 1;
  std::size_t end = commandIndex_ + 1;
  while (end < list_.commands.size() && list_.commands[end].Op() == EMetaOp::LineTo &&
         end - commandIndex_ < kMaxLineRun)
    ++end;
  return end - commandIndex_;
}

void TMetafilePlayer::DrawPolyPolygon(const TMetaCommand& c) {
  const auto& poly = c.Args<TMetaPolyPoints>();
  if (poly.firstCount < 0 || poly.polygons < 0 ||
      static_cast<std::uint64_t>(poly.firstCount) + static_cast<std::uint64_t>(poly.polygons) >
          list_.polyCounts.size())
    return;
  const bool closed = c.Op() == EMetaOp::PolyPolygon;
  QPainterPath path;
  path.setFillRule(dc_.fillRule);
  const std::span<const std::int32_t> counts(list_.polyCounts.data() + poly.firstCount,
                                             static_cast<std::size_t>(poly.polygons));
  if (!MetaPolyPolygonPath(list_.points, counts, poly.firstPoint, closed, path)) return;
  DrawPath(path, closed);
}

void TMetafilePlayer::DrawArc(const TMetaCommand& c) {
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

void TMetafilePlayer::DrawPolyDraw(const TMetaPolyDrawArgs& draw) {
  const std::int32_t count = draw.points.count;
  if (!ValidPoints(draw.points.first, count) || draw.firstType < 0 ||
      static_cast<std::uint64_t>(draw.firstType) + static_cast<std::uint64_t>(count) >
          list_.polyDrawTypes.size())
    return;
  TMetaPolyDraw figures = MetaPolyDrawFigures(
      dc_.position,
      std::span<const QPoint>(list_.points.data() + draw.points.first, static_cast<std::size_t>(count)),
      std::span<const std::uint8_t>(list_.polyDrawTypes.data() + draw.firstType,
                                    static_cast<std::size_t>(count)));
  for (TMetaPolyDrawFigure& figure : figures.figures) {
    if (!path_.Recording() && figure.closed) figure.path.closeSubpath();
    if (!figure.continues) path_.EndFigure();
    DrawConnected(figure.path);
    if (path_.Recording() && figure.closed) path_.CloseOpenFigure();
  }
  dc_.position = figures.end;
}

void TMetafilePlayer::DrawPixel(const TMetaPixel& pixel) {
  const QPointF at = view_.logicalToPicture.map(QPointF(pixel.at.x, pixel.at.y));
  const double size = view_.PixelSize();
  const QRectF dot(at, QSizeF(size, size));
  if (!view_.painter) {
    MeasurePicture(dot);
    return;
  }
  shapes_.PaintPixel(dot, MetaColourRef(pixel.colour));
}

QRectF TMetafilePlayer::FramedBox(const QRectF& box) const {
  if (!dc_.penInsideFrame || dc_.pen.style() == Qt::NoPen) return box;
  return MetaInsideFrameBox(box, dc_.pen.widthF());
}

void TMetafilePlayer::ExecutePath(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::BeginPath:
      path_.Begin();
      break;
    case EMetaOp::EndPath:
      path_.End();
      break;
    case EMetaOp::CloseFigure:
      path_.CloseFigure();
      break;
    case EMetaOp::AbortPath:
      path_.Abort();
      break;
    case EMetaOp::FillPath:
    case EMetaOp::StrokePath:
    case EMetaOp::StrokeAndFillPath:
      PlayPath(c.Op());
      break;
    case EMetaOp::FlattenPath:
      path_.Flatten();
      break;
    case EMetaOp::WidenPath:
      WidenPath();
      break;
    default:
      break;
  }
}

void TMetafilePlayer::PlayPath(EMetaOp op) {
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

void TMetafilePlayer::WidenPath() {
  if (path_.Empty()) return;
  // Widening outlines the path as the selected pen would draw it, in picture space.
  const QPen pen = shapes_.StrokePen();
  if (pen.style() == Qt::NoPen) return;
  const double scale = std::sqrt(std::abs(view_.logicalToPicture.determinant()));
  path_.Widen(pen, std::max(pen.widthF() * scale, view_.PixelSize()));
}

void TMetafilePlayer::ExecuteClip(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::IntersectClipRect:
      clip_.IntersectRect(MetaBox(c.Args<TMetaRect>()));
      break;
    case EMetaOp::ExcludeClipRect:
      clip_.ExcludeRect(MetaBox(c.Args<TMetaRect>()));
      break;
    case EMetaOp::SelectClipPath: {
      QPainterPath shape = path_.Take();
      shape.setFillRule(dc_.fillRule);
      clip_.Combine(shape, c.Args<TMetaMode>().mode);
      break;
    }
    case EMetaOp::SelectClipRegion:
      SelectClipRects(c.Args<TMetaClipRects>());
      break;
    case EMetaOp::OffsetClipRegion: {
      const auto& offset = c.Args<TMetaPoint>();
      clip_.Offset(QPointF(offset.x, offset.y));
      break;
    }
    case EMetaOp::SetMetaRegion:
      clip_.SetMetaRegion();
      break;
    default:
      break;
  }
}

void TMetafilePlayer::SelectClipRects(const TMetaClipRects& rects) {
  if (rects.count < 0) {
    clip_.SelectNone();
    return;
  }
  if (!ValidPoints(rects.first, 2 * static_cast<std::int64_t>(rects.count))) return;
  QPainterPath region;
  region.setFillRule(Qt::WindingFill);
  for (std::int32_t i = 0; i < rects.count; ++i) {
    const QPoint* p = list_.points.data() + rects.first + 2 * i;
    region.addRect(QRectF(QPointF(p[0]), QPointF(p[1])).normalized());
  }
  clip_.Combine(region, rects.mode);
}

void TMetafilePlayer::ExecuteRegion(const TMetaCommand& c) {
  if (c.Op() != EMetaOp::SelectClipObject) {
    PlayRegion(c);
    return;
  }
  const TMetaObject* object = objects_.At(c.Args<TMetaSlot>().slot);
  if (object != nullptr && object->kind == TMetaObject::EKind::Region)
    ClipToRegion(*object);
  else
    clip_.SelectNone();  // no region: back to the default clipping
}

bool TMetafilePlayer::RegionRects(const TMetaRegion& region, std::int32_t& first, std::int32_t& count) const {
  if (region.object >= 0) {
    const TMetaObject* object = objects_.At(region.object);
    if (object == nullptr || object->kind != TMetaObject::EKind::Region) return false;
    first = object->regionFirst, count = object->regionCount;
  } else {
    first = region.first, count = region.count;
  }
  return first >= 0 && count > 0 &&
         static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) <= list_.regionRects.size();
}

void TMetafilePlayer::PlayRegion(const TMetaCommand& c) {
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

void TMetafilePlayer::ExecutePicture(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::TextOut:
      PlayText(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::Blit:
      PlayBlit(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::GradientFill:
      PlayGradient(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::EmfPlus:
      emfPlus_.Play(c.Args<TMetaRecords>());
      break;
    default:
      break;
  }
}

void TMetafilePlayer::PlayText(std::int32_t index) {
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

void TMetafilePlayer::PlayBlit(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.blits.size()) return;
  const TMetaBlit& blit = list_.blits[static_cast<std::size_t>(index)];
  if (path_.Recording()) return;
  if (!view_.painter) {
    const QRectF bounds = MetaBlitBounds(blit);
    if (!bounds.isEmpty()) Measure(bounds);
    return;
  }
  QPainter& painter = *view_.painter;
  DrawMetaBlit(painter, blit,
               view_.PatternInPictureSpace(MetaSelectedBrush(dc_, list_), painter.transform()));
}

void TMetafilePlayer::PlayGradient(std::int32_t index) {
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

void TMetafilePlayer::Measure(const QRectF& logical) {
  MeasurePicture(view_.logicalToPicture.mapRect(logical));
}

void TMetafilePlayer::MeasurePicture(const QRectF& picture) {
  bounds_ = measured_ ? bounds_.united(picture) : picture;
  measured_ = true;
}

bool TMetafilePlayer::ValidPoints(std::int32_t first, std::int64_t count) const {
  return first >= 0 && count >= 0 &&
         static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) <= list_.points.size();
}
