// The metafile player's state machine: mapping, objects, shapes, paths, clipping and the painting of
// finished shapes.
#include "metafile/play/MetafilePlayer.h"

#include <uemf.h>

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <cmath>
#include <utility>

#include "metafile/draw/MetaClip.h"
#include "metafile/draw/MetaRectUnion.h"
#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/emfplus/EmfPlusPlayer.h"
#include "metafile/play/MetaBitmapPlayer.h"
#include "metafile/play/MetaPen.h"
#include "metafile/play/MetaTextPlayer.h"

namespace {

// Deeper SaveDC nesting is counted but not stored, so that a file cannot pile up states.
constexpr std::size_t kMaxSavedStates = 1024;
// Stock objects of later GDI versions that libuemf does not name.
constexpr int kStockDcBrush = 18;
constexpr int kStockDcPen = 19;
// Combining clip shapes costs time with their size; a clip that grows beyond this many path elements
// keeps its last shape, so that thousands of clip records cannot make a picture draw for seconds.
constexpr int kMaxClipElements = 2000;
// The same for all clip changes of one picture together, counted in path elements combined.
constexpr std::int64_t kMaxClipWork = 200000;
// Rectangle clips: a region of more rectangles keeps its last shape, and all rectangle combinations of
// a picture together stop at this many rectangles handled.
constexpr int kMaxClipRects = 20000;
constexpr std::int64_t kMaxClipRectWork = 20'000'000;
// Excluded rectangles waiting to be cut at once: more are cut in several goes. Their union may grow to
// this many rectangles before they are cut one at a time instead.
constexpr qsizetype kMaxPendingClipCuts = 4096;
constexpr std::int64_t kMaxClipCutUnionRects = 4 * kMaxClipRects;
// Rectangle clip coordinates stay within this, in clip units, so that region arithmetic cannot overflow.
constexpr double kMaxClipRectCoordinate = 1 << 28;
// Runs of LineTo records drawn as one line are at most this long, so a run stays a modest path.
constexpr std::size_t kMaxLineRun = 4096;
// ModifyWorldTransform's mode that replaces the transform, later than libuemf's list.
constexpr int kMwtSet = 4;

// Qt's stroker and rasteriser work over the whole extent of a shape, seen or not, so a single record
// with far-away points or a pen millions of pixels wide could keep a paint busy for seconds. Shapes
// within this many device pixels of the visible area, with pens up to this radius, go to Qt as they
// are; the rest are cut down to the visible area first.
constexpr double kNearMargin = 1024;
constexpr double kMaxDirectPenRadius = 256;
// Cut edges stay this far outside the visible area, beyond the reach of antialiasing.
constexpr double kClipMargin = 4;

// How far the transform stretches a length at most.
double MaxScale(const QTransform& t) {
  return std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
}

// The parts of the outline inside reach. A closed line keeps its join where it starts and ends: cut
// through elsewhere, its last piece continues into its first; not cut at all, it stays closed.
QPainterPath ReachablePart(const std::vector<QPolygonF>& outline, const QRectF& reach) {
  QPainterPath path;
  for (const QPolygonF& line : outline) {
    std::vector<QPolygonF> pieces = ClipPolylineToRect(line, reach);
    const bool closed = line.size() > 2 && line.first() == line.last();
    if (closed && pieces.size() == 1 && pieces.front() == line) {
      path.addPolygon(line);
      path.closeSubpath();
      continue;
    }
    if (closed && pieces.size() >= 2 && pieces.front().first() == line.first() &&
        pieces.back().last() == line.last()) {
      pieces.back().append(pieces.front().mid(1));
      pieces.erase(pieces.begin());
    }
    for (const QPolygonF& piece : pieces) path.addPolygon(piece);
  }
  return path;
}

// The polygons cut down to the area, as one path to fill with the rule.
QPainterPath CutDownFill(const QList<QPolygonF>& polygons, const QRectF& area, Qt::FillRule rule) {
  QPainterPath fill;
  fill.setFillRule(rule);
  for (const QPolygonF& polygon : polygons) {
    const QPolygonF clipped = ClipPolygonToRect(polygon, area);
    if (clipped.size() >= 3) fill.addPolygon(clipped);
  }
  return fill;
}

QPainterPath PointsPath(const QPoint* points, int count) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QPolygon(QList<QPoint>(points, points + count))));
  return path;
}

bool Within(const QRectF& inner, const QRectF& outer) {
  return inner.left() >= outer.left() && inner.right() <= outer.right() && inner.top() >= outer.top() &&
         inner.bottom() <= outer.bottom();
}

// True when a point follows itself: a path drops the repeat, where Qt's stroker of the points as they
// are sees a segment of no length, so the two need not end in the same outline.
bool RepeatsAPoint(const QPoint* points, int count) {
  for (int i = 1; i < count; ++i)
    if (points[i] == points[i - 1]) return true;
  return false;
}

