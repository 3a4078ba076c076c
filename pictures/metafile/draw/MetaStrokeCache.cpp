// The cache of stroke outlines: when it may stand in for Qt's stroke, and what it keeps.
#include "metafile/draw/MetaStrokeCache.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Path elements kept per picture, about 24 bytes each (12 MB at most); a picture with more strokes keeps
// the first ones.
constexpr std::int64_t kMaxCachedElements = 1 << 19;
// Shapes of more elements are stroked afresh each time: a huge shape gains little from the cache.
constexpr int kMaxCachedShapeElements = 4096;
// Qt takes a transform as scaling both axes alike when their scales differ by no more than about one
// part in 10^12; the outline stands in only where they differ clearly more.
constexpr double kClearlyUneven = 1e-9;

bool HasCurves(const QPainterPath& path) {
  for (int i = 0; i < path.elementCount(); ++i)
    if (path.elementAt(i).isCurveTo()) return true;
  return false;
}

}  // namespace

bool TMetaStrokeCache::StrokedAsOutline(const QPen& pen, const QTransform& t, bool antialiased) {
  if (pen.style() != Qt::SolidLine || pen.isCosmetic() || !(pen.widthF() > 0) || !antialiased) return false;
  switch (t.type()) {
    case QTransform::TxScale: {
      const double x = std::abs(t.m11()), y = std::abs(t.m22());
      return std::abs(x - y) > kClearlyUneven * std::max(x, y);
    }
    case QTransform::TxRotate: {
      // Qt compares the lengths the transform gives the two axes.
      const double x = t.m11() * t.m11() + t.m21() * t.m21(), y = t.m12() * t.m12() + t.m22() * t.m22();
      return std::abs(x - y) > kClearlyUneven * std::max(x, y);
    }
    case QTransform::TxShear:
      return true;
    default:
      return false;
  }
}

bool TMetaStrokeCache::TEntry::Matches(const QPainterPath& shape, const QPen& pen) const {
  if (width != pen.widthF() || cap != pen.capStyle() || join != pen.joinStyle() ||
      miterLimit != pen.miterLimit() || path.elementCount() != shape.elementCount())
    return false;
  // Exactly the same points: QPainterPath's own comparison allows for rounding.
  for (int i = 0; i < shape.elementCount(); ++i) {
    const QPainterPath::Element &a = path.elementAt(i), &b = shape.elementAt(i);
    if (a.type != b.type || a.x != b.x || a.y != b.y) return false;
  }
  return true;
}

const QPainterPath* TMetaStrokeCache::Shape(std::size_t slot) const {
  const auto kept = entries_.find(slot);
  return kept != entries_.end() ? &kept->second.path : nullptr;
}

const QPainterPath* TMetaStrokeCache::Outline(std::size_t slot, const QPainterPath& path, const QPen& pen) {
  const auto kept = entries_.find(slot);
  if (kept != entries_.end() && kept->second.Matches(path, pen)) return &kept->second.outline;
  if (path.elementCount() > kMaxCachedShapeElements || HasCurves(path) || elements_ >= kMaxCachedElements)
    return nullptr;
  QPainterPathStroker stroker(pen);
  TEntry made{
      path, pen.widthF(), pen.capStyle(), pen.joinStyle(), pen.miterLimit(), stroker.createStroke(path)};
  TEntry& entry = entries_[slot];
  elements_ -= entry.path.elementCount() + entry.outline.elementCount();
  entry = std::move(made);
  elements_ += entry.path.elementCount() + entry.outline.elementCount();
  return &entry.outline;
}
