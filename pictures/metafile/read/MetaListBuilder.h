// The play list as both readers build it, with the state only reading needs: the limits of its stores,
// the object slots and the bitmap budget.
#pragma once

#include <QImage>
#include <QRect>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "metafile/model/MetaBitmap.h"
#include "metafile/model/MetaCommand.h"
#include "metafile/model/MetaGradient.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/model/MetaText.h"

// EMF object indices above this are ignored; real files use a few hundred at most.
inline constexpr std::uint32_t kMaxEmfSlots = 65536;
// WMF object indices are 16-bit.
inline constexpr int kMaxWmfSlots = 65536;
// All text of a file together, beyond which the file is refused.
inline constexpr std::int64_t kMaxMetaTotalTextChars = std::int64_t{1} << 22;
// Decoded bitmap pixels allowed in one bitmap and in one picture, so that records claiming huge
// sizes cannot exhaust memory (about 24 MB and 64 MB of 32-bit pixels).
inline constexpr std::int64_t kMaxMetaBitmapPixels = 6'000'000;
inline constexpr std::int64_t kMaxMetaPicturePixels = 16'000'000;

// Every Add throws EInvalidGraphic when the list would grow beyond its limits, so that a hostile file
// cannot exhaust memory while it is read; those returning an index return the added item's.
class TMetaListBuilder {
 public:
  // The list being built: the picture's size and starting state are set on it directly.
  TMetaPlayList& List() { return list_; }
  const TMetaPlayList& List() const { return list_; }
  // The list read; the builder is left empty.
  TMetaPlayList Finish();

  void Add(const TMetaCommand& command);
  // Throws EInvalidGraphic when count more points would make the list too large.
  void CheckRoomForPoints(std::int64_t count) const;
  std::int32_t AddPoint(std::int32_t x, std::int32_t y);
  std::int32_t AddPolyCount(std::int32_t count);
  std::int32_t AddPolyDrawType(std::uint8_t type);
  std::int32_t AddTransform(const QTransform& matrix);
  std::int32_t AddGradient(TMetaGradient gradient);
  // Adds the rectangles; returns them as a region of their own.
  TMetaRegion AddRegionRects(const std::vector<QRect>& rects);
  // The dash lengths' first index, or -1 when the store is full: the pen is then drawn without them.
  std::int32_t AddPenDashes(const std::vector<std::uint32_t>& dashes);
  std::int32_t AddFont(TMetaFont font);
  // Counts the run's characters against the file's text budget.
  std::int32_t AddText(TMetaTextRun run);
  // Adds the blit and the command that draws it; a blit beyond the store's limit is left out.
  void AddBlit(TMetaBlit blit);
  // The pattern's index, or -1 for a null image (without a palette image) or a full store.
  std::int32_t AddPattern(QImage image, bool monochrome,
                          std::shared_ptr<const TMetaPaletteImage> palette = nullptr);

  // Object slots. An EMF record names the slot of the object it creates, and slots of kMaxEmfSlots and
  // beyond are ignored; a WMF one takes the lowest free slot, as GDI does.
  void CreateObjectAt(std::uint32_t slot, const TMetaCommand& create);
  // The slot taken, or -1 when the WMF object table is full and the object is left out.
  std::int32_t CreateObject(const TMetaCommand& create);
  // Frees a slot of the WMF object table; false when it held no object.
  bool FreeSlot(std::int32_t slot);

  // The palette entries' first index; entries beyond the store's limit are left out, so that fewer
  // than given may be stored: count says how many were.
  std::int32_t AddPaletteEntries(const std::vector<QRgb>& entries, std::int32_t& count);

  // Decoded bitmap pixels the next bitmap may have: the per-bitmap limit, or less when the picture's
  // budget is nearly spent.
  std::int64_t BitmapPixelsLeft() const;
  void SpendBitmapPixels(std::int64_t pixels) { bitmapPixels_ += pixels; }

 private:
  TMetaPlayList list_;
  std::int64_t textChars_ = 0;
  std::int64_t bitmapPixels_ = 0;
  // The WMF object table: slots in use, and the freed ones below the highest taken.
  std::vector<bool> slotUsed_;
  std::set<std::int32_t> freedSlots_;
};
