// The WMF reader: placeable and plain headers, the object table and the records of mapping, objects
// and shapes; the other record families go to their own readers.
#include "metafile/read/WmfReader.h"

#include <uwmf.h>

#include <cstdlib>
#include <set>

#include "Graphic.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/MetaBitmapRecords.h"
#include "metafile/read/MetaEmbeddedEmf.h"
#include "metafile/read/MetaGdiRecords.h"
#include "metafile/read/MetaTextRecords.h"

namespace {

constexpr std::int64_t kPlaceableSize = 22;
constexpr std::int64_t kHeaderSize = 18;
constexpr std::int64_t kRecordHead = 6;
// WMF object indices are 16-bit.
constexpr int kMaxWmfSlots = 65536;

bool IsPlainHeader(const TMetaBytes& bytes, std::int64_t at) {
  if (!bytes.Has(at, kHeaderSize)) return false;
  const std::uint16_t type = bytes.U16(at), headerWords = bytes.U16(at + 2), version = bytes.U16(at + 4);
  return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

// WMF gives each new object the lowest free slot of its object table.
class TWmfSlots {
 public:
  // Returns the slot taken, or -1 when the table is full.
  int Take() {
    if (!freed_.empty()) {
      const int slot = *freed_.begin();
      freed_.erase(freed_.begin());
      used_[static_cast<std::size_t>(slot)] = true;
      return slot;
    }
    if (next_ >= kMaxWmfSlots) return -1;
    used_.push_back(true);
    return next_++;
  }
  // Returns whether the slot held an object.
  bool Free(int slot) {
    if (slot < 0 || slot >= next_ || !used_[static_cast<std::size_t>(slot)]) return false;
    used_[static_cast<std::size_t>(slot)] = false;
    freed_.insert(slot);
    return true;
  }
  int Count() const { return next_; }

 private:
  std::vector<bool> used_;
  std::set<int> freed_;
  int next_ = 0;
};

class TWmfParser {
 public:
  TWmfParser(const QByteArray& bytes, TMetaPlayList& list) : file_(bytes), list_(list) {}

  void Run();
  const TWmfEmbeddedEmf& EmbeddedEmf() const { return embedded_; }

 private:
  void ReadPlaceable();
  void ReadRecord(const TMetaBytes& rec, std::uint8_t type);
  void AddPoints(const TMetaBytes& rec, std::int64_t at, std::int64_t count);
  // Places the object in the lowest free slot, as GDI does; returns the slot, or -1 when none is left.
  int Create(const TMetaCommand& command);

  TMetaBytes file_;
  TMetaPlayList& list_;
  TWmfSlots slots_;
  TWmfEmbeddedEmf embedded_;
  bool placeable_ = false;
  bool haveWindowExt_ = false;
  QPoint windowOrg_{0, 0};
};

void TWmfParser::ReadPlaceable() {
  const std::int64_t left = file_.I16(6), top = file_.I16(8), right = file_.I16(10), bottom = file_.I16(12);
  const std::int64_t inch = file_.U16(14);
  if (right <= left || bottom <= top) throw EInvalidGraphic("Placeable metafile has an empty bounding box");
  if (inch == 0) throw EInvalidGraphic("Placeable metafile has no units per inch");
  const std::int64_t w = right - left, h = bottom - top;
  const std::int64_t width = (w * 96 + inch / 2) / inch, height = (h * 96 + inch / 2) / inch;
  CheckMetafileSize(width, height);
  list_.width = static_cast<int>(width);
  list_.height = static_cast<int>(height);
  // Players map the bounding box onto the target; the file's own window records then map into it.
  list_.mapMode = U_MM_ANISOTROPIC;
  list_.windowOrg = QPoint(static_cast<int>(left), static_cast<int>(top));
  list_.windowExt = QPoint(static_cast<int>(w), static_cast<int>(h));
  list_.viewportExt = list_.windowExt;
  list_.frame = QRectF(0, 0, static_cast<double>(w), static_cast<double>(h));
  list_.unitsPerMmX = list_.unitsPerMmY = static_cast<double>(inch) / 25.4;
}

void TWmfParser::Run() {
  std::int64_t pos = 0;
  if (file_.Has(0, kPlaceableSize) && file_.U32(0) == kPlaceableWmfKey) {
    placeable_ = true;
    ReadPlaceable();
    pos = kPlaceableSize;
  }
  if (!IsPlainHeader(file_, pos)) throw EInvalidGraphic("Not a Windows metafile");
  if (!placeable_) list_.mapMode = U_MM_ANISOTROPIC;
  pos += kHeaderSize;

  const char* const end = file_.Data(0, file_.Size()) + file_.Size();
  // Every record is at least six bytes long, so the loop ends within Size / 6 turns.
  for (;;) {
    if (!file_.Has(pos, kRecordHead)) throw EInvalidGraphic("Metafile ends without an end record");
    const std::int64_t bytes = 2 * static_cast<std::int64_t>(file_.U32(pos));
    if (bytes < kRecordHead || !file_.Has(pos, bytes))
      throw EInvalidGraphic("Metafile record has a bad size");
    const char* start = file_.Data(pos, bytes);
    if (U_WMRRECSAFE_get(start, end) == 0) throw EInvalidGraphic("Metafile record has a bad size");
    const std::uint8_t type = static_cast<std::uint8_t>(file_.U16(pos + 4) & 0xFF);
    if (type == U_WMR_EOF) break;
    ReadRecord(file_.Sub(pos, bytes), type);
    pos += bytes;
  }
  list_.objectSlots = slots_.Count();
}

void TWmfParser::AddPoints(const TMetaBytes& rec, std::int64_t at, std::int64_t count) {
  if (!rec.Has(at, 4 * count)) throw EInvalidGraphic("Metafile point count does not fit its record");
  list_.CheckRoomForPoints(count);
  for (std::int64_t i = 0; i < count; ++i) list_.AddPoint(rec.I16(at + 4 * i), rec.I16(at + 4 * i + 2));
}

int TWmfParser::Create(const TMetaCommand& command) {
  const int slot = slots_.Take();
  if (slot < 0) return -1;
  list_.Add(command.InSlot(slot));
  return slot;
}

void TWmfParser::ReadRecord(const TMetaBytes& rec, std::uint8_t type) {
  // Parameters of WMF records come in reverse order: y before x, bottom before top.
  switch (type) {
    case U_WMR_SETMAPMODE:
      list_.Add({EMetaOp::SetMapMode, TMetaMode{rec.U16(6)}});
      break;
    case U_WMR_SETPOLYFILLMODE:
      list_.Add({EMetaOp::SetPolyFillMode, TMetaMode{rec.U16(6)}});
      break;
    case U_WMR_SETWINDOWORG:
      list_.Add({EMetaOp::SetWindowOrg, TMetaPoint{rec.I16(8), rec.I16(6)}});
      if (!haveWindowExt_) windowOrg_ = QPoint(rec.I16(8), rec.I16(6));
      break;
    case U_WMR_SETWINDOWEXT:
    case U_WMR_SETVIEWPORTEXT: {
      const std::int16_t x = rec.I16(8), y = rec.I16(6);
      if (x == 0 || y == 0) break;
      const bool window = type == U_WMR_SETWINDOWEXT;
      list_.Add({window ? EMetaOp::SetWindowExt : EMetaOp::SetViewportExt, TMetaExtent{x, y}});
      if (window && !haveWindowExt_ && !placeable_) {
        // A plain metafile has no size of its own: its first window, in pixels, stands for one.
        haveWindowExt_ = true;
        const std::int64_t w = std::abs(static_cast<int>(x)), h = std::abs(static_cast<int>(y));
        // Only the natural size shrinks; the window keeps mapping onto the whole frame.
        std::int64_t width = w, height = h;
        FitMetafileSize(width, height);
        CheckMetafileSize(width, height);
        list_.width = static_cast<int>(width);
        list_.height = static_cast<int>(height);
        list_.windowOrg = windowOrg_;
        list_.windowExt = QPoint(x, y);
        list_.viewportExt = QPoint(static_cast<int>(w), static_cast<int>(h));
        list_.frame = QRectF(0, 0, static_cast<double>(w), static_cast<double>(h));
      }
      break;
    }
    case U_WMR_SETVIEWPORTORG:
      list_.Add({EMetaOp::SetViewportOrg, TMetaPoint{rec.I16(8), rec.I16(6)}});
      break;
    case U_WMR_OFFSETWINDOWORG:
      list_.Add({EMetaOp::OffsetWindowOrg, TMetaPoint{rec.I16(8), rec.I16(6)}});
      break;
    case U_WMR_OFFSETVIEWPORTORG:
      list_.Add({EMetaOp::OffsetViewportOrg, TMetaPoint{rec.I16(8), rec.I16(6)}});
      break;
    case U_WMR_SCALEWINDOWEXT:
    case U_WMR_SCALEVIEWPORTEXT: {
      const std::int16_t yDenom = rec.I16(6), yNum = rec.I16(8), xDenom = rec.I16(10), xNum = rec.I16(12);
      if (yDenom == 0 || yNum == 0 || xDenom == 0 || xNum == 0) break;
      list_.Add({type == U_WMR_SCALEWINDOWEXT ? EMetaOp::ScaleWindowExt : EMetaOp::ScaleViewportExt,
                 TMetaScale{.xNum = xNum, .xDenom = xDenom, .yNum = yNum, .yDenom = yDenom}});
      break;
    }
    case U_WMR_SAVEDC:
      list_.Add({EMetaOp::SaveDC});
      break;
    case U_WMR_RESTOREDC:
      list_.Add({EMetaOp::RestoreDC, TMetaLevel{rec.I16(6)}});
      break;
    case U_WMR_CREATEPENINDIRECT:
      Create({EMetaOp::CreatePen,
              TMetaPenArgs{.style = rec.U16(6), .width = rec.I16(8), .colour = list_.Colour(rec.U32(12))}});
      break;
    case U_WMR_CREATEBRUSHINDIRECT:
      Create({EMetaOp::CreateBrush,
              TMetaBrushArgs{.style = rec.U16(6), .colour = list_.Colour(rec.U32(8)), .hatch = rec.U16(12)}});
      break;
    case U_WMR_CREATEPATTERNBRUSH:
    case U_WMR_DIBCREATEPATTERNBRUSH:
      Create(WmfPatternBrushCommand(rec, type, list_));
      break;
    case U_WMR_ESCAPE:
      embedded_.Add(rec);
      break;
    case U_WMR_CREATEFONTINDIRECT:
      Create(WmfFontCommand(rec, list_));
      break;
    case U_WMR_CREATEPALETTE: {
      const int slot = Create({EMetaOp::CreateOther, TMetaSlot{}});
      if (slot >= 0 && rec.Has(6, 4)) list_.palettes.Create(slot, MetaPaletteEntries(rec, 10, rec.U16(8)));
      break;
    }
    case U_WMR_SELECTPALETTE:
      if (rec.Has(6, 2)) list_.palettes.Select(rec.U16(6));
      break;
    case U_WMR_SETPALENTRIES:
    case U_WMR_ANIMATEPALETTE:
      if (rec.Has(6, 4))
        list_.palettes.SetEntries(TMetaPalettes::kSelected, rec.U16(6),
                                  MetaPaletteEntries(rec, 10, rec.U16(8)));
      break;
    case U_WMR_RESIZEPALETTE:
      if (rec.Has(6, 2)) list_.palettes.Resize(TMetaPalettes::kSelected, rec.U16(6));
      break;
    case U_WMR_CREATEREGION:
      Create(WmfRegionCommand(rec, list_));
      break;
    case U_WMR_SELECTOBJECT:
      list_.Add({EMetaOp::SelectObject, TMetaSlot{rec.U16(6)}});
      break;
    case U_WMR_DELETEOBJECT:
      if (slots_.Free(rec.U16(6))) {
        list_.Add({EMetaOp::DeleteObject, TMetaSlot{rec.U16(6)}});
        list_.palettes.Remove(rec.U16(6));
      }
      break;
    case U_WMR_MOVETO:
    case U_WMR_LINETO:
      list_.Add(
          {type == U_WMR_MOVETO ? EMetaOp::MoveTo : EMetaOp::LineTo, TMetaPoint{rec.I16(8), rec.I16(6)}});
      break;
    case U_WMR_POLYGON:
    case U_WMR_POLYLINE: {
      const std::int64_t count = rec.I16(6);
      if (count < 0) throw EInvalidGraphic("Metafile has a negative point count");
      const auto first = static_cast<std::int32_t>(list_.points.size());
      AddPoints(rec, 8, count);
      list_.Add({type == U_WMR_POLYGON ? EMetaOp::Polygon : EMetaOp::Polyline,
                 TMetaPoints{first, static_cast<std::int32_t>(count)}});
      break;
    }
    case U_WMR_POLYPOLYGON: {
      const std::int64_t polygons = rec.U16(6);
      if (!rec.Has(8, 2 * polygons)) throw EInvalidGraphic("Metafile polygon count does not fit its record");
      const auto firstPoint = static_cast<std::int32_t>(list_.points.size());
      const auto firstCount = static_cast<std::int32_t>(list_.polyCounts.size());
      std::int64_t total = 0;
      for (std::int64_t i = 0; i < polygons; ++i) {
        const std::uint16_t count = rec.U16(8 + 2 * i);
        total += count;
        list_.AddPolyCount(count);
      }
      AddPoints(rec, 8 + 2 * polygons, total);
      list_.Add({EMetaOp::PolyPolygon,
                 TMetaPolyPoints{firstPoint, firstCount, static_cast<std::int32_t>(polygons)}});
      break;
    }
    case U_WMR_RECTANGLE:
    case U_WMR_ELLIPSE:
      list_.Add({type == U_WMR_RECTANGLE ? EMetaOp::Rectangle : EMetaOp::Ellipse,
                 TMetaRect{rec.I16(12), rec.I16(10), rec.I16(8), rec.I16(6)}});
      break;
    case U_WMR_ROUNDRECT:
      list_.Add(
          {EMetaOp::RoundRect, TMetaRoundRect{.box = {rec.I16(16), rec.I16(14), rec.I16(12), rec.I16(10)},
                                              .cornerWidth = rec.I16(8),
                                              .cornerHeight = rec.I16(6)}});
      break;
    case U_WMR_SETTEXTCOLOR:
    case U_WMR_SETBKCOLOR:
    case U_WMR_SETBKMODE:
    case U_WMR_SETTEXTALIGN:
    case U_WMR_SETTEXTCHAREXTRA:
    case U_WMR_TEXTOUT:
    case U_WMR_EXTTEXTOUT:
      ReadWmfTextRecord(rec, type, list_);
      break;
    case U_WMR_INTERSECTCLIPRECT:
    case U_WMR_EXCLUDECLIPRECT:
      list_.Add({type == U_WMR_INTERSECTCLIPRECT ? EMetaOp::IntersectClipRect : EMetaOp::ExcludeClipRect,
                 TMetaRect{rec.I16(12), rec.I16(10), rec.I16(8), rec.I16(6)}});
      break;
    case U_WMR_ARC:
    case U_WMR_CHORD:
    case U_WMR_PIE: {
      const EMetaOp op = type == U_WMR_ARC     ? EMetaOp::Arc
                         : type == U_WMR_CHORD ? EMetaOp::Chord
                                               : EMetaOp::Pie;
      const std::int16_t left = rec.I16(20), top = rec.I16(18), right = rec.I16(16), bottom = rec.I16(14);
      list_.CheckRoomForPoints(2);
      const std::int32_t first = list_.AddPoint(rec.I16(12), rec.I16(10));
      list_.AddPoint(rec.I16(8), rec.I16(6));
      list_.Add({op, TMetaArcArgs{.box = {left, top, right, bottom}, .rays = first}});
      break;
    }
    case U_WMR_OFFSETCLIPRGN:
      list_.Add({EMetaOp::OffsetClipRegion, TMetaPoint{rec.I16(8), rec.I16(6)}});
      break;
    default:
      if (!ReadWmfBitmapRecord(rec, type, list_)) ReadWmfGdiRecord(rec, type, list_);
      break;  // other escapes are not drawn
  }
}

}  // namespace

bool IsWmf(const QByteArray& bytes) {
  const TMetaBytes view(bytes);
  if (view.Has(0, 4) && view.U32(0) == kPlaceableWmfKey) return true;
  return IsPlainHeader(view, 0);
}

namespace {

// The EMF the WMF carries, when it is whole and reads as an EMF.
bool ReadEmbeddedEmf(const TWmfParser& parser, const TEmfPlusMetafileReader& readMetafile,
                     TMetaPlayList& list) {
  const QByteArray emf = parser.EmbeddedEmf().Complete();
  if (emf.isEmpty() || !IsEmf(emf)) return false;
  TMetaPlayList read;
  try {
    read = ReadEmf(emf, readMetafile);
  } catch (const EInvalidGraphic&) {
    return false;
  }
  // An EMF with nothing this player draws leaves the WMF records as the better picture.
  if (read.commands.empty()) return false;
  list = std::move(read);
  return true;
}

}  // namespace

TMetaPlayList ReadWmf(const QByteArray& bytes, const TEmfPlusMetafileReader& readMetafile) {
  TMetaPlayList list;
  TWmfParser parser(bytes, list);
  try {
    parser.Run();
  } catch (const EInvalidGraphic&) {
    // Records after a whole embedded EMF do not matter: the EMF is drawn.
    TMetaPlayList embedded;
    if (ReadEmbeddedEmf(parser, readMetafile, embedded)) return embedded;
    throw;
  }
  TMetaPlayList embedded;
  if (ReadEmbeddedEmf(parser, readMetafile, embedded)) return embedded;
  return list;
}
