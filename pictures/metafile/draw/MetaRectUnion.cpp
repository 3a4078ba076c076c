// The union of many rectangles, merged pairwise, and the bound of a merge's rectangles.
#include "metafile/draw/MetaRectUnion.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct TBands {
  std::int64_t count = 0;     // bands: runs of rectangles with the same top and bottom
  std::int64_t maxSpans = 0;  // the most rectangles in one band
};

TBands BandsOf(const QRegion& region) {
  TBands bands;
  std::int64_t spans = 0;
  int top = 0, bottom = 0;
  for (const QRect& r : region) {
    if (spans > 0 && r.top() == top && r.bottom() == bottom) {
      ++spans;
    } else {
      ++bands.count;
      spans = 1;
      top = r.top(), bottom = r.bottom();
    }
    bands.maxSpans = std::max(bands.maxSpans, spans);
  }
  return bands;
}

}  // namespace

std::int64_t UnionRectBound(const QRegion& a, const QRegion& b) {
  const TBands first = BandsOf(a), second = BandsOf(b);
  // The union's bands start and end at band edges of either region; each holds at most the spans of both.
  return 2 * (first.count + second.count + 1) * (first.maxSpans + second.maxSpans);
}

bool UniteRects(const QList<QRect>& rects, std::int64_t maxRects, QRegion& united, std::int64_t& work) {
  united = QRegion();
  std::vector<QRegion> level;
  level.reserve(static_cast<std::size_t>(rects.size()));
  for (const QRect& r : rects)
    if (!r.isEmpty()) level.emplace_back(r);
  while (level.size() > 1) {
    std::vector<QRegion> next;
    next.reserve(level.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < level.size(); i += 2) {
      if (UnionRectBound(level[i], level[i + 1]) > maxRects) return false;
      work += level[i].rectCount() + level[i + 1].rectCount();
      next.push_back(level[i].united(level[i + 1]));
    }
    if (level.size() % 2 == 1) next.push_back(std::move(level.back()));
    level = std::move(next);
  }
  if (!level.empty()) united = std::move(level.front());
  return true;
}
