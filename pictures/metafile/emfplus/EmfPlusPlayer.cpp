#include "metafile/emfplus/EmfPlusPlayer.h"

#include <QPainter>
#include <bit>
#include <cmath>

#include "Graphic.h"
#include "metafile/draw/MetaViewCut.h"
#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusText.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/play/MetafilePlayer.h"

namespace {

// Deeper Save and BeginContainer nesting is ignored, so that a file cannot pile up states.
constexpr std::size_t kMaxSavedStates = 1024;
// Clip shapes beyond this many path elements, or clip changes beyond this total work per picture,
// keep the clip as it was: combining them would cost more time than a picture may take.
constexpr int kMaxClipElements = 4000;
constexpr std::int64_t kMaxClipWork = 200000;
// Geometry within this many device pixels of the visible area goes to Qt as it is; beyond, it is cut
// down first, as Qt's cost grows with the whole extent of a shape.
constexpr double kNearMargin = 1024;
constexpr double kMaxValue = 1e9;
constexpr int kMaxCompoundElements = 100000;
constexpr qsizetype kMaxLineEnds = 10000;
constexpr int kMaxTextChars = 1 << 16;

bool FiniteValue(double v) {
  return std::isfinite(v) && std::abs(v) < kMaxValue;
}

double MaxScale(const QTransform& t) {
  return std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
}

bool Within(const QRectF& inner, const QRectF& outer) {
  return inner.left() >= outer.left() && inner.right() <= outer.right() && inner.top() >= outer.top() &&
         inner.bottom() <= outer.bottom();
}

bool Overlaps(const QRectF& a, const QRectF& b) {
  return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

QPainterPath Everything(const QRectF& frame) {
  QPainterPath path;
  path.addRect(
      frame.adjusted(-4 * frame.width(), -4 * frame.height(), 4 * frame.width(), 4 * frame.height()));
  return path;
}

QPainterPath RectPath(const QRectF& rect) {
  QPainterPath path;
  path.addRect(rect.normalized());
  return path;
}

QPainterPath EllipsePath(const QRectF& rect) {
  QPainterPath path;
  path.addEllipse(rect.normalized());
  return path;
}

QPainterPath PolygonPath(const std::vector<QPointF>& points, bool closed) {
  QPainterPath path;
  if (points.empty()) return path;
  path.moveTo(points.front());
  for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i]);
  if (closed) path.closeSubpath();
  return path;
}

// Where the whole frame of a metafile image goes so that its source rectangle fills the unit square.
// The source is in the metafile's own pixels: its frame's units, which for a placeable WMF are those of
// its bounding box.
QRectF MetafileSourcePart(const TMetaPlayList& metafile, std::uint32_t unit, const QRectF& source) {
  const QRectF& frame = metafile.frame;
  const double perMm = metafile.unitsPerMmX > 0 ? metafile.unitsPerMmX : 96 / 25.4;
  const double scale = unit <= static_cast<std::uint32_t>(EmfPlus::kUnitPixel)
                           ? 1
                           : EmfPlus::UnitPixels(static_cast<int>(unit), perMm * 25.4);
  const QRectF src(source.x() * scale, source.y() * scale, source.width() * scale, source.height() * scale);
  if (!(src.width() > 0) || !(src.height() > 0) || !FiniteValue(src.x()) || !FiniteValue(src.y()) ||
      !FiniteValue(src.width()) || !FiniteValue(src.height()))
    return QRectF(0, 0, 1, 1);  // no usable source: the whole frame
  // A source that differs from the frame by rounding only is the whole frame: cropping it would cut
  // into lines along the frame's edges.
  constexpr double kRounding = 1;
  if (std::abs(src.left() - frame.left()) <= kRounding && std::abs(src.top() - frame.top()) <= kRounding &&
      std::abs(src.right() - frame.right()) <= kRounding &&
      std::abs(src.bottom() - frame.bottom()) <= kRounding)
    return QRectF(0, 0, 1, 1);
  const QRectF part((frame.x() - src.x()) / src.width(), (frame.y() - src.y()) / src.height(),
                    frame.width() / src.width(), frame.height() / src.height());
  // A source far smaller than the frame would blow the frame up beyond any use.
  if (!FiniteValue(part.x()) || !FiniteValue(part.y()) || !FiniteValue(part.width()) ||
      !FiniteValue(part.height()) || part.width() > 1e6 || part.height() > 1e6)
    return QRectF();
  return part;
}

}  // namespace

