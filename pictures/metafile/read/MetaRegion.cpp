#include "metafile/read/MetaRegion.h"

namespace {

// Scans from offset at: count, top, bottom, count x-coordinates (left/right pairs), count again.
bool ReadScans(const TMetaBytes& rec, std::int64_t at, std::int64_t scans, std::vector<QRect>& rects) {
  for (std::int64_t i = 0; i < scans; ++i) {
    if (!rec.Has(at, 6)) return false;
    const std::int64_t coordinates = rec.U16(at);
    const std::int64_t top = rec.I16(at + 2), bottom = rec.I16(at + 4);
    if (coordinates % 2 != 0 || !rec.Has(at + 6, 2 * coordinates + 2)) return false;
    if (rec.U16(at + 6 + 2 * coordinates) != coordinates) return false;
    for (std::int64_t k = 0; k < coordinates; k += 2) {
      if (static_cast<std::int64_t>(rects.size()) >= kMaxRegionRects) return false;
      const std::int64_t left = rec.I16(at + 6 + 2 * k), right = rec.I16(at + 8 + 2 * k);
      if (right > left && bottom > top)
        rects.emplace_back(QPoint(static_cast<int>(left), static_cast<int>(top)),
                           QPoint(static_cast<int>(right - 1), static_cast<int>(bottom - 1)));
    }
    at += 6 + 2 * coordinates + 2;
  }
  return true;
}

}  // namespace

std::vector<QRect> ReadWmfRegion(const TMetaBytes& rec, std::int64_t at) {
  // nextInChain, objectType, objectCount (4 or 2 bytes), regionSize, scanCount, maxScan, bounds.
  for (const std::int64_t countBytes : {4, 2}) {
    const std::int64_t header = 2 + 2 + countBytes + 2 + 2 + 2 + 8;
    if (!rec.Has(at, header)) continue;
    const std::int64_t scans = rec.U16(at + 4 + countBytes + 2);
    const std::int64_t boundsAt = at + 4 + countBytes + 6;
    std::vector<QRect> rects;
    if (scans == 0) {
      const int left = rec.I16(boundsAt), top = rec.I16(boundsAt + 2), right = rec.I16(boundsAt + 4),
                bottom = rec.I16(boundsAt + 6);
      if (right > left && bottom > top) rects.emplace_back(QPoint(left, top), QPoint(right - 1, bottom - 1));
      return rects;
    }
    // The scans of the right layout end within a word of the record's end.
    if (ReadScans(rec, at + header, scans, rects)) return rects;
  }
  return {};
}

std::vector<QRect> ReadEmfRegionData(const TMetaBytes& rec, std::int64_t at, std::int64_t size) {
  constexpr std::int64_t kHeader = 32;
  if (size < kHeader || !rec.Has(at, size)) return {};
  const std::int64_t count = rec.U32(at + 8);
  if (count > kMaxRegionRects || 16 * count > size - kHeader) return {};
  std::vector<QRect> rects;
  rects.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t r = at + kHeader + 16 * i;
    const std::int64_t left = rec.I32(r), top = rec.I32(r + 4), right = rec.I32(r + 8),
                       bottom = rec.I32(r + 12);
    if (right > left && bottom > top && right - left < (std::int64_t{1} << 31) &&
        bottom - top < (std::int64_t{1} << 31))
      rects.emplace_back(QPoint(static_cast<int>(left), static_cast<int>(top)),
                         QPoint(static_cast<int>(right - 1), static_cast<int>(bottom - 1)));
  }
  return rects;
}