QRectF PointBounds(const QPoint* points, int count) {
  int left = points[0].x(), right = left, top = points[0].y(), bottom = top;
  for (int i = 1; i < count; ++i) {
    left = std::min(left, points[i].x()), right = std::max(right, points[i].x());
    top = std::min(top, points[i].y()), bottom = std::max(bottom, points[i].y());
  }
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

struct ArcAngles {
  double start = 0, sweep = 360;
};

// Qt's angles (degrees, anticlockwise on screen, parametric on the ellipse) of an arc of the box's
// ellipse from where the ray from its centre through start meets it to where the one through end does.
ArcAngles ArcAnglesThrough(const QRectF& box, QPointF start, QPointF end, bool clockwise) {
  const QPointF centre = box.center();
  const double rx = box.width() / 2, ry = box.height() / 2;
  const auto angle = [&](QPointF p) {
    return std::atan2(-(p.y() - centre.y()) / ry, (p.x() - centre.x()) / rx) * 180.0 / M_PI;
  };
  ArcAngles result;
  result.start = angle(start);
  double sweep = angle(end) - result.start;
  // Rays that coincide make a whole ellipse, as in GDI.
  if (clockwise) {
    while (sweep >= 0) sweep -= 360;
  } else {
    while (sweep <= 0) sweep += 360;
  }
  result.sweep = sweep;
  return result;
}

// Appends the picture-space box, in clip units, to rects (nothing for a box without area); false when it
// lies beyond the range of rectangle clips.
bool AppendClipUnitsBox(double left, double top, double right, double bottom, QList<QRect>& rects) {
  const double limit = kMaxClipRectCoordinate / kClipRectUnits;
  if (!(std::max(std::abs(left), std::abs(right)) < limit) ||
      !(std::max(std::abs(top), std::abs(bottom)) < limit))
    return false;
  const QPoint topLeft(static_cast<int>(std::lround(left * kClipRectUnits)),
                       static_cast<int>(std::lround(top * kClipRectUnits)));
  const QPoint bottomRight(static_cast<int>(std::lround(right * kClipRectUnits)),
                           static_cast<int>(std::lround(bottom * kClipRectUnits)));
  if (bottomRight.x() > topLeft.x() && bottomRight.y() > topLeft.y())
    rects.append(QRect(topLeft, bottomRight - QPoint(1, 1)));
  return true;
}

// The path as a region of clip units when it is made of axis-aligned rectangles only (what clip
// rectangle and region records make); false for any other path.
bool RectanglesOf(const QPainterPath& path, QRegion& region) {
  const int count = path.elementCount();
  if (count == 0 || count % 5 != 0 || count / 5 > kMaxClipRects) return false;
  if (path.fillRule() == Qt::OddEvenFill && count > 5) return false;  // overlaps would cancel out
  QList<QRect> rects;
  rects.reserve(count / 5);
  for (int first = 0; first < count; first += 5) {
    if (!path.elementAt(first).isMoveTo()) return false;
    double left = path.elementAt(first).x, right = left, top = path.elementAt(first).y, bottom = top;
    for (int i = first + 1; i < first + 5; ++i) {
      const QPainterPath::Element& e = path.elementAt(i);
      const QPainterPath::Element& previous = path.elementAt(i - 1);
      if (!e.isLineTo() || (e.x != previous.x && e.y != previous.y)) return false;
      left = std::min(left, e.x), right = std::max(right, e.x);
      top = std::min(top, e.y), bottom = std::max(bottom, e.y);
    }
    const QPainterPath::Element& start = path.elementAt(first);
    const QPainterPath::Element& end = path.elementAt(first + 4);
    if (start.x != end.x || start.y != end.y) return false;
    if (!AppendClipUnitsBox(left, top, right, bottom, rects)) return false;
  }
  region = QRegion();
  for (const QRect& r : rects) region += r;
  return true;
}

// The picture-space rectangle in clip units, rounded outwards and kept within the region's range.
QRect ClipUnitsRect(const QRectF& picture) {
  const QRectF units = QTransform::fromScale(kClipRectUnits, kClipRectUnits).mapRect(picture);
  const double limit = kMaxClipRectCoordinate;
  const auto unit = [limit](double v) { return static_cast<int>(std::clamp(v, -limit, limit)); };
  return QRect(QPoint(unit(std::floor(units.left())), unit(std::floor(units.top()))),
               QPoint(unit(std::ceil(units.right())), unit(std::ceil(units.bottom()))));
}

QPainterPath RectsPath(const QRegion& region) {
  QPainterPath path;
  path.addRegion(region);
  return QTransform::fromScale(1.0 / kClipRectUnits, 1.0 / kClipRectUnits).map(path);
}

bool IsClipChange(EMetaOp op) {
  switch (op) {
    case EMetaOp::IntersectClipRect:
    case EMetaOp::ExcludeClipRect:
    case EMetaOp::SelectClipPath:
    case EMetaOp::SelectClipRegion:
    case EMetaOp::OffsetClipRegion:
    case EMetaOp::SetMetaRegion:
      return true;
    default:
      return false;
  }
}

QRectF Box(const TMetaRect& rect) {
  return QRectF(QPointF(rect.left, rect.top), QPointF(rect.right, rect.bottom)).normalized();
}

}  // namespace

void TMetafilePlayer::Play(QPainter& painter, const QRectF& target, double referencePixel) {
  const QRectF& frame = list_.frame;
  if (frame.width() <= 0 || frame.height() <= 0 || target.isEmpty()) return;
  // The painter's own transform (a widget offset, say) still applies after the target mapping.
  toTarget_ = QTransform::fromTranslate(-frame.left(), -frame.top()) *
              QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height()) *
              QTransform::fromTranslate(target.left(), target.top()) * painter.transform();
  devicePixelRatio_ = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1;
  referencePixel_ = std::isfinite(referencePixel) && referencePixel > 0 ? referencePixel : 0;
  halfPixel_ = HalfPixel();
  QRectF visible = painter.window();
  if (painter.hasClipping())
    visible = visible.intersected(painter.transform().mapRect(painter.clipBoundingRect()));
  if (visible.isEmpty()) return;
  clipArea_ = QTransform::fromScale(devicePixelRatio_, devicePixelRatio_)
                  .mapRect(visible)
                  .adjusted(-kClipMargin, -kClipMargin, kClipMargin, kClipMargin);
  nearArea_ = clipArea_.adjusted(-kNearMargin, -kNearMargin, kNearMargin, kNearMargin);
  painter.save();
  outerClipped_ = painter.hasClipping();
  outerClip_ = outerClipped_ ? painter.clipPath() : QPainterPath();
  outerTransform_ = painter.transform();
  painter.setRenderHint(QPainter::Antialiasing, true);
  // Hatches are spaced in pixels of the picture, so they shrink and grow with it.
  painter.setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
  painter_ = &painter;
  Run();
  painter_ = nullptr;
  painter.restore();
}

QRectF TMetafilePlayer::DrawnBounds() {
  painter_ = nullptr;
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
  objects_.assign(static_cast<std::size_t>(std::max(list_.objectSlots, 0)), TObject());
  path_ = QPainterPath();
  inPath_ = figureOpen_ = false;
  clipWork_ = clipRectWork_ = 0;
  clipPending_ = false;
  emfPlus_.reset();
  fallbackRange_ = 0;
  playedUntil_ = NextFallback();
  UpdateTransform();
  for (commandIndex_ = 0; commandIndex_ < list_.commands.size(); ++commandIndex_) {
    if (commandIndex_ == playedUntil_) {
      // GDI records that only stand in for the file's EMF+ records are left out.
      commandIndex_ = list_.emfPlus->gdiFallback[fallbackRange_++].second - 1;
      playedUntil_ = NextFallback();
      continue;
    }
    Execute(list_.commands[commandIndex_]);
  }
}

std::size_t TMetafilePlayer::NextFallback() const {
  if (!list_.emfPlus || fallbackRange_ >= list_.emfPlus->gdiFallback.size()) return list_.commands.size();
  return list_.emfPlus->gdiFallback[fallbackRange_].first;
}

void TMetafilePlayer::UpdateTransform() {
  logicalToPicture_ = MetaDcTransform(dc_, list_.unitsPerMmX, list_.unitsPerMmY);
  ++mappingChanges_;
  logicalToClip_ =
      logicalToPicture_ * toTarget_ * QTransform::fromScale(devicePixelRatio_, devicePixelRatio_);
  clipScale_ = MaxScale(logicalToClip_);
  if (painter_) painter_->setTransform(logicalToPicture_ * toTarget_);
}

bool TMetafilePlayer::ValidPoints(std::int32_t first, std::int64_t count) const {
  return first >= 0 && count >= 0 &&
         static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) <= list_.points.size();
}