double EmfPlus::UnitPixels(int unit, double dpi) {
  switch (unit) {
    case kUnitPoint:
      return dpi / 72.0;
    case kUnitInch:
      return dpi;
    case kUnitDocument:
      return dpi / 300.0;
    case kUnitMillimeter:
      return dpi / 25.4;
    default:
      return 1;  // world, display and pixel units are device pixels
  }
}

void TEmfPlusPlayer::Play(const TEmfPlusTarget& target, std::int32_t first, std::int32_t count) {
  if (!target.painter || first < 0 || count <= 0 ||
      static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) > data_.records.size())
    return;
  target_ = target;
  QPainter& painter = *target.painter;
  visible_ = painter.window();
  near_ = visible_.adjusted(-kNearMargin, -kNearMargin, kNearMargin, kNearMargin);
  painter.setRenderHint(QPainter::Antialiasing, state_.antialias);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  ApplyCompositing();
  ApplyClip();
  for (std::int32_t i = first; i < first + count; ++i) {
    try {
      Execute(data_.records[static_cast<std::size_t>(i)]);
    } catch (const EInvalidGraphic&) {
      // A record shorter than its fields draws nothing; the next one may.
    }
  }
}

QTransform TEmfPlusPlayer::WorldToPicture() const {
  const double pageX = PagePixels();
  const double pageY = EmfPlus::UnitPixels(state_.pageUnit, data_.dpiY) * state_.pageScale;
  // EMF+ device pixels are those of the EMF's reference device, picture space; the header's
  // resolution only converts physical units.
  return state_.world * state_.container * QTransform::fromScale(pageX, pageY);
}

double TEmfPlusPlayer::PagePixels() const {
  return EmfPlus::UnitPixels(state_.pageUnit, data_.dpiX) * state_.pageScale;
}

const TEmfPlusObject* TEmfPlusPlayer::Object(int id, int kind) const {
  if (id < 0 || id >= EmfPlus::kObjectTableSize) return nullptr;
  const std::int32_t index = table_[static_cast<std::size_t>(id)];
  if (index < 0 || static_cast<std::size_t>(index) >= data_.objects.size()) return nullptr;
  const TEmfPlusObject& object = data_.objects[static_cast<std::size_t>(index)];
  return object.kind == kind ? &object : nullptr;
}

bool TEmfPlusPlayer::FillBrush(std::uint16_t flags, std::uint32_t value, QBrush& brush) const {
  if (flags & EmfPlus::kFlagColourBrush) {
    brush = QBrush(QColor::fromRgba(value));
    return true;
  }
  const TEmfPlusObject* object = Object(static_cast<int>(value), EmfPlus::kObjectBrush);
  if (!object) return false;
  brush = object->brush;
  if (object->hatch) {
    // Hatch patterns are aligned to device pixels whatever the transform.
    bool invertible = false;
    const QTransform deviceToWorld = (WorldToPicture() * target_.pictureToDevice).inverted(&invertible);
    if (invertible) brush.setTransform(deviceToWorld);
  }
  return true;
}

bool TEmfPlusPlayer::Pen(int id, QPen& pen, const TEmfPlusObject** penObject) const {
  const TEmfPlusObject* object = Object(id, EmfPlus::kObjectPen);
  if (!object) return false;
  if (penObject) *penObject = object;
  pen = object->pen;
  double width = object->width;
  if (object->unit != EmfPlus::kUnitWorld)
    width = width * EmfPlus::UnitPixels(object->unit, data_.dpiX) / PagePixels();
  // The width goes to the pen in the painter's device pixels. GDI+ draws a line at least one pixel
  // of its device wide, which is one picture unit here, scaled like the rest of the picture; on a
  // small tile a line keeps the share of a pixel that a full-size drawing scaled down would give it.
  const double pictureWidth = std::max(1.0, width * MaxScale(WorldToPicture()));
  const double deviceWidth = std::max(0.4, pictureWidth * MaxScale(target_.pictureToDevice));
  pen.setWidthF(FiniteValue(deviceWidth) ? std::min(deviceWidth, 30000.0) : 0);
  return true;
}

const QPainterPath* TEmfPlusPlayer::BrushArea(std::uint16_t flags, std::uint32_t value) const {
  if (flags & EmfPlus::kFlagColourBrush) return nullptr;
  const TEmfPlusObject* object = Object(static_cast<int>(value), EmfPlus::kObjectBrush);
  return object && !object->brushArea.isEmpty() ? &object->brushArea : nullptr;
}

