// The logical palettes a picture creates, as the player's object table and device contexts share them,
// and the colours they resolve.
#pragma once

#include <QRgb>
#include <cstdint>
#include <memory>
#include <vector>

#include "metafile/model/MetaCommand.h"

// A logical palette's entries. GDI changes a palette in place, so the object table and every device
// context (saved ones too) that selected it share one: a change reaches all of them. A palette that is
// deleted while selected stays in use, as GDI refuses to delete it.
using TMetaPaletteEntries = std::vector<QRgb>;
using TMetaPaletteRef = std::shared_ptr<TMetaPaletteEntries>;

// Makes and grows palettes within bounds, so that a hostile file cannot make them large: at most
// kMaxEntries entries each, and all that a picture creates or grows together at most kMaxTotalEntries.
class TMetaPaletteBudget {
 public:
  static constexpr std::int64_t kMaxEntries = kMaxMetaPaletteEntries;
  static constexpr std::int64_t kMaxTotalEntries = 1 << 20;

  // A palette of the first kMaxEntries of the count entries; null when the budget is spent.
  TMetaPaletteRef Make(const QRgb* entries, std::int64_t count);
  // Cuts or grows the palette to count entries (at most kMaxEntries), new ones black; unchanged when
  // the growth is beyond the budget.
  void Resize(TMetaPaletteEntries& palette, std::int64_t count);

 private:
  std::int64_t spent_ = 0;
};

// Sets the palette's entries from start on to the count entries given, as far as the palette reaches.
void SetMetaPaletteEntries(TMetaPaletteEntries& palette, std::int64_t start, const QRgb* entries,
                           std::int64_t count);

// The colour of an entry of the palette, GDI's default palette when it is null or empty; an index
// beyond the palette takes entry 0.
QRgb MetaPaletteEntry(const TMetaPaletteEntries* palette, std::uint32_t index);

// True for a PALETTEINDEX colour reference (COLORREF type 1, the entry's index in its low word).
constexpr bool IsMetaPaletteIndex(std::uint32_t colourRef) {
  return (colourRef >> 24) == 0x01;
}

// A colour reference (COLORREF) as 0x00BBGGRR: a PALETTEINDEX one takes its entry of the palette (null:
// the default one); the others keep their colour bits.
std::uint32_t ResolveMetaColour(const TMetaPaletteEntries* palette, std::uint32_t colourRef);
