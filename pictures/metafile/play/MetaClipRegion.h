// GDI clip regions: the changes the clip records make to a device context's clip state, and the
// painter's clipping made from that state.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QRegion>
#include <cstdint>

#include "metafile/play/MetaDc.h"

class TMetaPlayView;

class TMetaClipRegion {
 public:
  // state is the device context's, which SaveDC and RestoreDC keep and restore; view is where the
  // player draws.
  TMetaClipRegion(TMetaClipState& state, const TMetaPlayView& view) : state_(state), view_(view) {}

  // A new playing of the list: the clip work allowed starts afresh.
  void Reset();
  // IntersectClipRect and ExcludeClipRect, with their logical box.
  void IntersectRect(const QRectF& logicalBox);
  void ExcludeRect(const QRectF& logicalBox);
  // SelectClipPath and SelectClipRegion: combines the picture-space shape into the region by an RGN_*
  // mode.
  void Combine(const QPainterPath& shape, int mode);
  // A SelectClipRegion of no region: back to no clipping.
  void SelectNone();
  // OffsetClipRegion, by a logical offset.
  void Offset(QPointF logicalOffset);
  // SetMetaRegion: the clip region becomes part of the meta region, which later clip regions can only
  // narrow.
  void SetMetaRegion();
  // A region object selected: the picture-space shape becomes the region, and the painter gets it at once.
  void SelectObjectRegion(const QPainterPath& shape);

  // True when the region changed since the painter last got it. Files change the clip many times in a
  // row (thousands of excluded rectangles); the painter gets the result once, before the next record
  // that is not a clip change.
  bool Pending() const { return pending_; }
  // Sets the painter's clipping to the target's own clipping and the state's regions.
  void Apply();

 private:
  void CombineBox(const QRectF& logicalBox, int mode);
  // Combines a picture-space shape into the clip region by an RGN_* mode; false when nothing changed.
  bool CombineShape(const QPainterPath& shape, int mode);
  bool CombineRects(const QRegion& rects, int mode);
  // Cuts the rectangles waiting in the state's cuts out of its rectangles.
  void CutPendingRects();
  // Turns a rectangle clip into the path form, for the changes that rectangles cannot express.
  void AsPath();
  QRectF UnclippedArea() const;
  QRegion VisibleRects(const QRegion& rects) const;
  QPainterPath VisiblePart(const QPainterPath& clip) const;

  TMetaClipState& state_;
  const TMetaPlayView& view_;
  std::int64_t work_ = 0;
  std::int64_t rectWork_ = 0;
  bool pending_ = false;
};

// The path as a region of clip units when it is made of axis-aligned rectangles only (what clip
// rectangle and region records make); false for any other path.
bool MetaClipRects(const QPainterPath& path, QRegion& region);