void TEmfPlusPlayer::Fill(const QPainterPath& path, const QBrush& brush, const QPainterPath* area) {
  if (path.isEmpty() || brush.style() == Qt::NoBrush) return;
  // Combining large shapes costs more than a picture may take; they are filled whole.
  constexpr int kMaxAreaElements = 4000;
  if (area && path.elementCount() <= kMaxAreaElements) {
    Fill(path.intersected(*area), brush, nullptr);
    return;
  }
  QPainter& painter = *target_.painter;
  const QTransform toDevice = WorldToPicture() * target_.pictureToDevice;
  const QRectF bounds = toDevice.mapRect(path.controlPointRect());
  if (!FiniteValue(bounds.left()) || !FiniteValue(bounds.right()) || !FiniteValue(bounds.top()) ||
      !FiniteValue(bounds.bottom()) || !Overlaps(bounds, visible_))
    return;
  painter.setPen(Qt::NoPen);
  if (Within(bounds, near_)) {
    painter.setTransform(toDevice);
    painter.setBrush(brush);
    painter.drawPath(path);
    return;
  }
  QPainterPath cut;
  cut.setFillRule(path.fillRule());
  for (const QPolygonF& polygon : path.toSubpathPolygons(toDevice)) {
    const QPolygonF clipped = ClipPolygonToRect(polygon, near_);
    if (clipped.size() >= 3) cut.addPolygon(clipped);
  }
  QBrush deviceBrush = brush;
  deviceBrush.setTransform(brush.transform() * toDevice);
  painter.setTransform(QTransform());
  painter.setBrush(deviceBrush);
  painter.drawPath(cut);
}

void TEmfPlusPlayer::Stroke(const QPainterPath& path, const QPen& pen, const TEmfPlusObject* penObject) {
  if (path.isEmpty() || pen.style() == Qt::NoPen) return;
  QPainter& painter = *target_.painter;
  const QTransform toDevice = WorldToPicture() * target_.pictureToDevice;
  // Lines are drawn in device space: world units may be too small for QPen's width range.
  const double width = pen.widthF();
  const double radius = width / 2 + 2;
  if (!FiniteValue(radius)) return;
  const QRectF bounds = toDevice.mapRect(path.controlPointRect()).adjusted(-radius, -radius, radius, radius);
  if (!FiniteValue(bounds.left()) || !FiniteValue(bounds.right()) || !FiniteValue(bounds.top()) ||
      !FiniteValue(bounds.bottom()) || !Overlaps(bounds, visible_))
    return;
  QPen devicePen = pen;
  QBrush brush = pen.brush();
  brush.setTransform(brush.transform() * toDevice);
  devicePen.setBrush(brush);
  painter.setTransform(QTransform());
  painter.setPen(devicePen);
  painter.setBrush(Qt::NoBrush);
  const bool arrows =
      penObject && (!penObject->startArrow.shape.isEmpty() || !penObject->endArrow.shape.isEmpty());
  // A compound pen strokes each part alone: long paths draw as one line.
  const bool compound =
      penObject && !penObject->compound.empty() && path.elementCount() <= kMaxCompoundElements;
  if (Within(bounds, near_) && !compound) {
    painter.drawPath(toDevice.map(path));
  } else {
    // Far-reaching lines are cut down to the area they can show in.
    const QRectF reach = near_.adjusted(-radius, -radius, radius, radius);
    for (const QPolygonF& line : path.toSubpathPolygons(toDevice))
      for (const QPolygonF& piece : ClipPolylineToRect(line, reach))
        compound ? DrawCompound(piece, devicePen, *penObject) : painter.drawPolyline(piece);
  }
  if (arrows) DrawArrows(path.toSubpathPolygons(toDevice), devicePen, *penObject);
}

void TEmfPlusPlayer::DrawCompound(const QPolygonF& line, const QPen& pen, const TEmfPlusObject& penObject) {
  QPainter& painter = *target_.painter;
  const double width = pen.widthF();
  const bool closed = line.size() > 2 && line.isClosed();
  for (const auto& [from, to] : penObject.compound) {
    const QPolygonF offset = OffsetPolyline(line, ((from + to) / 2 - 0.5) * width);
    if (offset.size() < 2) continue;
    QPainterPath part;
    part.addPolygon(offset);
    if (closed) part.closeSubpath();
    QPen partPen = pen;
    partPen.setWidthF(std::max((to - from) * width, 0.25));
    painter.setPen(partPen);
    painter.drawPath(part);
  }
  painter.setPen(pen);
}

