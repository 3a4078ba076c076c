// The logical palettes of a metafile as its records leave them, and the colours they resolve.
#include "metafile/read/MetaPalette.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

// The twenty colours of GDI's default palette.
constexpr std::array<QRgb, 20> kDefaultPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),   qRgb(0, 0, 128),
    qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192), qRgb(192, 220, 192), qRgb(166, 202, 240),
    qRgb(255, 251, 240), qRgb(160, 160, 164), qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),
    qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255)};

constexpr std::uint32_t kPaletteIndexType = 0x01;

// A palette entry as GDI writes it (PALETTEENTRY: red, green, blue, flags); libuemf's U_LOGPLTNTRY and
// U_PLTNTRY name its bytes in other orders.
struct TPaletteEntry {
  std::uint8_t red, green, blue, flags;
};

}  // namespace

void TMetaPalettes::Create(std::int64_t slot, std::vector<QRgb> entries) {
  Remove(slot);
  if (entries.size() > kMaxEntries) entries.resize(kMaxEntries);
  if (totalEntries_ + static_cast<std::int64_t>(entries.size()) > kMaxTotalEntries) return;
  totalEntries_ += static_cast<std::int64_t>(entries.size());
  palettes_[slot] = std::move(entries);
}

void TMetaPalettes::Remove(std::int64_t slot) {
  const auto found = palettes_.find(slot);
  if (found == palettes_.end()) return;
  if (selected_ == slot) {
    // GDI does not delete a palette that is selected: it stays in use, no longer in its slot.
    auto kept = std::move(found->second);
    palettes_.erase(found);
    const auto orphan = palettes_.find(kOrphan);
    if (orphan != palettes_.end()) totalEntries_ -= static_cast<std::int64_t>(orphan->second.size());
    palettes_[kOrphan] = std::move(kept);
    selected_ = kOrphan;
    return;
  }
  totalEntries_ -= static_cast<std::int64_t>(found->second.size());
  palettes_.erase(found);
}

void TMetaPalettes::Select(std::int64_t slot) {
  selected_ = slot >= 0 && palettes_.count(slot) != 0 ? slot : kSelected;
}

void TMetaPalettes::SelectDefault() {
  selected_ = kSelected;
}

std::vector<QRgb>* TMetaPalettes::Palette(std::int64_t slot) {
  if (slot == kSelected) slot = selected_;
  const auto found = palettes_.find(slot);
  return found == palettes_.end() ? nullptr : &found->second;
}

void TMetaPalettes::SetEntries(std::int64_t slot, std::uint32_t start, const std::vector<QRgb>& entries) {
  std::vector<QRgb>* palette = Palette(slot);
  if (palette == nullptr) return;
  for (std::size_t i = 0; i < entries.size() && start + i < palette->size(); ++i)
    (*palette)[start + i] = entries[i];
}

void TMetaPalettes::Resize(std::int64_t slot, std::uint32_t count) {
  std::vector<QRgb>* palette = Palette(slot);
  if (palette == nullptr) return;
  const std::int64_t size = std::min<std::int64_t>(count, kMaxEntries);
  const std::int64_t growth = size - static_cast<std::int64_t>(palette->size());
  if (totalEntries_ + growth > kMaxTotalEntries) return;
  totalEntries_ += growth;
  palette->resize(static_cast<std::size_t>(size), qRgb(0, 0, 0));
}

QRgb TMetaPalettes::Entry(std::uint32_t index) const {
  const auto found = palettes_.find(selected_);
  if (found == palettes_.end() || found->second.empty())
    return index < kDefaultPalette.size() ? kDefaultPalette[index] : kDefaultPalette[0];
  const std::vector<QRgb>& palette = found->second;
  return index < palette.size() ? palette[index] : palette[0];
}

std::uint32_t TMetaPalettes::Resolve(std::uint32_t colourRef) const {
  if ((colourRef >> 24) != kPaletteIndexType) return colourRef & 0x00FFFFFFu;
  const QRgb colour = Entry(colourRef & 0xFFFFu);
  return static_cast<std::uint32_t>(qRed(colour)) | static_cast<std::uint32_t>(qGreen(colour)) << 8 |
         static_cast<std::uint32_t>(qBlue(colour)) << 16;
}

std::vector<QRgb> MetaPaletteEntries(const TMetaBytes& rec, std::int64_t at, std::uint32_t count) {
  std::vector<QRgb> entries;
  for (std::uint32_t i = 0; i < count && i < TMetaPalettes::kMaxEntries; ++i) {
    const std::int64_t entry = at + static_cast<std::int64_t>(sizeof(TPaletteEntry)) * i;
    if (!rec.Has(entry, sizeof(TPaletteEntry))) break;
    entries.push_back(qRgb(rec.U8(entry + offsetof(TPaletteEntry, red)),
                           rec.U8(entry + offsetof(TPaletteEntry, green)),
                           rec.U8(entry + offsetof(TPaletteEntry, blue))));
  }
  return entries;
}
