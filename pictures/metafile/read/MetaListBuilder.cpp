// The play list's stores filled within their limits, the object slots and the bitmap budget.
#include "metafile/read/MetaListBuilder.h"

#include <algorithm>

#include "Graphic.h"

namespace {

// Fonts, texts, gradients, blits and patterns each take a quarter of the commands' limit at most.
constexpr std::size_t kMaxStoreItems = kMaxMetaCommands / 4;
// All palette entries of a file together (4 MB).
constexpr std::size_t kMaxPaletteEntries = std::size_t{1} << 20;

}  // namespace

TMetaPlayList TMetaListBuilder::Finish() {
  TMetaPlayList list = std::move(list_);
  *this = TMetaListBuilder();
  return list;
}

void TMetaListBuilder::Add(const TMetaCommand& command) {
  list_.Add(command);
}

void TMetaListBuilder::CheckRoomForPoints(std::int64_t count) const {
  if (count < 0 || static_cast<std::uint64_t>(count) > kMaxMetaPoints - list_.points.size())
    throw EInvalidGraphic("Metafile has too many points");
}

std::int32_t TMetaListBuilder::AddPoint(std::int32_t x, std::int32_t y) {
  if (list_.points.size() >= kMaxMetaPoints) throw EInvalidGraphic("Metafile has too many points");
  list_.points.emplace_back(x, y);
  return static_cast<std::int32_t>(list_.points.size() - 1);
}

std::int32_t TMetaListBuilder::AddPolyCount(std::int32_t count) {
  if (list_.polyCounts.size() >= kMaxMetaPoints) throw EInvalidGraphic("Metafile has too many polygons");
  list_.polyCounts.push_back(count);
  return static_cast<std::int32_t>(list_.polyCounts.size() - 1);
}

std::int32_t TMetaListBuilder::AddPolyDrawType(std::uint8_t type) {
  if (list_.polyDrawTypes.size() >= kMaxMetaPoints) throw EInvalidGraphic("Metafile has too many points");
  list_.polyDrawTypes.push_back(type);
  return static_cast<std::int32_t>(list_.polyDrawTypes.size() - 1);
}

std::int32_t TMetaListBuilder::AddTransform(const QTransform& matrix) {
  if (list_.transforms.size() >= kMaxMetaCommands) throw EInvalidGraphic("Metafile has too many transforms");
  list_.transforms.push_back(matrix);
  return static_cast<std::int32_t>(list_.transforms.size() - 1);
}

std::int32_t TMetaListBuilder::AddGradient(TMetaGradient gradient) {
  if (list_.gradients.size() >= kMaxStoreItems) throw EInvalidGraphic("Metafile has too many gradients");
  list_.gradients.push_back(std::move(gradient));
  return static_cast<std::int32_t>(list_.gradients.size() - 1);
}

TMetaRegion TMetaListBuilder::AddRegionRects(const std::vector<QRect>& rects) {
  CheckRoomForPoints(static_cast<std::int64_t>(rects.size()));
  if (list_.regionRects.size() + rects.size() > kMaxMetaPoints)
    throw EInvalidGraphic("Metafile has too many regions");
  const auto first = static_cast<std::int32_t>(list_.regionRects.size());
  list_.regionRects.insert(list_.regionRects.end(), rects.begin(), rects.end());
  return {.object = -1, .first = first, .count = static_cast<std::int32_t>(rects.size())};
}

std::int32_t TMetaListBuilder::AddPenDashes(const std::vector<std::uint32_t>& dashes) {
  if (list_.penDashes.size() >= kMaxMetaPoints) return -1;
  const auto first = static_cast<std::int32_t>(list_.penDashes.size());
  list_.penDashes.insert(list_.penDashes.end(), dashes.begin(), dashes.end());
  return first;
}

std::int32_t TMetaListBuilder::AddFont(TMetaFont font) {
  if (list_.fonts.size() >= kMaxStoreItems) throw EInvalidGraphic("Metafile has too many fonts");
  list_.fonts.push_back(std::move(font));
  return static_cast<std::int32_t>(list_.fonts.size() - 1);
}

std::int32_t TMetaListBuilder::AddText(TMetaTextRun run) {
  const std::int64_t chars =
      std::max({static_cast<std::int64_t>(run.text.size()), static_cast<std::int64_t>(run.ansi.size()),
                static_cast<std::int64_t>(run.glyphs.size())});
  if (list_.texts.size() >= kMaxStoreItems || chars > kMaxMetaTotalTextChars - textChars_)
    throw EInvalidGraphic("Metafile has too much text");
  textChars_ += chars;
  list_.texts.push_back(std::move(run));
  return static_cast<std::int32_t>(list_.texts.size() - 1);
}

void TMetaListBuilder::AddBlit(TMetaBlit blit) {
  if (list_.blits.size() >= kMaxStoreItems) return;
  list_.blits.push_back(std::move(blit));
  Add({EMetaOp::Blit, TMetaIndex{static_cast<std::int32_t>(list_.blits.size() - 1)}});
}

std::int32_t TMetaListBuilder::AddPattern(QImage image, bool monochrome,
                                          std::shared_ptr<const TMetaPaletteImage> palette) {
  if ((image.isNull() && !palette) || list_.patterns.size() >= kMaxStoreItems) return -1;
  list_.patterns.push_back({std::move(image), monochrome, std::move(palette)});
  return static_cast<std::int32_t>(list_.patterns.size() - 1);
}

std::int32_t TMetaListBuilder::AddPaletteEntries(const std::vector<QRgb>& entries, std::int32_t& count) {
  const std::size_t kept = std::min(entries.size(), kMaxPaletteEntries - list_.paletteEntries.size());
  const auto first = static_cast<std::int32_t>(list_.paletteEntries.size());
  list_.paletteEntries.insert(list_.paletteEntries.end(), entries.begin(),
                              entries.begin() + static_cast<std::ptrdiff_t>(kept));
  count = static_cast<std::int32_t>(kept);
  return first;
}

void TMetaListBuilder::CreateObjectAt(std::uint32_t slot, const TMetaCommand& create) {
  if (slot >= kMaxEmfSlots) return;
  list_.objectSlots = std::max(list_.objectSlots, static_cast<int>(slot) + 1);
  Add(create.InSlot(static_cast<std::int32_t>(slot)));
}

std::int32_t TMetaListBuilder::CreateObject(const TMetaCommand& create) {
  std::int32_t slot = -1;
  if (!freedSlots_.empty()) {
    slot = *freedSlots_.begin();
    freedSlots_.erase(freedSlots_.begin());
  } else if (slotUsed_.size() < static_cast<std::size_t>(kMaxWmfSlots)) {
    slot = static_cast<std::int32_t>(slotUsed_.size());
    slotUsed_.push_back(false);
  } else {
    return -1;
  }
  slotUsed_[static_cast<std::size_t>(slot)] = true;
  list_.objectSlots = std::max(list_.objectSlots, static_cast<int>(slot) + 1);
  Add(create.InSlot(slot));
  return slot;
}

bool TMetaListBuilder::FreeSlot(std::int32_t slot) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slotUsed_.size() ||
      !slotUsed_[static_cast<std::size_t>(slot)])
    return false;
  slotUsed_[static_cast<std::size_t>(slot)] = false;
  freedSlots_.insert(slot);
  return true;
}

std::int64_t TMetaListBuilder::BitmapPixelsLeft() const {
  return std::min(kMaxMetaBitmapPixels,
                  kMaxMetaPicturePixels - std::min(bitmapPixels_, kMaxMetaPicturePixels));
}