void TEmfPlusPlayer::DrawArrows(const QList<QPolygonF>& lines, const QPen& pen,
                                const TEmfPlusObject& penObject) {
  QPainter& painter = *target_.painter;
  const double width = pen.widthF() > 0 ? pen.widthF() : 1;
  // Ends beyond this many lines are left plain: each is a shape of its own to fill.
  if (lines.size() > kMaxLineEnds) return;
  const auto draw = [&](const TEmfPlusArrow& arrow, const QPolygonF& line, bool atEnd) {
    if (arrow.shape.isEmpty() || line.size() < 2 || line.isClosed()) return;
    const QPointF tip = atEnd ? line.last() : line.first();
    if (!near_.contains(tip)) return;
    // The direction comes from the nearest point that differs from the tip.
    for (qsizetype i = 1; i < line.size(); ++i) {
      const QPointF along = tip - (atEnd ? line[line.size() - 1 - i] : line[i]);
      const double distance = std::hypot(along.x(), along.y());
      if (!(distance > 0)) continue;
      const QPointF unit = along / distance;
      // Cap space: x across the line, y along it, in pen widths.
      const QTransform place(-unit.y() * width, unit.x() * width, unit.x() * width, unit.y() * width, tip.x(),
                             tip.y());
      QPen outline = pen;
      outline.setStyle(Qt::SolidLine);
      outline.setWidthF(arrow.filled ? 0 : pen.widthF());
      painter.setPen(arrow.filled ? QPen(Qt::NoPen) : outline);
      painter.setBrush(arrow.filled ? pen.brush() : QBrush(Qt::NoBrush));
      painter.drawPath(place.map(arrow.shape));
      return;
    }
  };
  for (const QPolygonF& line : lines) {
    draw(penObject.startArrow, line, false);
    draw(penObject.endArrow, line, true);
  }
}

void TEmfPlusPlayer::Transform(const QTransform& matrix, bool append) {
  if (!matrix.isInvertible() || !FiniteValue(matrix.m11()) || !FiniteValue(matrix.m12()) ||
      !FiniteValue(matrix.m21()) || !FiniteValue(matrix.m22()) || !FiniteValue(matrix.dx()) ||
      !FiniteValue(matrix.dy()))
    return;
  const QTransform world = append ? state_.world * matrix : matrix * state_.world;
  if (!world.isInvertible() || !FiniteValue(MaxScale(world))) return;
  state_.world = world;
}

void TEmfPlusPlayer::SetClip(const QPainterPath& worldShape, int mode, bool infinite) {
  const QPainterPath shape = infinite ? Everything(target_.frame) : WorldToPicture().map(worldShape);
  if (shape.elementCount() > kMaxClipElements ||
      (state_.clipped && state_.clip.elementCount() + shape.elementCount() > kMaxClipElements))
    return;
  clipWork_ += shape.elementCount() + (state_.clipped ? state_.clip.elementCount() : 0);
  if (clipWork_ > kMaxClipWork) return;
  const QPainterPath current = state_.clipped ? state_.clip : Everything(target_.frame);
  QPainterPath result;
  switch (mode) {
    case 0:  // replace
      if (infinite) {
        state_.clipped = false;
        state_.clip = QPainterPath();
        ApplyClip();
        return;
      }
      result = shape;
      break;
    case 1:
      result = state_.clipped ? current.intersected(shape) : shape;
      break;
    case 2:
      if (!state_.clipped) return;
      result = current.united(shape);
      break;
    case 3:
      result = current.united(shape).subtracted(current.intersected(shape));
      break;
    case 4:
      result = current.subtracted(shape);
      break;
    case 5:
      result = shape.subtracted(current);
      break;
    default:
      return;
  }
  state_.clip = result;
  state_.clipped = true;
  ApplyClip();
}

void TEmfPlusPlayer::ApplyClip() {
  QPainter& painter = *target_.painter;
  painter.setTransform(target_.outerTransform);
  if (target_.outerClipped)
    painter.setClipPath(target_.outerClip, Qt::ReplaceClip);
  else
    painter.setClipping(false);
  if (state_.clipped) {
    painter.setTransform(target_.pictureToDevice);
    painter.setClipPath(state_.clip, target_.outerClipped ? Qt::IntersectClip : Qt::ReplaceClip);
  }
}

void TEmfPlusPlayer::ApplyCompositing() {
  // SourceCopy writes the source's colour and alpha in place of what is there.
  target_.painter->setCompositionMode(state_.sourceCopy ? QPainter::CompositionMode_Source
                                                        : QPainter::CompositionMode_SourceOver);
}

void TEmfPlusPlayer::SaveState(std::uint32_t id) {
  if (saved_.size() < kMaxSavedStates) saved_.emplace_back(id, state_);
}

