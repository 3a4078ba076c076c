// Logical palettes made and changed within their bounds, and the colours they resolve.
#include "metafile/play/MetaPalette.h"

#include <algorithm>
#include <array>

namespace {

// The twenty colours of GDI's default palette.
constexpr std::array<QRgb, 20> kDefaultPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),   qRgb(0, 0, 128),
    qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192), qRgb(192, 220, 192), qRgb(166, 202, 240),
    qRgb(255, 251, 240), qRgb(160, 160, 164), qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),
    qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255)};

constexpr std::uint32_t kColourRefRgb = 0x00FFFFFFu;
constexpr std::uint32_t kPaletteIndexMask = 0xFFFFu;

}  // namespace

TMetaPaletteRef TMetaPaletteBudget::Make(const QRgb* entries, std::int64_t count) {
  const std::int64_t size = std::clamp<std::int64_t>(count, 0, kMaxEntries);
  if (size > kMaxTotalEntries - spent_) return nullptr;
  spent_ += size;
  return std::make_shared<TMetaPaletteEntries>(entries, entries + size);
}

void TMetaPaletteBudget::Resize(TMetaPaletteEntries& palette, std::int64_t count) {
  const std::int64_t size = std::clamp<std::int64_t>(count, 0, kMaxEntries);
  const std::int64_t growth = size - static_cast<std::int64_t>(palette.size());
  if (growth > kMaxTotalEntries - spent_) return;
  if (growth > 0) spent_ += growth;
  palette.resize(static_cast<std::size_t>(size), qRgb(0, 0, 0));
}

void SetMetaPaletteEntries(TMetaPaletteEntries& palette, std::int64_t start, const QRgb* entries,
                           std::int64_t count) {
  const auto size = static_cast<std::int64_t>(palette.size());
  if (start < 0 || start >= size) return;
  const std::int64_t n = std::min(count, size - start);
  for (std::int64_t i = 0; i < n; ++i) palette[static_cast<std::size_t>(start + i)] = entries[i];
}

QRgb MetaPaletteEntry(const TMetaPaletteEntries* palette, std::uint32_t index) {
  if (palette == nullptr || palette->empty())
    return index < kDefaultPalette.size() ? kDefaultPalette[index] : kDefaultPalette[0];
  return index < palette->size() ? (*palette)[index] : palette->front();
}

std::uint32_t ResolveMetaColour(const TMetaPaletteEntries* palette, std::uint32_t colourRef) {
  if (!IsMetaPaletteIndex(colourRef)) return colourRef & kColourRefRgb;
  const QRgb colour = MetaPaletteEntry(palette, colourRef & kPaletteIndexMask);
  return static_cast<std::uint32_t>(qRed(colour)) | static_cast<std::uint32_t>(qGreen(colour)) << 8 |
         static_cast<std::uint32_t>(qBlue(colour)) << 16;
}
