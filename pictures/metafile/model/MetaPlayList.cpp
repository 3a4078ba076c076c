// The play list's bounded command list, and the checks of a picture's size.
#include "metafile/model/MetaPlayList.h"

#include <algorithm>
#include <cmath>

#include "Graphic.h"

void TMetaPlayList::Add(const TMetaCommand& command) {
  if (commands.size() >= kMaxMetaCommands) throw EInvalidGraphic("Metafile has too many records");
  commands.push_back(command);
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
