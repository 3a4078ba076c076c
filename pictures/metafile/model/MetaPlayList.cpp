// The play list's stores, bounded so that a hostile file cannot exhaust memory, and picture size checks.
#include "metafile/model/MetaPlayList.h"

#include <algorithm>
#include <cmath>

#include "Graphic.h"

void TMetaPlayList::Add(const TMetaCommand& command) {
  if (commands.size() >= kMaxMetaCommands) throw EInvalidGraphic("Metafile has too many records");
  commands.push_back(command);
}

void TMetaPlayList::CheckRoomForPoints(std::int64_t count) const {
  if (count < 0 || static_cast<std::uint64_t>(count) > kMaxMetaPoints - points.size())
    throw EInvalidGraphic("Metafile has too many points");
}

std::int32_t TMetaPlayList::AddPoint(std::int32_t x, std::int32_t y) {
  if (points.size() >= kMaxMetaPoints) throw EInvalidGraphic("Metafile has too many points");
  points.emplace_back(x, y);
  return static_cast<std::int32_t>(points.size() - 1);
}

std::int32_t TMetaPlayList::AddPolyCount(std::int32_t count) {
  if (polyCounts.size() >= kMaxMetaPoints) throw EInvalidGraphic("Metafile has too many polygons");
  polyCounts.push_back(count);
  return static_cast<std::int32_t>(polyCounts.size() - 1);
}

std::int32_t TMetaPlayList::AddFont(TMetaFont font) {
  if (fonts.size() >= kMaxMetaCommands / 4) throw EInvalidGraphic("Metafile has too many fonts");
  fonts.push_back(std::move(font));
  return static_cast<std::int32_t>(fonts.size() - 1);
}

std::int32_t TMetaPlayList::AddText(TMetaTextRun run) {
  const std::int64_t chars =
      std::max({static_cast<std::int64_t>(run.text.size()), static_cast<std::int64_t>(run.ansi.size()),
                static_cast<std::int64_t>(run.glyphs.size())});
  if (texts.size() >= kMaxMetaCommands / 4 || chars > kMaxMetaTotalTextChars - textChars)
    throw EInvalidGraphic("Metafile has too much text");
  textChars += chars;
  texts.push_back(std::move(run));
  return static_cast<std::int32_t>(texts.size() - 1);
}

void CheckMetafileSize(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) throw EInvalidGraphic("Metafile has no size");
  if (width > kMaxMetafilePixels || height > kMaxMetafilePixels || width * height > kMaxMetafilePixels)
    throw EInvalidGraphic("Metafile is too large");
}

void FitMetafileSize(std::int64_t& width, std::int64_t& height) {
  if (width <= 0 || height <= 0 || width > kMaxMetafilePixels || height > kMaxMetafilePixels) return;
  if (width * height <= kMaxMetafilePixels) return;
  const double shrink =
      std::sqrt(static_cast<double>(kMaxMetafilePixels) / (static_cast<double>(width) * height));
  width =
      std::max<std::int64_t>(1, static_cast<std::int64_t>(std::floor(static_cast<double>(width) * shrink)));
  height =
      std::max<std::int64_t>(1, static_cast<std::int64_t>(std::floor(static_cast<double>(height) * shrink)));
}