void TEmfPlusPlayer::RestoreState(std::uint32_t id) {
  for (std::size_t i = saved_.size(); i-- > 0;) {
    if (saved_[i].first != id) continue;
    const bool clipChanged = state_.clipped || saved_[i].second.clipped;
    state_ = saved_[i].second;
    saved_.resize(i);
    target_.painter->setRenderHint(QPainter::Antialiasing, state_.antialias);
    ApplyCompositing();
    if (clipChanged) ApplyClip();
    return;
  }
}

void TEmfPlusPlayer::Execute(const TEmfPlusRecord& record) {
  if (record.type == EmfPlus::kObject) {
    const int id = record.flags & 0xFF;
    if (id < EmfPlus::kObjectTableSize) table_[static_cast<std::size_t>(id)] = record.object;
    return;
  }
  const TMetaBytes b(record.data);
  if (record.type >= EmfPlus::kClear && record.type <= EmfPlus::kDrawString && record.type != 0x401D) {
    ExecuteDrawing(record, b);
    return;
  }
  if (record.type == EmfPlus::kDrawDriverString) {
    ExecuteText(record, b);
    return;
  }
  ExecuteState(record, b);
}

void TEmfPlusPlayer::ExecuteState(const TEmfPlusRecord& record, const TMetaBytes& b) {
  const std::uint16_t flags = record.flags;
  const bool append = flags & EmfPlus::kFlagAppend;
  switch (record.type) {
    case EmfPlus::kSetAntiAliasMode:
      state_.antialias = flags & 1;
      target_.painter->setRenderHint(QPainter::Antialiasing, state_.antialias);
      break;
    case EmfPlus::kSetCompositingMode:
      state_.sourceCopy = (flags & 0xFF) == 1;
      ApplyCompositing();
      break;
    case EmfPlus::kSave:
      SaveState(b.U32(0));
      break;
    case EmfPlus::kRestore:
    case EmfPlus::kEndContainer:
      RestoreState(b.U32(0));
      break;
    case EmfPlus::kBeginContainer: {
      const QRectF dst = ReadEmfPlusRect(b, 0, false), src = ReadEmfPlusRect(b, 16, false);
      SaveState(b.U32(32));
      if (src.width() == 0 || src.height() == 0) break;
      const QTransform map = QTransform::fromTranslate(-src.x(), -src.y()) *
                             QTransform::fromScale(dst.width() / src.width(), dst.height() / src.height()) *
                             QTransform::fromTranslate(dst.x(), dst.y());
      const QTransform container = map * state_.world * state_.container;
      if (!container.isInvertible() || !FiniteValue(MaxScale(container))) break;
      state_.container = container;
      state_.world = QTransform();
      break;
    }
    case EmfPlus::kBeginContainerNoParams:
      SaveState(b.U32(0));
      state_.container = state_.world * state_.container;
      state_.world = QTransform();
      break;
    case EmfPlus::kSetWorldTransform: {
      const QTransform matrix(EmfPlusFloat(b, 0), EmfPlusFloat(b, 4), EmfPlusFloat(b, 8), EmfPlusFloat(b, 12),
                              EmfPlusFloat(b, 16), EmfPlusFloat(b, 20));
      const QTransform previous = state_.world;
      state_.world = QTransform();
      Transform(matrix, false);
      if (state_.world.isIdentity() && !matrix.isIdentity()) state_.world = previous;
      break;
    }
    case EmfPlus::kResetWorldTransform:
      state_.world = QTransform();
      break;
    case EmfPlus::kMultiplyWorldTransform:
      Transform(QTransform(EmfPlusFloat(b, 0), EmfPlusFloat(b, 4), EmfPlusFloat(b, 8), EmfPlusFloat(b, 12),
                           EmfPlusFloat(b, 16), EmfPlusFloat(b, 20)),
                append);
      break;
    case EmfPlus::kTranslateWorldTransform:
      Transform(QTransform::fromTranslate(EmfPlusFloat(b, 0), EmfPlusFloat(b, 4)), append);
      break;
    case EmfPlus::kScaleWorldTransform:
      Transform(QTransform::fromScale(EmfPlusFloat(b, 0), EmfPlusFloat(b, 4)), append);
      break;
    case EmfPlus::kRotateWorldTransform: {
      const double angle = EmfPlusFloat(b, 0);
      if (FiniteValue(angle)) Transform(QTransform().rotate(angle), append);
      break;
    }
    case EmfPlus::kSetPageTransform: {
      const double scale = EmfPlusFloat(b, 0);
      if (!FiniteValue(scale) || scale <= 1e-6) break;
      state_.pageUnit = flags & 0xFF;
      state_.pageScale = scale;
      break;
    }
    case EmfPlus::kResetClip:
      state_.clipped = false;
      state_.clip = QPainterPath();
      ApplyClip();
      break;
    case EmfPlus::kSetClipRect:
      SetClip(RectPath(ReadEmfPlusRect(b, 0, false)), (flags >> 8) & 0xF);
      break;
    case EmfPlus::kSetClipPath:
    case EmfPlus::kSetClipRegion: {
      const bool region = record.type == EmfPlus::kSetClipRegion;
      const TEmfPlusObject* shape =
          Object(flags & 0xFF, region ? EmfPlus::kObjectRegion : EmfPlus::kObjectPath);
      if (shape) SetClip(shape->path, (flags >> 8) & 0xF, shape->infinite);
      break;
    }
    case EmfPlus::kOffsetClip: {
      const QPointF offset(EmfPlusFloat(b, 0), EmfPlusFloat(b, 4));
      if (!state_.clipped || !FiniteValue(offset.x()) || !FiniteValue(offset.y())) break;
      const QTransform map = WorldToPicture();
      state_.clip.translate(map.map(offset) - map.map(QPointF(0, 0)));
      ApplyClip();
      break;
    }
    default:
      break;
  }
}

