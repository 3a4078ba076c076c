// Records of regions and clipping: clip rectangles, paths and regions, region objects and painted regions.
#include "metafile/read/MetaRegionRecords.h"

#include "metafile/read/MetaRecordFields.h"
#include "metafile/read/MetaRegion.h"

namespace {

// Clip regions of more rectangles are ignored: they would cost more to combine than they are worth.
constexpr std::int64_t kMaxClipRects = 1000;

// The region of a FillRgn, FrameRgn, InvertRgn or PaintRgn record: cbRgnData bytes at RgnData. Empty when
// the region is malformed or has no rectangles.
template <class Record>
std::vector<QRect> EmfRegion(const TMetaBytes& rec) {
  return ReadEmfRegionData(rec, offsetof(Record, RgnData), rec.U32(offsetof(Record, cbRgnData)));
}

}  // namespace

void ReadEmfIntersectClipRect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::IntersectClipRect, ReadRectl(rec, offsetof(U_EMRINTERSECTCLIPRECT, rclClip))});
}

void ReadEmfExcludeClipRect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::ExcludeClipRect, ReadRectl(rec, offsetof(U_EMREXCLUDECLIPRECT, rclClip))});
}

void ReadEmfSelectClipPath(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SelectClipPath, TMetaMode{rec.I32(offsetof(U_EMRSELECTCLIPPATH, iMode))}});
}

void ReadEmfExtSelectClipRgn(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMREXTSELECTCLIPRGN;
  constexpr std::int64_t kRegionAt = offsetof(R, RgnData);
  constexpr std::int64_t kHeader = sizeof(U_RGNDATAHEADER);
  constexpr std::int64_t kRectSize = sizeof(U_RECTL);
  if (!rec.Has(0, kRegionAt)) return;
  const std::int64_t dataSize = rec.U32(offsetof(R, cbRgnData));
  const std::int32_t mode = rec.I32(offsetof(R, iMode));
  if (mode < U_RGN_AND || mode > U_RGN_COPY) return;
  if (dataSize == 0) {
    // Only a copy of no region means anything: back to the default clipping.
    if (mode == U_RGN_COPY)
      builder.Add({EMetaOp::SelectClipRegion, TMetaClipRects{.mode = mode, .first = 0, .count = -1}});
    return;
  }
  if (!rec.Has(kRegionAt, dataSize) || dataSize < kHeader) return;
  const std::int64_t count = rec.U32(kRegionAt + offsetof(U_RGNDATAHEADER, nCount));
  if (count > kMaxClipRects || !rec.Has(kRegionAt + kHeader, kRectSize * count) ||
      kRectSize * count > dataSize - kHeader)
    return;
  // Each rectangle goes into the point store as its two corners.
  builder.CheckRoomForPoints(2 * count);
  const auto first = static_cast<std::int32_t>(builder.List().points.size());
  for (std::int64_t i = 0; i < count; ++i) {
    const TMetaRect rect = ReadRectl(rec, kRegionAt + kHeader + kRectSize * i);
    builder.AddPoint(rect.left, rect.top);
    builder.AddPoint(rect.right, rect.bottom);
  }
  builder.Add({EMetaOp::SelectClipRegion,
               TMetaClipRects{.mode = mode, .first = first, .count = static_cast<std::int32_t>(count)}});
}

void ReadEmfOffsetClipRgn(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::OffsetClipRegion, ReadPointl(rec, offsetof(U_EMROFFSETCLIPRGN, ptlOffset))});
}

void ReadEmfSetMetaRgn(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetMetaRegion});
}

void ReadWmfIntersectClipRect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::IntersectClipRect, WmfBox<U_WMRINTERSECTCLIPRECT>(rec)});
}

void ReadWmfExcludeClipRect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::ExcludeClipRect, WmfBox<U_WMREXCLUDECLIPRECT>(rec)});
}

void ReadWmfOffsetClipRgn(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::OffsetClipRegion, WmfPoint<U_WMROFFSETCLIPRGN>(rec)});
}

void ReadWmfSelectClipRegion(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRSELECTCLIPREGION;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::SelectClipObject, TMetaSlot{rec.U16(offsetof(R, index))}});
}

void ReadEmfFillRgn(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRFILLRGN;
  if (!rec.Has(0, offsetof(R, RgnData))) return;
  const std::int32_t brush = rec.I32(offsetof(R, ihBrush));
  const std::vector<QRect> rects = EmfRegion<R>(rec);
  if (rects.empty()) return;
  builder.Add(
      {EMetaOp::FillRegion, TMetaFillRegionArgs{.region = builder.AddRegionRects(rects), .brush = brush}});
}

void ReadEmfFrameRgn(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRFRAMERGN;
  if (!rec.Has(0, offsetof(R, RgnData))) return;
  const std::int32_t brush = rec.I32(offsetof(R, ihBrush));
  const TMetaPoint stroke = ReadSizel(rec, offsetof(R, szlStroke));
  const std::vector<QRect> rects = EmfRegion<R>(rec);
  if (rects.empty()) return;
  builder.Add(
      {EMetaOp::FrameRegion,
       TMetaFrameRegionArgs{
           .region = builder.AddRegionRects(rects), .brush = brush, .width = stroke.x, .height = stroke.y}});
}

void ReadEmfInvertRgn(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRINVERTRGN;
  if (!rec.Has(0, offsetof(R, RgnData))) return;
  const std::vector<QRect> rects = EmfRegion<R>(rec);
  if (!rects.empty()) builder.Add({EMetaOp::InvertRegion, builder.AddRegionRects(rects)});
}

void ReadEmfPaintRgn(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRPAINTRGN;
  if (!rec.Has(0, offsetof(R, RgnData))) return;
  const std::vector<QRect> rects = EmfRegion<R>(rec);
  if (!rects.empty()) builder.Add({EMetaOp::PaintRegion, builder.AddRegionRects(rects)});
}

void ReadWmfFillRegion(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRFILLREGION;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::FillRegion, TMetaFillRegionArgs{.region = {.object = rec.U16(offsetof(R, Region))},
                                                        .brush = rec.U16(offsetof(R, Brush))}});
}

void ReadWmfFrameRegion(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRFRAMEREGION;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::FrameRegion, TMetaFrameRegionArgs{.region = {.object = rec.U16(offsetof(R, Region))},
                                                          .brush = rec.U16(offsetof(R, Brush)),
                                                          .width = rec.I16(offsetof(R, Width)),
                                                          .height = rec.I16(offsetof(R, Height))}});
}

void ReadWmfInvertRegion(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRINVERTREGION;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::InvertRegion, TMetaRegion{.object = rec.U16(offsetof(R, index))}});
}

void ReadWmfPaintRegion(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRPAINTREGION;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::PaintRegion, TMetaRegion{.object = rec.U16(offsetof(R, index))}});
}

void ReadWmfCreateRegion(const TMetaBytes& rec, TMetaListBuilder& builder) {
  const TMetaRegion rects = builder.AddRegionRects(ReadWmfRegion(rec, offsetof(U_WMRCREATEREGION, region)));
  builder.CreateObject(
      {EMetaOp::CreateRegion, TMetaRegionArgs{.slot = 0, .first = rects.first, .count = rects.count}});
}
