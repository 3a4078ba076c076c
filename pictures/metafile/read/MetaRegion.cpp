// Regions of WMF and EMF records as lists of rectangles.
#include "metafile/read/MetaRegion.h"

#include "metafile/read/MetaRecordFields.h"

namespace {

// A scan's x-coordinates follow its head (count, top, bottom) in left/right pairs; the count ends it again.
constexpr std::int64_t kScanHead = offsetof(U_SCAN, ScanLines);
constexpr std::int64_t kCoordinateSize = sizeof(std::int16_t);

// Scans from offset at, each a band of rectangles from its top to its bottom.
bool ReadScans(const TMetaBytes& rec, std::int64_t at, std::int64_t scans, std::vector<QRect>& rects) {
  for (std::int64_t i = 0; i < scans; ++i) {
    if (!rec.Has(at, kScanHead)) return false;
    const std::int64_t coordinates = rec.U16(at + offsetof(U_SCAN, count));
    const std::int64_t top = rec.I16(at + offsetof(U_SCAN, top)),
                       bottom = rec.I16(at + offsetof(U_SCAN, bottom));
    const std::int64_t countAgainAt = at + kScanHead + kCoordinateSize * coordinates;
    if (coordinates % 2 != 0 || !rec.Has(at + kScanHead, kCoordinateSize * coordinates + kCoordinateSize))
      return false;
    if (rec.U16(countAgainAt) != coordinates) return false;
    for (std::int64_t k = 0; k < coordinates; k += 2) {
      if (static_cast<std::int64_t>(rects.size()) >= kMaxRegionRects) return false;
      const std::int64_t left = rec.I16(at + kScanHead + kCoordinateSize * k),
                         right = rec.I16(at + kScanHead + kCoordinateSize * (k + 1));
      if (right > left && bottom > top)
        rects.emplace_back(QPoint(static_cast<int>(left), static_cast<int>(top)),
                           QPoint(static_cast<int>(right - 1), static_cast<int>(bottom - 1)));
    }
    at = countAgainAt + kCoordinateSize;
  }
  return true;
}

}  // namespace

std::vector<QRect> ReadWmfRegion(const TMetaBytes& rec, std::int64_t at) {
  // libuemf's U_REGION has the 16-bit object count (ignore2); with a 32-bit one the fields after it lie
  // two bytes further on.
  for (const std::int64_t countBytes : {4, 2}) {
    const std::int64_t shift = countBytes - static_cast<std::int64_t>(sizeof(U_REGION::ignore2));
    const std::int64_t header = offsetof(U_REGION, aScans) + shift;
    if (!rec.Has(at, header)) continue;
    const std::int64_t scans = rec.U16(at + offsetof(U_REGION, sCount) + shift);
    const std::int64_t boundsAt = at + offsetof(U_REGION, sRect) + shift;
    std::vector<QRect> rects;
    if (scans == 0) {
      const int left = rec.I16(boundsAt + offsetof(U_RECT16, left)),
                top = rec.I16(boundsAt + offsetof(U_RECT16, top)),
                right = rec.I16(boundsAt + offsetof(U_RECT16, right)),
                bottom = rec.I16(boundsAt + offsetof(U_RECT16, bottom));
      if (right > left && bottom > top) rects.emplace_back(QPoint(left, top), QPoint(right - 1, bottom - 1));
      return rects;
    }
    // The scans of the right layout end within a word of the record's end.
    if (ReadScans(rec, at + header, scans, rects)) return rects;
  }
  return {};
}

std::vector<QRect> ReadEmfRegionData(const TMetaBytes& rec, std::int64_t at, std::int64_t size) {
  constexpr std::int64_t kHeader = sizeof(U_RGNDATAHEADER);
  constexpr std::int64_t kRectSize = sizeof(U_RECTL);
  if (size < kHeader || !rec.Has(at, size)) return {};
  const std::int64_t count = rec.U32(at + offsetof(U_RGNDATAHEADER, nCount));
  if (count > kMaxRegionRects || kRectSize * count > size - kHeader) return {};
  std::vector<QRect> rects;
  rects.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const TMetaRect r = ReadRectl(rec, at + kHeader + kRectSize * i);
    const std::int64_t left = r.left, top = r.top, right = r.right, bottom = r.bottom;
    if (right > left && bottom > top && right - left < (std::int64_t{1} << 31) &&
        bottom - top < (std::int64_t{1} << 31))
      rects.emplace_back(QPoint(static_cast<int>(left), static_cast<int>(top)),
                         QPoint(static_cast<int>(right - 1), static_cast<int>(bottom - 1)));
  }
  return rects;
}