void TMetafilePlayer::Execute(const TMetaCommand& c) {
  if (clipPending_ && !IsClipChange(c.Op())) ApplyClip();
  switch (c.Op()) {
    case EMetaOp::SetMapMode: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode >= U_MM_MIN && mode <= U_MM_MAX) dc_.mapMode = mode;
      UpdateTransform();
      break;
    }
    case EMetaOp::SetWindowOrg: {
      const auto& org = c.Args<TMetaPoint>();
      dc_.windowOrgX = org.x, dc_.windowOrgY = org.y;
      UpdateTransform();
      break;
    }
    case EMetaOp::SetViewportOrg: {
      const auto& org = c.Args<TMetaPoint>();
      dc_.viewportOrgX = org.x, dc_.viewportOrgY = org.y;
      UpdateTransform();
      break;
    }
    case EMetaOp::OffsetWindowOrg: {
      const auto& offset = c.Args<TMetaPoint>();
      dc_.windowOrgX += offset.x, dc_.windowOrgY += offset.y;
      UpdateTransform();
      break;
    }
    case EMetaOp::OffsetViewportOrg: {
      const auto& offset = c.Args<TMetaPoint>();
      dc_.viewportOrgX += offset.x, dc_.viewportOrgY += offset.y;
      UpdateTransform();
      break;
    }
    case EMetaOp::SetWindowExt:
    case EMetaOp::SetViewportExt: {
      const auto& ext = c.Args<TMetaExtent>();
      // Extents only count in the scalable modes; GDI ignores them in the others.
      if (ext.x == 0 || ext.y == 0 || (dc_.mapMode != U_MM_ISOTROPIC && dc_.mapMode != U_MM_ANISOTROPIC))
        break;
      if (c.Op() == EMetaOp::SetWindowExt)
        dc_.windowExtX = ext.x, dc_.windowExtY = ext.y;
      else
        dc_.viewportExtX = ext.x, dc_.viewportExtY = ext.y;
      UpdateTransform();
      break;
    }
    case EMetaOp::ScaleWindowExt:
    case EMetaOp::ScaleViewportExt: {
      const auto& scale = c.Args<TMetaScale>();
      if (dc_.mapMode != U_MM_ISOTROPIC && dc_.mapMode != U_MM_ANISOTROPIC) break;
      const bool window = c.Op() == EMetaOp::ScaleWindowExt;
      std::int64_t x = window ? dc_.windowExtX : dc_.viewportExtX,
                   y = window ? dc_.windowExtY : dc_.viewportExtY;
      if (!ScaleMetaExtent(x, scale.xNum, scale.xDenom) || !ScaleMetaExtent(y, scale.yNum, scale.yDenom))
        break;
      (window ? dc_.windowExtX : dc_.viewportExtX) = x;
      (window ? dc_.windowExtY : dc_.viewportExtY) = y;
      UpdateTransform();
      break;
    }
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
    case EMetaOp::CreatePen:
    case EMetaOp::CreateBrush:
    case EMetaOp::CreateOther:
    case EMetaOp::CreateFont:
    case EMetaOp::CreatePatternBrush:
      CreateObject(c);
      break;
    case EMetaOp::SelectObject: {
      const std::int32_t slot = c.Args<TMetaSlot>().slot;
      if (slot >= 0 && static_cast<std::size_t>(slot) < objects_.size())
        Select(objects_[static_cast<std::size_t>(slot)]);
      break;
    }
    case EMetaOp::SelectStock:
      SelectStock(c.Args<TMetaStock>().object);
      break;
    case EMetaOp::Blit:
      PlayBlit(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::DeleteObject: {
      // The state keeps its own copy of a selected pen or brush, as GDI keeps using a selected object.
      const std::int32_t slot = c.Args<TMetaSlot>().slot;
      if (slot >= 0 && static_cast<std::size_t>(slot) < objects_.size())
        objects_[static_cast<std::size_t>(slot)] = TObject();
      break;
    }
    case EMetaOp::MoveTo: {
      const auto& to = c.Args<TMetaPoint>();
      dc_.position = QPointF(to.x, to.y);
      figureOpen_ = false;
      break;
    }
    case EMetaOp::LineTo: {
      const std::size_t run = LineToRun();
      DrawConnected(LineRunPath(dc_.position, run));
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
      const QRectF box = FramedBox(Box(c.Args<TMetaRect>()));
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
      const QRectF box = FramedBox(Box(round.box));
      QPainterPath path;
      path.addRoundedRect(box, std::abs(round.cornerWidth) / 2.0, std::abs(round.cornerHeight) / 2.0);
      DrawPath(path, true, &box);
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
    case EMetaOp::TextOut:
      PlayText(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::SetWorldTransform:
    case EMetaOp::ModifyWorldTransform:
      SetWorldTransform(c);
      break;
    case EMetaOp::PolyBezier:
    case EMetaOp::PolyBezierTo:
    case EMetaOp::PolylineTo:
      DrawCurve(c);
      break;
    case EMetaOp::BeginPath:
      path_ = QPainterPath();
      inPath_ = true;
      figureOpen_ = false;
      break;
    case EMetaOp::EndPath:
      inPath_ = false;
      break;
    case EMetaOp::CloseFigure:
      if (inPath_ && figureOpen_) path_.closeSubpath();
      figureOpen_ = false;
      break;
    case EMetaOp::AbortPath:
      path_ = QPainterPath();
      inPath_ = figureOpen_ = false;
      break;
    case EMetaOp::FillPath:
    case EMetaOp::StrokePath:
    case EMetaOp::StrokeAndFillPath:
      PlayPath(c.Op());
      break;
    case EMetaOp::IntersectClipRect:
    case EMetaOp::ExcludeClipRect:
    case EMetaOp::SelectClipPath:
    case EMetaOp::SelectClipRegion:
    case EMetaOp::OffsetClipRegion:
    case EMetaOp::SetMetaRegion:
      ChangeClip(c);
      break;
    case EMetaOp::Arc:
    case EMetaOp::ArcTo:
    case EMetaOp::Chord:
    case EMetaOp::Pie:
      DrawArc(c);
      break;
    case EMetaOp::SetArcDirection: {
      const std::int32_t direction = c.Args<TMetaMode>().mode;
      if (direction == U_AD_COUNTERCLOCKWISE || direction == U_AD_CLOCKWISE)
        dc_.arcClockwise = direction == U_AD_CLOCKWISE;
      break;
    }
    case EMetaOp::EmfPlus:
      PlayEmfPlus(c.Args<TMetaRecords>());
      break;
    default:
      ExecuteGdi(c);
      break;
  }
}

void TMetafilePlayer::CreateObject(const TMetaCommand& c) {
  std::int32_t slot = -1;
  TObject object;
  object.kind = TObject::EKind::Other;
  switch (c.Op()) {
    case EMetaOp::CreatePen: {
      const auto& pen = c.Args<TMetaPenArgs>();
      slot = pen.slot;
      object.kind = TObject::EKind::Pen;
      object.pen = MetaPen(pen.style, pen.width, pen.colour);
      object.insideFrame = (pen.style & U_PS_STYLE_MASK) == U_PS_INSIDEFRAME;
      break;
    }
    case EMetaOp::CreateBrush: {
      const auto& brush = c.Args<TMetaBrushArgs>();
      slot = brush.slot;
      object.kind = TObject::EKind::Brush;
      object.brush = MetaBrush(brush.style, brush.colour, brush.hatch);
      break;
    }
    case EMetaOp::CreatePatternBrush: {
      const auto& pattern = c.Args<TMetaPatternArgs>();
      slot = pattern.slot;
      // A pattern that is not there leaves the slot empty.
      if (pattern.pattern < 0 || static_cast<std::size_t>(pattern.pattern) >= list_.patterns.size())
        object.kind = TObject::EKind::None;
      else
        object.kind = TObject::EKind::Brush, object.pattern = pattern.pattern;
      break;
    }
    case EMetaOp::CreateFont: {
      const auto& font = c.Args<TMetaFontArgs>();
      slot = font.slot;
      object.font = font.font;
      break;
    }
    default:
      slot = c.Args<TMetaSlot>().slot;
      break;
  }
  if (slot < 0 || static_cast<std::size_t>(slot) >= objects_.size()) return;
  objects_[static_cast<std::size_t>(slot)] = object;
}

void TMetafilePlayer::DrawPolyPolygon(const TMetaCommand& c) {
  const auto& poly = c.Args<TMetaPolyPoints>();
  if (poly.firstCount < 0 || poly.polygons < 0 ||
      static_cast<std::uint64_t>(poly.firstCount) + static_cast<std::uint64_t>(poly.polygons) >
          list_.polyCounts.size())
    return;
  QPainterPath path;
  path.setFillRule(dc_.fillRule);
  std::int64_t next = poly.firstPoint;
  for (std::int32_t i = 0; i < poly.polygons; ++i) {
    const std::int32_t count = list_.polyCounts[static_cast<std::size_t>(poly.firstCount + i)];
    if (!ValidPoints(static_cast<std::int32_t>(next), count)) return;
    const QPoint* p = list_.points.data() + next;
    if (count > 0) {
      path.moveTo(p[0]);
      for (std::int32_t k = 1; k < count; ++k) path.lineTo(p[k]);
      if (c.Op() == EMetaOp::PolyPolygon) path.closeSubpath();
    }
    next += count;
  }
  DrawPath(path, c.Op() == EMetaOp::PolyPolygon);
}

void TMetafilePlayer::DrawCurve(const TMetaCommand& c) {
  const auto& points = c.Args<TMetaPoints>();
  if (!ValidPoints(points.first, points.count)) return;
  const QPoint* p = list_.points.data() + points.first;
  std::int32_t next = 0;
  QPainterPath path;
  if (c.Op() == EMetaOp::PolyBezier) {
    if (points.count < 4) return;
    path.moveTo(p[next++]);
  } else {
    path.moveTo(dc_.position);
  }
  if (c.Op() == EMetaOp::PolylineTo) {
    for (; next < points.count; ++next) path.lineTo(p[next]);
  } else {
    // Points left over after the last whole curve are ignored.
    for (; next + 2 < points.count; next += 3) path.cubicTo(p[next], p[next + 1], p[next + 2]);
  }
  if (c.Op() == EMetaOp::PolyBezier) {
    DrawPath(path, false);
  } else if (next > 0) {
    dc_.position = p[next - 1];
    DrawConnected(path);
  }
}

void TMetafilePlayer::PlayEmfPlus(const TMetaRecords& records) {
  if (!painter_ || !list_.emfPlus) return;
  if (!emfPlus_) emfPlus_ = std::make_shared<TEmfPlusPlayer>(*list_.emfPlus);
  // The EMF+ records bring their own transforms and clipping; the GDI ones are back afterwards.
  painter_->save();
  const double pixelOnDevice = PixelSize() * std::sqrt(std::abs(toTarget_.determinant()));
  emfPlus_->Play(
      {painter_, toTarget_, outerClipped_, outerClip_, outerTransform_, list_.frame, pixelOnDevice},
      records.first, records.count);
  painter_->restore();
}

void TMetafilePlayer::DrawArc(const TMetaCommand& c) {
  const auto& arc = c.Args<TMetaArcArgs>();
  if (!ValidPoints(arc.rays, 2)) return;
  const QRectF box = FramedBox(Box(arc.box));
  if (box.width() <= 0 || box.height() <= 0) return;
  const QPoint* rays = list_.points.data() + arc.rays;
  const ArcAngles angles = ArcAnglesThrough(box, rays[0], rays[1], dc_.arcClockwise);
  QPainterPath path;
  if (c.Op() == EMetaOp::ArcTo) {
    path.moveTo(dc_.position);
    QPainterPath arc;
    arc.arcMoveTo(box, angles.start);
    path.lineTo(arc.currentPosition());
  } else if (c.Op() == EMetaOp::Pie) {
    path.moveTo(box.center());
  } else {
    path.arcMoveTo(box, angles.start);
  }
  path.arcTo(box, angles.start, angles.sweep);
  if (c.Op() == EMetaOp::ArcTo) {
    dc_.position = path.currentPosition();
    DrawConnected(path);
    return;
  }
  if (c.Op() == EMetaOp::Arc) {
    DrawPath(path, false, &box);
    return;
  }
  path.closeSubpath();
  DrawPath(path, true, &box);
}

void TMetafilePlayer::ChangeClip(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::IntersectClipRect:
    case EMetaOp::ExcludeClipRect: {
      const int mode = c.Op() == EMetaOp::IntersectClipRect ? U_RGN_AND : U_RGN_DIFF;
      const QRectF box = Box(c.Args<TMetaRect>());
      if (logicalToPicture_.type() <= QTransform::TxScale && box.width() > 0 && box.height() > 0 &&
          (!dc_.clipped || dc_.clipAsRects)) {
        // Unrotated, the box stays a box: its rectangle in clip units straight away, without a path.
        const QPointF a = logicalToPicture_.map(box.topLeft()), b = logicalToPicture_.map(box.bottomRight());
        QList<QRect> units;
        if (AppendClipUnitsBox(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                               std::max(a.y(), b.y()), units)) {
          if (!CombineClipRects(units.isEmpty() ? QRegion() : QRegion(units.front()), mode)) return;
          break;
        }
      }
      QPainterPath rect;
      rect.addRect(box);
      if (!CombineClip(logicalToPicture_.map(rect), mode)) return;
      break;
    }
    case EMetaOp::SelectClipPath: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      QPainterPath shape = path_;
      shape.setFillRule(dc_.fillRule);
      path_ = QPainterPath();
      inPath_ = figureOpen_ = false;
      if (!CombineClip(shape, mode)) return;
      break;
    }
    case EMetaOp::SelectClipRegion: {
      const auto& rects = c.Args<TMetaClipRects>();
      if (rects.count < 0) {
        dc_.clipped = dc_.clipAsRects = false;
        dc_.clip = QPainterPath();
        dc_.clipRects = QRegion();
        dc_.clipCuts.clear();
        break;
      }
      if (!ValidPoints(rects.first, 2 * static_cast<std::int64_t>(rects.count))) return;
      QPainterPath region;
      region.setFillRule(Qt::WindingFill);
      for (std::int32_t i = 0; i < rects.count; ++i) {
        const QPoint* p = list_.points.data() + rects.first + 2 * i;
        region.addRect(QRectF(QPointF(p[0]), QPointF(p[1])).normalized());
      }
      if (!CombineClip(region, rects.mode)) return;
      break;
    }
    case EMetaOp::OffsetClipRegion: {
      const auto& offset = c.Args<TMetaPoint>();
      if (!dc_.clipped) return;
      const QPointF moved =
          logicalToPicture_.map(QPointF(offset.x, offset.y)) - logicalToPicture_.map(QPointF(0, 0));
      const QPointF units = moved * kClipRectUnits;
      CutPendingClipRects();
      const QRect bounds = dc_.clipRects.boundingRect();
      if (dc_.clipAsRects &&
          std::abs(units.x()) + std::max(std::abs(bounds.left()), std::abs(bounds.right())) <
              kMaxClipRectCoordinate &&
          std::abs(units.y()) + std::max(std::abs(bounds.top()), std::abs(bounds.bottom())) <
              kMaxClipRectCoordinate) {
        dc_.clipRects.translate(static_cast<int>(std::lround(units.x())),
                                static_cast<int>(std::lround(units.y())));
      } else {
        ClipAsPath();
        dc_.clip.translate(moved);
      }
      break;
    }
    case EMetaOp::SetMetaRegion:
      // The clip region becomes part of the meta region, which later clip regions can only narrow.
      if (!dc_.clipped) return;
      ClipAsPath();
      dc_.metaClip = dc_.metaClipped ? dc_.metaClip.intersected(dc_.clip) : dc_.clip;
      dc_.metaClipped = true;
      dc_.clipped = false;
      dc_.clip = QPainterPath();
      break;
    default:
      return;
  }
  // Files change the clip many times in a row (thousands of excluded rectangles); the painter gets the
  // result once, before the next record that is not a clip change.
  clipPending_ = true;
}

