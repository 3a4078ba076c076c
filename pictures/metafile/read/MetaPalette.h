// The logical palettes that WMF and EMF records create, change and select, and palette records' entries.
#pragma once

#include <QRgb>
#include <cstdint>
#include <map>
#include <vector>

#include "metafile/model/MetaBytes.h"

// The logical palettes of a metafile, as the records read so far have created, changed and selected
// them. Colours that name a palette entry (PALETTEINDEX colour references, DIB_PAL_COLORS colour
// tables) take their colour from the selected palette, or from GDI's default palette when the file
// has selected none. Readers resolve such colours as they read, since records are played in order.
class TMetaPalettes {
 public:
  // Palettes keep at most this many entries each, and all of them together at most kMaxTotalEntries:
  // a hostile file cannot make them large.
  static constexpr std::uint32_t kMaxEntries = 1024;
  static constexpr std::int64_t kMaxTotalEntries = 1 << 20;

  void Create(std::int64_t slot, std::vector<QRgb> entries);
  void Remove(std::int64_t slot);
  // Selects the palette in the slot; a slot holding none, or the stock default palette, selects the
  // default palette.
  void Select(std::int64_t slot);
  void SelectDefault();
  // Changes entries from start on of the palette in the slot; kSelected stands for the selected one.
  void SetEntries(std::int64_t slot, std::uint32_t start, const std::vector<QRgb>& entries);
  void Resize(std::int64_t slot, std::uint32_t count);
  static constexpr std::int64_t kSelected = -1;

  // The colour of a palette entry of the selected palette; an index beyond it takes entry 0.
  QRgb Entry(std::uint32_t index) const;
  // A colour reference (0x00BBGGRR with its type in the top byte) as 0x00BBGGRR: a PALETTEINDEX
  // reference (type 1) takes its entry's colour; the others keep their colour bits.
  std::uint32_t Resolve(std::uint32_t colourRef) const;

 private:
  // Where a selected palette goes when its slot is deleted.
  static constexpr std::int64_t kOrphan = -2;
  std::vector<QRgb>* Palette(std::int64_t slot);
  std::map<std::int64_t, std::vector<QRgb>> palettes_;
  std::int64_t selected_ = kSelected;  // no palette of the file's: the default one
  std::int64_t totalEntries_ = 0;
};

// The entries of a palette record: count entries of four bytes (red, green, blue, flags) from `at`,
// as many as the record holds.
std::vector<QRgb> MetaPaletteEntries(const TMetaBytes& rec, std::int64_t at, std::uint32_t count);