void TEmfPlusPlayer::ExecuteDrawing(const TEmfPlusRecord& record, const TMetaBytes& b) {
  switch (record.type) {
    case EmfPlus::kClear: {
      const QColor colour = QColor::fromRgba(b.U32(0));
      Fill(WorldToPicture().inverted().map(RectPath(target_.frame)), QBrush(colour));
      break;
    }
    case EmfPlus::kDrawImage:
    case EmfPlus::kDrawImagePoints:
      ExecuteImage(record, b);
      break;
    case EmfPlus::kDrawString:
      ExecuteText(record, b);
      break;
    case EmfPlus::kFillClosedCurve:
    case EmfPlus::kDrawClosedCurve:
    case EmfPlus::kDrawCurve:
    case EmfPlus::kDrawBeziers:
      ExecuteCurves(record, b);
      break;
    default:
      ExecuteShapes(record, b);
      break;
  }
}

void TEmfPlusPlayer::ExecuteShapes(const TEmfPlusRecord& record, const TMetaBytes& b) {
  const std::uint16_t flags = record.flags;
  const bool compressed = flags & EmfPlus::kFlagCompressed;
  const int id = flags & 0xFF;
  QBrush brush;
  QPen pen;
  const TEmfPlusObject* penObject = nullptr;
  switch (record.type) {
    case EmfPlus::kFillRects:
    case EmfPlus::kDrawRects: {
      const bool fill = record.type == EmfPlus::kFillRects;
      const std::int64_t at = fill ? 8 : 4;
      const std::int64_t count = b.U32(at - 4);
      const std::int64_t size = EmfPlusRectSize(compressed);
      if (count > (b.Size() - at) / size) return;
      if (fill ? !FillBrush(flags, b.U32(0), brush) : !Pen(id, pen, &penObject)) return;
      QPainterPath path;
      for (std::int64_t i = 0; i < count; ++i) path.addRect(ReadEmfPlusRect(b, at + size * i, compressed));
      fill ? Fill(path, brush, BrushArea(flags, b.U32(0))) : Stroke(path, pen, penObject);
      return;
    }
    case EmfPlus::kFillPolygon:
    case EmfPlus::kDrawLines: {
      const bool fill = record.type == EmfPlus::kFillPolygon;
      const std::int64_t at = fill ? 8 : 4;
      std::vector<QPointF> points;
      if (!ReadEmfPlusPoints(b, at, b.U32(at - 4), EmfPlusPointForm(flags), points)) return;
      if (fill) {
        if (FillBrush(flags, b.U32(0), brush))
          Fill(PolygonPath(points, true), brush, BrushArea(flags, b.U32(0)));
      } else if (Pen(id, pen, &penObject)) {
        Stroke(PolygonPath(points, flags & EmfPlus::kFlagClosed), pen, penObject);
      }
      return;
    }
    case EmfPlus::kFillEllipse:
      if (FillBrush(flags, b.U32(0), brush))
        Fill(EllipsePath(ReadEmfPlusRect(b, 4, compressed)), brush, BrushArea(flags, b.U32(0)));
      return;
    case EmfPlus::kDrawEllipse:
      if (Pen(id, pen, &penObject)) Stroke(EllipsePath(ReadEmfPlusRect(b, 0, compressed)), pen, penObject);
      return;
    case EmfPlus::kFillPie:
      if (FillBrush(flags, b.U32(0), brush))
        Fill(EmfPlusArc(ReadEmfPlusRect(b, 12, compressed).normalized(), EmfPlusFloat(b, 4),
                        EmfPlusFloat(b, 8), true),
             brush, BrushArea(flags, b.U32(0)));
      return;
    case EmfPlus::kDrawPie:
    case EmfPlus::kDrawArc:
      if (Pen(id, pen, &penObject))
        Stroke(EmfPlusArc(ReadEmfPlusRect(b, 8, compressed).normalized(), EmfPlusFloat(b, 0),
                          EmfPlusFloat(b, 4), record.type == EmfPlus::kDrawPie),
               pen, penObject);
      return;
    case EmfPlus::kFillRegion: {
      const TEmfPlusObject* region = Object(id, EmfPlus::kObjectRegion);
      if (!region || !FillBrush(flags, b.U32(0), brush)) return;
      Fill(region->infinite ? WorldToPicture().inverted().map(RectPath(target_.frame)) : region->path, brush,
           BrushArea(flags, b.U32(0)));
      return;
    }
    case EmfPlus::kFillPath: {
      const TEmfPlusObject* path = Object(id, EmfPlus::kObjectPath);
      if (path && FillBrush(flags, b.U32(0), brush)) Fill(path->path, brush, BrushArea(flags, b.U32(0)));
      return;
    }
    case EmfPlus::kDrawPath: {
      const TEmfPlusObject* path = Object(id, EmfPlus::kObjectPath);
      if (path && Pen(static_cast<int>(b.U32(0)), pen, &penObject)) Stroke(path->path, pen, penObject);
      return;
    }
    default:
      return;
  }
}