void TMetafilePlayer::ClipAsPath() {
  if (!dc_.clipAsRects) return;
  CutPendingClipRects();
  dc_.clip = RectsPath(dc_.clipRects);
  dc_.clipRects = QRegion();
  dc_.clipAsRects = false;
}

bool TMetafilePlayer::CombineClipRects(const QRegion& rects, int mode) {
  if (mode == U_RGN_DIFF && dc_.clipped && dc_.clipAsRects) {
    clipRectWork_ += rects.rectCount();
    if (clipRectWork_ > kMaxClipRectWork) return false;
    for (const QRect& r : rects) dc_.clipCuts.append(r);
    if (dc_.clipCuts.size() >= kMaxPendingClipCuts) CutPendingClipRects();
    return true;
  }
  if (mode == U_RGN_COPY)
    dc_.clipCuts.clear();
  else
    CutPendingClipRects();
  QRegion current = dc_.clipRects;
  if (!dc_.clipped) {
    if (mode == U_RGN_OR) return false;
    current = QRegion(ClipUnitsRect(UnclippedArea()));
  }
  clipRectWork_ += rects.rectCount() + current.rectCount();
  if (clipRectWork_ > kMaxClipRectWork) return false;
  switch (mode) {
    case U_RGN_COPY:
      current = rects;
      break;
    case U_RGN_AND:
      current = dc_.clipped ? current.intersected(rects) : rects;
      break;
    case U_RGN_OR:
      current = current.united(rects);
      break;
    case U_RGN_XOR:
      current = current.xored(rects);
      break;
    case U_RGN_DIFF:
      current = current.subtracted(rects);
      break;
    default:
      return false;
  }
  if (current.rectCount() > kMaxClipRects) return false;
  dc_.clipRects = current;
  dc_.clip = QPainterPath();
  dc_.clipAsRects = dc_.clipped = true;
  return true;
}

