// GDI clip regions: rectangles kept as regions of clip units while they can be, shapes as paths
// otherwise, both within budgets of work, and the painter's clipping made from them.
#include "metafile/play/MetaClipRegion.h"

#include <uemf.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "metafile/draw/MetaRectUnion.h"
#include "metafile/play/MetaPlayView.h"

namespace {

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

}  // namespace

bool MetaClipRects(const QPainterPath& path, QRegion& region) {
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

void TMetaClipRegion::Reset() {
  work_ = rectWork_ = 0;
  pending_ = false;
}

void TMetaClipRegion::IntersectRect(const QRectF& logicalBox) {
  CombineBox(logicalBox, U_RGN_AND);
}

void TMetaClipRegion::ExcludeRect(const QRectF& logicalBox) {
  CombineBox(logicalBox, U_RGN_DIFF);
}

void TMetaClipRegion::CombineBox(const QRectF& box, int mode) {
  const QTransform& toPicture = view_.logicalToPicture;
  if (toPicture.type() <= QTransform::TxScale && box.width() > 0 && box.height() > 0 &&
      (!state_.clipped || state_.asRects)) {
    // Unrotated, the box stays a box: its rectangle in clip units straight away, without a path.
    const QPointF a = toPicture.map(box.topLeft()), b = toPicture.map(box.bottomRight());
    QList<QRect> units;
    if (AppendClipUnitsBox(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                           std::max(a.y(), b.y()), units)) {
      if (CombineRects(units.isEmpty() ? QRegion() : QRegion(units.front()), mode)) pending_ = true;
      return;
    }
  }
  QPainterPath rect;
  rect.addRect(box);
  if (CombineShape(toPicture.map(rect), mode)) pending_ = true;
}

void TMetaClipRegion::Combine(const QPainterPath& shape, int mode) {
  if (CombineShape(shape, mode)) pending_ = true;
}

void TMetaClipRegion::SelectNone() {
  state_.clipped = state_.asRects = false;
  state_.path = QPainterPath();
  state_.rects = QRegion();
  state_.cuts.clear();
  pending_ = true;
}

void TMetaClipRegion::Offset(QPointF logicalOffset) {
  if (!state_.clipped) return;
  const QPointF moved = view_.logicalToPicture.map(logicalOffset) - view_.logicalToPicture.map(QPointF(0, 0));
  const QPointF units = moved * kClipRectUnits;
  CutPendingRects();
  const QRect bounds = state_.rects.boundingRect();
  if (state_.asRects &&
      std::abs(units.x()) + std::max(std::abs(bounds.left()), std::abs(bounds.right())) <
          kMaxClipRectCoordinate &&
      std::abs(units.y()) + std::max(std::abs(bounds.top()), std::abs(bounds.bottom())) <
          kMaxClipRectCoordinate) {
    state_.rects.translate(static_cast<int>(std::lround(units.x())),
                           static_cast<int>(std::lround(units.y())));
  } else {
    AsPath();
    state_.path.translate(moved);
  }
  pending_ = true;
}

void TMetaClipRegion::SetMetaRegion() {
  if (!state_.clipped) return;
  AsPath();
  state_.metaRegion = state_.metaClipped ? state_.metaRegion.intersected(state_.path) : state_.path;
  state_.metaClipped = true;
  state_.clipped = false;
  state_.path = QPainterPath();
  pending_ = true;
}

void TMetaClipRegion::SelectObjectRegion(const QPainterPath& shape) {
  if (CombineShape(shape, U_RGN_COPY)) Apply();
}

void TMetaClipRegion::AsPath() {
  if (!state_.asRects) return;
  CutPendingRects();
  state_.path = RectsPath(state_.rects);
  state_.rects = QRegion();
  state_.asRects = false;
}

bool TMetaClipRegion::CombineRects(const QRegion& rects, int mode) {
  if (mode == U_RGN_DIFF && state_.clipped && state_.asRects) {
    rectWork_ += rects.rectCount();
    if (rectWork_ > kMaxClipRectWork) return false;
    for (const QRect& r : rects) state_.cuts.append(r);
    if (state_.cuts.size() >= kMaxPendingClipCuts) CutPendingRects();
    return true;
  }
  if (mode == U_RGN_COPY)
    state_.cuts.clear();
  else
    CutPendingRects();
  QRegion current = state_.rects;
  if (!state_.clipped) {
    if (mode == U_RGN_OR) return false;
    current = QRegion(ClipUnitsRect(UnclippedArea()));
  }
  rectWork_ += rects.rectCount() + current.rectCount();
  if (rectWork_ > kMaxClipRectWork) return false;
  switch (mode) {
    case U_RGN_COPY:
      current = rects;
      break;
    case U_RGN_AND:
      current = state_.clipped ? current.intersected(rects) : rects;
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
  state_.rects = current;
  state_.path = QPainterPath();
  state_.asRects = state_.clipped = true;
  return true;
}

void TMetaClipRegion::CutPendingRects() {
  if (state_.cuts.isEmpty()) return;
  const QList<QRect> cuts = std::exchange(state_.cuts, {});
  QRegion united;
  std::int64_t work = 0;
  const bool unitedInBounds = UniteRects(cuts, kMaxClipCutUnionRects, united, work);
  rectWork_ += work;
  if (unitedInBounds) {
    rectWork_ += united.rectCount() + state_.rects.rectCount();
    if (rectWork_ > kMaxClipRectWork) return;
    QRegion cut = state_.rects.subtracted(united);
    if (cut.rectCount() <= kMaxClipRects) {
      state_.rects = std::move(cut);
      return;
    }
  }
  // One at a time, as each record asked: a cut that would leave too many rectangles is left out.
  for (const QRect& r : cuts) {
    rectWork_ += 1 + state_.rects.rectCount();
    if (rectWork_ > kMaxClipRectWork) return;
    QRegion cut = state_.rects.subtracted(r);
    if (cut.rectCount() <= kMaxClipRects) state_.rects = std::move(cut);
  }
}

bool TMetaClipRegion::CombineShape(const QPainterPath& shape, int mode) {
  QRegion rects;
  if ((mode == U_RGN_COPY || !state_.clipped || state_.asRects) && MetaClipRects(shape, rects))
    return CombineRects(rects, mode);
  AsPath();
  if (shape.elementCount() > kMaxClipElements ||
      (state_.clipped && mode != U_RGN_COPY &&
       state_.path.elementCount() + shape.elementCount() > kMaxClipElements))
    return false;
  work_ += shape.elementCount() + (state_.clipped ? state_.path.elementCount() : 0);
  if (work_ > kMaxClipWork) return false;
  if (mode == U_RGN_COPY || (mode == U_RGN_AND && !state_.clipped)) {
    state_.path = shape;
    state_.clipped = true;
    return true;
  }
  QPainterPath current = state_.path;
  if (!state_.clipped) {
    current = QPainterPath();
    current.addRect(UnclippedArea());
  }
  switch (mode) {
    case U_RGN_AND:
      current = current.intersected(shape);
      break;
    case U_RGN_OR:
      if (!state_.clipped) return false;
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
  state_.path = current;
  state_.clipped = true;
  return true;
}

void TMetaClipRegion::Apply() {
  pending_ = false;
  CutPendingRects();
  QPainter* painter = view_.painter;
  if (!painter) return;
  painter->setTransform(view_.outerTransform);
  if (view_.outerClipped)
    painter->setClipPath(view_.outerClip, Qt::ReplaceClip);
  else
    painter->setClipping(false);
  const Qt::ClipOperation narrowing = view_.outerClipped ? Qt::IntersectClip : Qt::ReplaceClip;
  if (state_.clipped && state_.asRects && !state_.metaClipped) {
    // The rectangles as one path: filling rectangles is cheap for Qt, combining paths is not.
    QPainterPath rects;
    rects.addRegion(VisibleRects(state_.rects));
    painter->setTransform(QTransform::fromScale(1.0 / kClipRectUnits, 1.0 / kClipRectUnits) * view_.toTarget);
    painter->setClipPath(rects, narrowing);
  } else if (state_.clipped || state_.metaClipped) {
    if (state_.asRects) AsPath();
    QPainterPath effective = state_.clipped ? state_.path : state_.metaRegion;
    if (state_.clipped && state_.metaClipped) effective = state_.metaRegion.intersected(state_.path);
    painter->setTransform(view_.toTarget);
    painter->setClipPath(VisiblePart(effective), narrowing);
  }
  painter->setTransform(view_.LogicalToTarget());
}

QRectF TMetaClipRegion::UnclippedArea() const {
  // Without a clip region everything may be drawn: a generous rectangle around the frame stands for it.
  const QRectF& f = view_.Frame();
  return f.adjusted(-4 * f.width(), -4 * f.height(), 4 * f.width(), 4 * f.height());
}

QRegion TMetaClipRegion::VisibleRects(const QRegion& rects) const {
  const QRectF area = view_.VisibleArea();
  return area.isEmpty() ? rects : rects.intersected(ClipUnitsRect(area));
}

QPainterPath TMetaClipRegion::VisiblePart(const QPainterPath& clip) const {
  // Qt's rasteriser walks the whole extent of a clip path, however little of it is on the device.
  const QRectF area = view_.VisibleArea();
  if (area.isEmpty() || area.contains(clip.boundingRect())) return clip;
  QPainterPath box;
  box.addRect(area);
  return clip.intersected(box);
}