void TEmfPlusPlayer::ExecuteCurves(const TEmfPlusRecord& record, const TMetaBytes& b) {
  const std::uint16_t flags = record.flags;
  const EEmfPlusPointForm form = EmfPlusPointForm(flags);
  std::vector<QPointF> points;
  QPen pen;
  const TEmfPlusObject* penObject = nullptr;
  switch (record.type) {
    case EmfPlus::kFillClosedCurve: {
      QBrush brush;
      if (!ReadEmfPlusPoints(b, 12, b.U32(8), form, points) || !FillBrush(flags, b.U32(0), brush)) return;
      QPainterPath path = CardinalSpline(points, EmfPlusFloat(b, 4), true);
      path.setFillRule(flags & EmfPlus::kFlagWinding ? Qt::WindingFill : Qt::OddEvenFill);
      Fill(path, brush, BrushArea(flags, b.U32(0)));
      return;
    }
    case EmfPlus::kDrawClosedCurve:
      if (ReadEmfPlusPoints(b, 8, b.U32(4), form, points) && Pen(flags & 0xFF, pen, &penObject))
        Stroke(CardinalSpline(points, EmfPlusFloat(b, 0), true), pen, penObject);
      return;
    case EmfPlus::kDrawCurve: {
      const std::int64_t offset = b.U32(4), segments = b.U32(8);
      if (!ReadEmfPlusPoints(b, 16, b.U32(12), form, points) || !Pen(flags & 0xFF, pen, &penObject)) return;
      if (offset >= static_cast<std::int64_t>(points.size()) ||
          segments > static_cast<std::int64_t>(points.size()))
        return;
      Stroke(CardinalSplinePart(points, EmfPlusFloat(b, 0), static_cast<int>(offset),
                                static_cast<int>(segments)),
             pen, penObject);
      return;
    }
    case EmfPlus::kDrawBeziers: {
      if (!ReadEmfPlusPoints(b, 4, b.U32(0), form, points) || points.size() < 4 ||
          !Pen(flags & 0xFF, pen, &penObject))
        return;
      QPainterPath path(points[0]);
      for (std::size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
      Stroke(path, pen, penObject);
      return;
    }
    default:
      return;
  }
}

void TEmfPlusPlayer::ExecuteText(const TEmfPlusRecord& record, const TMetaBytes& b) {
  const std::uint16_t flags = record.flags;
  const TEmfPlusObject* font = Object(flags & 0xFF, EmfPlus::kObjectFont);
  QBrush brush;
  if (!font || !FillBrush(flags, b.U32(0), brush)) return;
  double em = font->emSize;
  if (font->unit != EmfPlus::kUnitWorld) em = em * EmfPlus::UnitPixels(font->unit, data_.dpiX) / PagePixels();
  const QTransform toDevice = WorldToPicture() * target_.pictureToDevice;
  QPainter& painter = *target_.painter;
  if (record.type == EmfPlus::kDrawString) {
    const std::int64_t length = b.U32(8);
    if (length > kMaxTextChars || !b.Has(28, 2 * length)) return;
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    for (std::int64_t i = 0; i < length; ++i) text[static_cast<qsizetype>(i)] = QChar(b.U16(28 + 2 * i));
    const TEmfPlusObject* format = Object(static_cast<int>(b.U32(4)), EmfPlus::kObjectStringFormat);
    DrawEmfPlusString(painter, toDevice, text, ReadEmfPlusRect(b, 12, false), *font, format, em, brush);
    return;
  }
  // Driver strings: characters, or glyph indices of the font, with their positions and an optional
  // transform.
  const std::uint32_t options = b.U32(4);
  const std::int64_t count = b.U32(12);
  if (count > kMaxTextChars || !b.Has(16, 2 * count)) return;
  const bool characters = options & 1;
  QString text(static_cast<qsizetype>(characters ? count : 0), Qt::Uninitialized);
  std::vector<std::uint16_t> glyphs(static_cast<std::size_t>(characters ? 0 : count));
  for (std::int64_t i = 0; i < count; ++i) {
    if (characters)
      text[static_cast<qsizetype>(i)] = QChar(b.U16(16 + 2 * i));
    else
      glyphs[static_cast<std::size_t>(i)] = b.U16(16 + 2 * i);
  }
  std::vector<QPointF> origins;
  std::int64_t end = 0;
  const bool realized = options & 4;
  if (!ReadEmfPlusPoints(b, 16 + 2 * count, realized ? 1 : count, EEmfPlusPointForm::Float, origins, &end))
    return;
  QTransform matrix;
  if (b.U32(8) != 0 && b.Has(end, 24)) {
    matrix = QTransform(EmfPlusFloat(b, end), EmfPlusFloat(b, end + 4), EmfPlusFloat(b, end + 8),
                        EmfPlusFloat(b, end + 12), EmfPlusFloat(b, end + 16), EmfPlusFloat(b, end + 20));
    if (!matrix.isInvertible() || !FiniteValue(MaxScale(matrix))) matrix = QTransform();
  }
  if (characters)
    DrawEmfPlusGlyphs(painter, matrix * toDevice, text, origins, *font, em, brush);
  else
    DrawEmfPlusGlyphIndices(painter, matrix * toDevice, glyphs, origins, *font, em, brush);
}

void TEmfPlusPlayer::ExecuteImage(const TEmfPlusRecord& record, const TMetaBytes& b) {
  const std::uint16_t flags = record.flags;
  const TEmfPlusObject* image = Object(flags & 0xFF, EmfPlus::kObjectImage);
  if (!image || (image->image.isNull() && !image->metafile)) return;
  QRectF source = ReadEmfPlusRect(b, 8, false);
  if (source.width() <= 0 || source.height() <= 0) source = QRectF(image->image.rect());
  QTransform placement;  // the unit square onto its place in world space
  if (record.type == EmfPlus::kDrawImage) {
    const QRectF dst = ReadEmfPlusRect(b, 24, flags & EmfPlus::kFlagCompressed);
    placement = QTransform(dst.width(), 0, 0, dst.height(), dst.x(), dst.y());
  } else {
    std::vector<QPointF> points;
    if (!ReadEmfPlusPoints(b, 28, b.U32(24), EmfPlusPointForm(flags), points) || points.size() != 3) return;
    const QPointF x = points[1] - points[0], y = points[2] - points[0];
    placement = QTransform(x.x(), x.y(), y.x(), y.y(), points[0].x(), points[0].y());
  }
  const QTransform toDevice = placement * WorldToPicture() * target_.pictureToDevice;
  const QRectF bounds = toDevice.mapRect(QRectF(0, 0, 1, 1));
  if (!toDevice.isInvertible() || !FiniteValue(bounds.width()) || !FiniteValue(bounds.height()) ||
      !Overlaps(bounds, visible_))
    return;
  QPainter& painter = *target_.painter;
  painter.setTransform(toDevice);
  if (image->metafile) {
    const QRectF part = MetafileSourcePart(*image->metafile, b.U32(4), ReadEmfPlusRect(b, 8, false));
    if (part.isEmpty()) return;
    if (part != QRectF(0, 0, 1, 1)) painter.setClipRect(QRectF(0, 0, 1, 1), Qt::IntersectClip);
    // The metafile's records blend with each other as they would on their own.
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    TMetafilePlayer(*image->metafile).Play(painter, part, target_.pixelOnDevice);
    ApplyCompositing();
    ApplyClip();
    return;
  }
  painter.drawImage(QRectF(0, 0, 1, 1), image->image, source);
}