void TMetafilePlayer::CutPendingClipRects() {
  if (dc_.clipCuts.isEmpty()) return;
  const QList<QRect> cuts = std::exchange(dc_.clipCuts, {});
  QRegion united;
  std::int64_t work = 0;
  const bool unitedInBounds = UniteRects(cuts, kMaxClipCutUnionRects, united, work);
  clipRectWork_ += work;
  if (unitedInBounds) {
    clipRectWork_ += united.rectCount() + dc_.clipRects.rectCount();
    if (clipRectWork_ > kMaxClipRectWork) return;
    QRegion cut = dc_.clipRects.subtracted(united);
    if (cut.rectCount() <= kMaxClipRects) {
      dc_.clipRects = std::move(cut);
      return;
    }
  }
  // One at a time, as each record asked: a cut that would leave too many rectangles is left out.
  for (const QRect& r : cuts) {
    clipRectWork_ += 1 + dc_.clipRects.rectCount();
    if (clipRectWork_ > kMaxClipRectWork) return;
    QRegion cut = dc_.clipRects.subtracted(r);
    if (cut.rectCount() <= kMaxClipRects) dc_.clipRects = std::move(cut);
  }
}

bool TMetafilePlayer::CombineClip(const QPainterPath& shape, int mode) {
  QRegion rects;
  if ((mode == U_RGN_COPY || !dc_.clipped || dc_.clipAsRects) && RectanglesOf(shape, rects))
    return CombineClipRects(rects, mode);
  ClipAsPath();
  if (shape.elementCount() > kMaxClipElements ||
      (dc_.clipped && mode != U_RGN_COPY &&
       dc_.clip.elementCount() + shape.elementCount() > kMaxClipElements))
    return false;
  clipWork_ += shape.elementCount() + (dc_.clipped ? dc_.clip.elementCount() : 0);
  if (clipWork_ > kMaxClipWork) return false;
  if (mode == U_RGN_COPY || (mode == U_RGN_AND && !dc_.clipped)) {
    dc_.clip = shape;
    dc_.clipped = true;
    return true;
  }
  QPainterPath current = dc_.clip;
  if (!dc_.clipped) {
    current = QPainterPath();
    current.addRect(UnclippedArea());
  }
  switch (mode) {
    case U_RGN_AND:
      current = current.intersected(shape);
      break;
    case U_RGN_OR:
      if (!dc_.clipped) return false;
      current = current.united(shape);
      break;
    case U_RGN_XOR:
      current = current.united(shape).subtracted(current.intersected(shape));
      break;
    case U_RGN_DIFF:
      current = current.subtracted(shape);
      break;
    default:
      return false;
  }
  dc_.clip = current;
  dc_.clipped = true;
  return true;
}

void TMetafilePlayer::ApplyClip() {
  clipPending_ = false;
  CutPendingClipRects();
  if (!painter_) return;
  painter_->setTransform(outerTransform_);
  if (outerClipped_)
    painter_->setClipPath(outerClip_, Qt::ReplaceClip);
  else
    painter_->setClipping(false);
  if (dc_.clipped && dc_.clipAsRects && !dc_.metaClipped) {
    // The rectangles as one path: filling rectangles is cheap for Qt, combining paths is not.
    QPainterPath rects;
    rects.addRegion(VisibleRects(dc_.clipRects));
    painter_->setTransform(QTransform::fromScale(1.0 / kClipRectUnits, 1.0 / kClipRectUnits) * toTarget_);
    painter_->setClipPath(rects, outerClipped_ ? Qt::IntersectClip : Qt::ReplaceClip);
  } else if (dc_.clipped || dc_.metaClipped) {
    if (dc_.clipAsRects) ClipAsPath();
    QPainterPath effective = dc_.clipped ? dc_.clip : dc_.metaClip;
    if (dc_.clipped && dc_.metaClipped) effective = dc_.metaClip.intersected(dc_.clip);
    painter_->setTransform(toTarget_);
    painter_->setClipPath(VisiblePart(effective), outerClipped_ ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  painter_->setTransform(logicalToPicture_ * toTarget_);
}

QRectF TMetafilePlayer::UnclippedArea() const {
  // Without a clip region everything may be drawn: a generous rectangle around the frame stands for it.
  const QRectF& f = list_.frame;
  return f.adjusted(-4 * f.width(), -4 * f.height(), 4 * f.width(), 4 * f.height());
}

QRectF TMetafilePlayer::VisibleArea() const {
  bool invertible = false;
  const QTransform back = toTarget_.inverted(&invertible);
  if (!invertible) return QRectF();
  const double toLogical = 1 / devicePixelRatio_;
  return back.mapRect(QTransform::fromScale(toLogical, toLogical).mapRect(clipArea_));
}

QRegion TMetafilePlayer::VisibleRects(const QRegion& rects) const {
  const QRectF area = VisibleArea();
  return area.isEmpty() ? rects : rects.intersected(ClipUnitsRect(area));
}

QPainterPath TMetafilePlayer::VisiblePart(const QPainterPath& clip) const {
  // Qt's rasteriser walks the whole extent of a clip path, however little of it is on the device.
  const QRectF area = VisibleArea();
  if (area.isEmpty() || area.contains(clip.boundingRect())) return clip;
  QPainterPath box;
  box.addRect(area);
  return clip.intersected(box);
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

void TMetafilePlayer::DrawConnected(const QPainterPath& segment) {
  if (!inPath_) {
    DrawPath(segment, false);
    return;
  }
  const QPainterPath mapped = logicalToPicture_.map(segment);
  const int count = mapped.elementCount();
  if (count == 0) return;
  if (!figureOpen_) {
    path_.moveTo(mapped.elementAt(0));
    figureOpen_ = true;
  }
  for (int i = 1; i < count; ++i) {
    const QPainterPath::Element e = mapped.elementAt(i);
    if (e.isLineTo()) {
      path_.lineTo(e);
    } else if (e.isCurveTo() && i + 2 < count) {
      path_.cubicTo(e, mapped.elementAt(i + 1), mapped.elementAt(i + 2));
      i += 2;
    }
  }
}

void TMetafilePlayer::PlayPath(EMetaOp op) {
  QPainterPath picture = path_;
  path_ = QPainterPath();
  inPath_ = figureOpen_ = false;
  if (picture.isEmpty()) return;
  bool invertible = false;
  const QTransform pictureToLogical = logicalToPicture_.inverted(&invertible);
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

void TMetafilePlayer::Select(const TObject& object) {
  if (object.kind == TObject::EKind::Pen) {
    dc_.pen = object.pen;
    dc_.penInsideFrame = object.insideFrame;
  }
  if (object.kind == TObject::EKind::Brush) {
    const bool mono =
        object.pattern >= 0 && list_.patterns[static_cast<std::size_t>(object.pattern)].monochrome;
    dc_.monoPattern = mono ? object.pattern : -1;
    dc_.monoText = dc_.textColour;
    dc_.monoBk = dc_.bkColour;
    dc_.brush = object.pattern >= 0
                    ? MetaPatternBrush(list_.patterns[static_cast<std::size_t>(object.pattern)],
                                       dc_.textColour, dc_.bkColour)
                    : object.brush;
  }
  if (object.font >= 0) dc_.font = object.font;
  // Selecting a region object clips to it.
  if (object.kind == TObject::EKind::Region) ClipToRegion(object);
}

const QBrush& TMetafilePlayer::SelectedBrush() {
  // Recoloured only when it draws: a file may change colours many times between fills.
  if (dc_.monoPattern >= 0 && (dc_.monoText != dc_.textColour || dc_.monoBk != dc_.bkColour)) {
    dc_.brush = MetaPatternBrush(list_.patterns[static_cast<std::size_t>(dc_.monoPattern)], dc_.textColour,
                                 dc_.bkColour);
    dc_.monoText = dc_.textColour;
    dc_.monoBk = dc_.bkColour;
  }
  return dc_.brush;
}

void TMetafilePlayer::SelectStock(int stock) {
  const bool brush = (stock >= static_cast<int>(U_WHITE_BRUSH & ~U_STOCK_OBJECT) &&
                      stock <= static_cast<int>(U_NULL_BRUSH & ~U_STOCK_OBJECT)) ||
                     stock == kStockDcBrush;
  if (brush) dc_.monoPattern = -1;
  switch (stock) {
    case U_WHITE_BRUSH & ~U_STOCK_OBJECT:
    case kStockDcBrush:
      dc_.brush = QBrush(QColor(255, 255, 255));
      break;
    case U_LTGRAY_BRUSH & ~U_STOCK_OBJECT:
      dc_.brush = QBrush(QColor(192, 192, 192));
      break;
    case U_GRAY_BRUSH & ~U_STOCK_OBJECT:
      dc_.brush = QBrush(QColor(128, 128, 128));
      break;
    case U_DKGRAY_BRUSH & ~U_STOCK_OBJECT:
      dc_.brush = QBrush(QColor(64, 64, 64));
      break;
    case U_BLACK_BRUSH & ~U_STOCK_OBJECT:
      dc_.brush = QBrush(QColor(0, 0, 0));
      break;
    case U_NULL_BRUSH & ~U_STOCK_OBJECT:
      dc_.brush = QBrush(Qt::NoBrush);
      break;
    case U_WHITE_PEN & ~U_STOCK_OBJECT:
      dc_.pen = QPen(QColor(255, 255, 255), 0);
      dc_.penInsideFrame = false;
      break;
    case U_BLACK_PEN & ~U_STOCK_OBJECT:
    case kStockDcPen:
      dc_.pen = QPen(QColor(0, 0, 0), 0);
      dc_.penInsideFrame = false;
      break;
    case U_NULL_PEN & ~U_STOCK_OBJECT:
      dc_.pen = QPen(Qt::NoPen);
      dc_.penInsideFrame = false;
      break;
    case U_OEM_FIXED_FONT & ~U_STOCK_OBJECT:
    case U_ANSI_FIXED_FONT & ~U_STOCK_OBJECT:
    case U_ANSI_VAR_FONT & ~U_STOCK_OBJECT:
    case U_SYSTEM_FONT & ~U_STOCK_OBJECT:
    case U_DEVICE_DEFAULT_FONT & ~U_STOCK_OBJECT:
    case U_SYSTEM_FIXED_FONT & ~U_STOCK_OBJECT:
    case U_DEFAULT_GUI_FONT & ~U_STOCK_OBJECT:
      dc_.font = -1;  // the default font stands for the stock fonts
      break;
    default:
      break;  // palettes draw nothing here
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
  const bool clipChanged = dc_.clipped || dc_.metaClipped || saved_[static_cast<std::size_t>(keep)].clipped ||
                           saved_[static_cast<std::size_t>(keep)].metaClipped;
  dc_ = saved_[static_cast<std::size_t>(keep)];
  saved_.resize(static_cast<std::size_t>(keep));
  UpdateTransform();
  if (clipChanged) ApplyClip();
}

void TMetafilePlayer::Measure(const QRectF& logical) {
  const QRectF mapped = logicalToPicture_.mapRect(logical);
  bounds_ = measured_ ? bounds_.united(mapped) : mapped;
  measured_ = true;
}

void TMetafilePlayer::PlayText(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.texts.size()) return;
  const TMetaFont* font = dc_.font >= 0 && static_cast<std::size_t>(dc_.font) < list_.fonts.size()
                              ? &list_.fonts[static_cast<std::size_t>(dc_.font)]
                              : nullptr;
  if (!painter_) {
    const QRectF box =
        PlayMetaText(nullptr, list_.texts[static_cast<std::size_t>(index)], font, dc_, logicalToPicture_);
    if (!box.isEmpty()) {
      bounds_ = measured_ ? bounds_.united(box) : box;
      measured_ = true;
    }
    return;
  }
  PlayMetaText(painter_, list_.texts[static_cast<std::size_t>(index)], font, dc_,
               logicalToPicture_ * toTarget_, texts_);
  painter_->setTransform(logicalToPicture_ * toTarget_);
}

void TMetafilePlayer::DrawPolygon(const QPoint* points, int count) {
  if (count < 2) return;
  if (inPath_) {
    QPainterPath path = PointsPath(points, count);
    path.closeSubpath();
    DrawPath(path, true);
    return;
  }
  const QRectF bounds = PointBounds(points, count);
  if (!painter_) {
    Measure(bounds);
    return;
  }
  if (!DirectlyDrawable(bounds)) {
    QPainterPath path = PointsPath(points, count);
    path.setFillRule(dc_.fillRule);
    path.closeSubpath();
    DrawClipped(path, true);
    return;
  }
  QPainterPath outline = PointsPath(points, count);
  outline.closeSubpath();
  outline.setFillRule(dc_.fillRule);
  FillHatchBackground(outline);
  PaintMixed(StrokePen(), PatternInPictureSpace(FillBrush(SelectedBrush()), painter_->transform()),
             [&] { PaintPolygon(points, count); });
}

void TMetafilePlayer::DrawPolyline(const QPoint* points, int count) {
  if (count < 2) return;
  if (inPath_) {
    DrawPath(PointsPath(points, count), false);
    return;
  }
  const QRectF bounds = PointBounds(points, count);
  if (!painter_) {
    Measure(bounds);
    return;
  }
  if (!DirectlyDrawable(bounds)) {
    DrawClipped(PointsPath(points, count), false);
    return;
  }
  PaintMixed(StrokePen(), QBrush(Qt::NoBrush), [&] { PaintPolyline(points, count); });
}

void TMetafilePlayer::DrawPath(const QPainterPath& path, bool filled, const QRectF* logicalBox) {
  if (path.isEmpty()) return;
  if (inPath_) {
    // A shape drawn inside a path bracket becomes figures of the path instead.
    if (path_.elementCount() + path.elementCount() > static_cast<int>(kMaxMetaPoints)) return;
    path_.addPath(logicalToPicture_.map(path));
    figureOpen_ = false;
    return;
  }
  if (!painter_) {
    Measure(path.controlPointRect());
    return;
  }
  if (!DirectlyDrawable(path.controlPointRect())) {
    DrawClipped(path, filled);
    return;
  }
  if (filled) FillHatchBackground(path);
  PaintMixed(
      StrokePen(),
      filled ? PatternInPictureSpace(FillBrush(SelectedBrush()), painter_->transform()) : QBrush(Qt::NoBrush),
      [&] { PaintPath(path); }, logicalBox);
}

std::size_t TMetafilePlayer::LineToRun() const {
  // GDI lights the same pixels for a run of LineTo records as for one polyline through their points
  // with a solid pen whose ends and joins are alike: a pixel wide, or round. Maps are drawn with
  // thousands of such runs, and stroking each line alone took most of their drawing time.
  const QPen& pen = dc_.pen;
  if (dc_.rop2 != U_R2_COPYPEN || pen.style() != Qt::SolidLine) return 1;
  if (!Hairline(pen) && (pen.capStyle() != Qt::RoundCap || pen.joinStyle() != Qt::RoundJoin)) return 1;
  std::size_t end = commandIndex_ + 1;
  while (end < playedUntil_ && list_.commands[end].Op() == EMetaOp::LineTo &&
         end - commandIndex_ < kMaxLineRun)
    ++end;
  return end - commandIndex_;
}

const QPainterPath& TMetafilePlayer::LineRunPath(QPointF from, std::size_t run) {
  const auto point = [&](std::size_t i) {
    if (i == 0) return from;
    const auto& to = list_.commands[commandIndex_ + i - 1].Args<TMetaPoint>();
    return QPointF(to.x, to.y);
  };
  // The run kept with its stroke's outline when it is this one, else the one path reused for lines:
  // drawings of thousands of lines spent much of their time making paths. Points are compared
  // exactly: QPointF's own comparison allows for rounding.
  const QPainterPath* kept = strokes_ != nullptr ? strokes_->Shape(commandIndex_) : nullptr;
  bool same = kept != nullptr && kept->elementCount() == static_cast<int>(run + 1);
  for (std::size_t i = 0; same && i <= run; ++i) {
    const QPainterPath::Element& e = kept->elementAt(static_cast<int>(i));
    same = (i == 0 ? e.isMoveTo() : e.isLineTo()) && e.x == point(i).x() && e.y == point(i).y();
  }
  if (same) return *kept;
  linePath_.clear();
  linePath_.moveTo(from);
  for (std::size_t i = 1; i <= run; ++i) linePath_.lineTo(point(i));
  return linePath_;
}

bool TMetafilePlayer::OutlineWanted() const {
  const QPen& pen = painter_->pen();
  return strokes_ != nullptr && pen.brush().style() != Qt::NoBrush &&
         TMetaStrokeCache::StrokedAsOutline(pen, painter_->deviceTransform(),
                                            painter_->testRenderHint(QPainter::Antialiasing));
}

const QPainterPath* TMetafilePlayer::CachedOutline(const QPainterPath& path) {
  return OutlineWanted() ? strokes_->Outline(commandIndex_, path, painter_->pen()) : nullptr;
}

void TMetafilePlayer::PaintPath(const QPainterPath& path) {
  const QPainterPath* outline = CachedOutline(path);
  if (outline == nullptr) {
    painter_->drawPath(path);
    return;
  }
  // What drawPath does: the fill with the brush, then the pen's outline filled with the pen's brush.
  if (painter_->brush().style() != Qt::NoBrush) painter_->fillPath(path, painter_->brush());
  painter_->fillPath(*outline, painter_->pen().brush());
}

const QPainterPath* TMetafilePlayer::PointsOutline(const QPoint* points, int count, bool closed) {
  // A closed line: Qt's stroker of the points as they are joins its ends otherwise than a path's does;
  // a polygon's last point on its first gives Qt's closing segment no length.
  if (RepeatsAPoint(points, count) || points[0] == points[count - 1] || !OutlineWanted()) return nullptr;
  // The shape the cache keeps, when it is these points: long polylines took long to make into paths.
  const QPainterPath* kept = strokes_->Shape(commandIndex_);
  const int elements = count + (closed ? 1 : 0);
  bool same = kept != nullptr && kept->elementCount() == elements;
  for (int i = 0; same && i < elements; ++i) {
    const QPainterPath::Element& e = kept->elementAt(i);
    const QPoint p = points[i < count ? i : 0];
    same = (i == 0 ? e.isMoveTo() : e.isLineTo()) && e.x == p.x() && e.y == p.y();
  }
  if (same) return strokes_->Outline(commandIndex_, *kept, painter_->pen());
  QPainterPath figure = PointsPath(points, count);
  if (closed) figure.closeSubpath();
  return strokes_->Outline(commandIndex_, figure, painter_->pen());
}

void TMetafilePlayer::PaintPolygon(const QPoint* points, int count) {
  const QPainterPath* outline = PointsOutline(points, count, true);
  if (outline == nullptr) {
    painter_->drawPolygon(points, count, dc_.fillRule);
    return;
  }
  const QPen pen = painter_->pen();
  if (painter_->brush().style() != Qt::NoBrush) {
    painter_->setPen(Qt::NoPen);
    painter_->drawPolygon(points, count, dc_.fillRule);
    painter_->setPen(pen);
  }
  painter_->fillPath(*outline, pen.brush());
}

void TMetafilePlayer::PaintPolyline(const QPoint* points, int count) {
  const QPainterPath* outline = PointsOutline(points, count, false);
  if (outline == nullptr)
    painter_->drawPolyline(points, count);
  else
    painter_->fillPath(*outline, painter_->pen().brush());
}

bool TMetafilePlayer::DirectlyDrawable(const QRectF& logicalBounds) const {
  if (!Within(logicalToClip_.mapRect(logicalBounds), nearArea_)) return false;
  const QPen pen = StrokePen();
  return pen.style() == Qt::NoPen || pen.widthF() / 2 * clipScale_ <= kMaxDirectPenRadius;
}

void TMetafilePlayer::DrawClipped(const QPainterPath& path, bool filled) {
  // Curves are flattened in clip space, to the precision of a device pixel.
  const QList<QPolygonF> outline = path.toSubpathPolygons(logicalToClip_);
  QPen pen = StrokePen();
  QBrush brush = SelectedBrush();
  if (!BeginMix(pen, brush)) return;
  if (filled && brush.style() != Qt::NoBrush) {
    painter_->setTransform(ClipToWindow());
    painter_->setPen(Qt::NoPen);
    painter_->setBrush(PatternInPictureSpace(brush, painter_->transform()));
    painter_->drawPath(CutDownFill(outline, clipArea_, path.fillRule()));
  }
  if (pen.style() != Qt::NoPen && Hairline(pen)) {
    const QPointF half = halfPixel_ * devicePixelRatio_;
    QList<QPolygonF> placed = outline;
    for (QPolygonF& line : placed) line.translate(half);
    StrokeClipped(placed, pen);
  } else if (pen.style() != Qt::NoPen) {
    StrokeClipped(outline, pen);
  }
  painter_->setTransform(logicalToPicture_ * toTarget_);
  EndMix();
}

void TMetafilePlayer::StrokeClipped(const QList<QPolygonF>& outline, const QPen& pen) {
  if (pen.widthF() == 0) {
    // The one-pixel pen keeps its width in any transform, so its lines are simply cut.
    painter_->setTransform(ClipToWindow());
    painter_->setPen(pen);
    painter_->setBrush(Qt::NoBrush);
    for (const QPolygonF& line : outline)
      for (const QPolygonF& piece : ClipPolylineToRect(line, clipArea_)) painter_->drawPolyline(piece);
    return;
  }
  // A wide pen is a disc of its width moved along the outline, in logical space (round caps and
  // joins), so what it covers of the visible area follows from the distances in logical space.
  bool invertible = false;
  const QTransform clipToLogical = logicalToClip_.inverted(&invertible);
  if (!invertible) return;
  std::vector<QPolygonF> logical;
  logical.reserve(static_cast<std::size_t>(outline.size()));
  for (const QPolygonF& line : outline) logical.push_back(clipToLogical.map(line));
  const QRectF area = clipToLogical.mapRect(clipArea_);
  const double radius = pen.widthF() / 2;
  const double halfDiagonal = std::hypot(area.width(), area.height()) / 2;
  const double distance = DistanceToPolylines(area.center(), logical);
  if (distance - halfDiagonal > radius) return;  // the pen never reaches the visible area
  if (distance + halfDiagonal <= radius) {       // the pen covers all of it
    painter_->setTransform(ClipToWindow());
    painter_->fillRect(clipArea_, pen.brush());
    return;
  }
  const double clipRadius = radius * MaxScale(logicalToClip_);
  if (clipRadius <= kMaxDirectPenRadius) {
    // Cut in clip space, where the visible area is small: under a squashed mapping the logical
    // bounds of that area can be millions of pixels long, and so would the lines Qt strokes.
    const std::vector<QPolygonF> inClip(outline.begin(), outline.end());
    const double reach = clipRadius + 1;
    const QPainterPath reachable =
        clipToLogical.map(ReachablePart(inClip, clipArea_.adjusted(-reach, -reach, reach, reach)));
    painter_->setTransform(logicalToPicture_ * toTarget_);
    painter_->setPen(pen);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawPath(reachable);
    return;
  }
  const QPainterPath reachable = ReachablePart(logical, area.adjusted(-radius, -radius, radius, radius));
  // Still a huge pen: its outline, flattened and cut down, is filled instead.
  const QPainterPath stroke = QPainterPathStroker(pen).createStroke(reachable);
  painter_->setTransform(ClipToWindow());
  painter_->setPen(Qt::NoPen);
  painter_->setBrush(pen.brush());
  painter_->drawPath(CutDownFill(stroke.toSubpathPolygons(logicalToClip_), clipArea_, Qt::WindingFill));
}

QTransform TMetafilePlayer::ClipToWindow() const {
  return QTransform::fromScale(1 / devicePixelRatio_, 1 / devicePixelRatio_);
}

QBrush TMetafilePlayer::PatternInPictureSpace(const QBrush& brush, const QTransform& painterTransform) const {
  if (brush.style() != Qt::TexturePattern) return brush;
  bool invertible = false;
  const QTransform toPainter = painterTransform.inverted(&invertible);
  if (!invertible) return brush;
  // Pattern pixels are reference-device pixels of picture space, wherever the brush is used.
  QBrush placed = brush;
  placed.setTransform(toTarget_ * toPainter);
  return placed;
}

void TMetafilePlayer::PlayBlit(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.blits.size()) return;
  const TMetaBlit& blit = list_.blits[static_cast<std::size_t>(index)];
  if (inPath_) return;
  if (!painter_) {
    const QRectF bounds = MetaBlitBounds(blit);
    if (!bounds.isEmpty()) Measure(bounds);
    return;
  }
  DrawMetaBlit(*painter_, blit, PatternInPictureSpace(SelectedBrush(), painter_->transform()));
}
