// The WMF reader: the placeable and standard headers, the walk through the records, and the switch that
// hands each record it decodes to the reader of its family. A plain WMF takes its size from its first
// window; a WMF that carries a whole EMF in its comments is that EMF.
#include "metafile/read/WmfReader.h"

#include <uwmf.h>

#include <cstdlib>

#include "Graphic.h"
#include "metafile/WmfFormat.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/MetaBitmapRecords.h"
#include "metafile/read/MetaEmbeddedEmf.h"
#include "metafile/read/MetaListBuilder.h"
#include "metafile/read/MetaObjectRecords.h"
#include "metafile/read/MetaRecordFields.h"
#include "metafile/read/MetaRegionRecords.h"
#include "metafile/read/MetaShapeRecords.h"
#include "metafile/read/MetaStateRecords.h"
#include "metafile/read/MetaTextRecords.h"

namespace {

bool IsPlainHeader(const TMetaBytes& bytes, std::int64_t at) {
  using R = U_WMRHEADER;
  if (!bytes.Has(at, kWmfHeaderSize)) return false;
  // The 16-bit metafile type spans libuemf's iType and xb.
  const std::uint16_t type = bytes.U16(at + offsetof(R, iType));
  const std::uint16_t headerWords = bytes.U16(at + offsetof(R, Size16w));
  const std::uint16_t version = bytes.U16(at + offsetof(R, version));
  return (type == U_MEMORYMETAFILE || type == U_DISKMETAFILE) && headerWords == kWmfHeaderWords &&
         (version == U_METAVERSION100 || version == U_METAVERSION300);
}

class TWmfParser {
 public:
  explicit TWmfParser(const QByteArray& bytes) : file_(bytes) {}

  // Reads the whole file; returns its list.
  TMetaPlayList Run();
  const TWmfEmbeddedEmf& EmbeddedEmf() const { return embedded_; }

 private:
  void ReadPlaceable();
  void ReadRecord(const TMetaBytes& rec, std::uint8_t type);
  // A plain metafile has no size of its own: its first window, in pixels, stands for one.
  void NoteWindowOrg(const TMetaBytes& rec);
  void TakeSizeFromWindowExt(const TMetaBytes& rec);
  // Called where a damaged record, or the end of the file without an end record, ends the picture.
  void EndBeforeDamage(std::int64_t headerAt) const;

  TMetaBytes file_;
  TMetaListBuilder builder_;
  TWmfEmbeddedEmf embedded_;
  bool placeable_ = false;
  bool haveWindowExt_ = false;
  QPoint windowOrg_{0, 0};
};

void TWmfParser::ReadPlaceable() {
  using R = U_WMRPLACEABLE;
  TMetaPlayList& list = builder_.List();
  const std::int64_t left = file_.I16(offsetof(R, Dst.left)), top = file_.I16(offsetof(R, Dst.top)),
                     right = file_.I16(offsetof(R, Dst.right)), bottom = file_.I16(offsetof(R, Dst.bottom));
  const std::int64_t inch = file_.U16(offsetof(R, Inch));
  if (right <= left || bottom <= top) throw EInvalidGraphic("Placeable metafile has an empty bounding box");
  if (inch == 0) throw EInvalidGraphic("Placeable metafile has no units per inch");
  const std::int64_t w = right - left, h = bottom - top;
  const std::int64_t width = (w * 96 + inch / 2) / inch, height = (h * 96 + inch / 2) / inch;
  CheckMetafileSize(width, height);
  list.width = static_cast<int>(width);
  list.height = static_cast<int>(height);
  // Players map the bounding box onto the target; the file's own window records then map into it.
  list.mapMode = U_MM_ANISOTROPIC;
  list.windowOrg = QPoint(static_cast<int>(left), static_cast<int>(top));
  list.windowExt = QPoint(static_cast<int>(w), static_cast<int>(h));
  list.viewportExt = list.windowExt;
  list.frame = QRectF(0, 0, static_cast<double>(w), static_cast<double>(h));
  list.unitsPerMmX = list.unitsPerMmY = static_cast<double>(inch) / 25.4;
}

TMetaPlayList TWmfParser::Run() {
  std::int64_t pos = 0;
  if (file_.Has(0, kPlaceableWmfSize) && file_.U32(offsetof(U_WMRPLACEABLE, Key)) == kPlaceableWmfKey) {
    placeable_ = true;
    ReadPlaceable();
    pos = kPlaceableWmfSize;
  }
  if (!IsPlainHeader(file_, pos)) throw EInvalidGraphic("Not a Windows metafile");
  if (!placeable_) builder_.List().mapMode = U_MM_ANISOTROPIC;
  const std::int64_t headerAt = pos;
  pos += kWmfHeaderSize;

  const char* const end = file_.Data(0, file_.Size()) + file_.Size();
  // Every record is at least its head long, so the loop ends within Size / 6 turns. GDI plays the
  // records up to a damaged one (a size below its head, past the end of the file, or one libuemf finds
  // malformed), or to the end of a file without an end record.
  for (;;) {
    const bool headed = file_.Has(pos, kWmfRecordHeadSize);
    const std::int64_t bytes =
        headed ? kWmfWordSize * static_cast<std::int64_t>(file_.U32(pos + offsetof(U_METARECORD, Size16_4)))
               : 0;
    const bool whole = headed && bytes >= kWmfRecordHeadSize && file_.Has(pos, bytes) &&
                       U_WMRRECSAFE_get(file_.Data(pos, bytes), end) != 0;
    if (!whole) {
      EndBeforeDamage(headerAt);
      break;
    }
    const std::uint8_t type = file_.U8(pos + offsetof(U_METARECORD, iType));
    if (type == U_WMR_EOF) break;
    try {
      ReadRecord(file_.Sub(pos, bytes), type);
    } catch (const EDamagedRecord&) {
      EndBeforeDamage(headerAt);
      break;
    }
    pos += bytes;
  }
  return builder_.Finish();
}

void TWmfParser::EndBeforeDamage(std::int64_t headerAt) const {
  // A file shorter than its header says was cut on its way: refused, as GDI refuses to load it. So is
  // one with nothing before its damage, which would be an empty picture of no size of its own.
  const std::int64_t declared =
      kWmfWordSize *
      (static_cast<std::int64_t>(file_.U16(headerAt + offsetof(U_WMRHEADER, Sizew))) |
       static_cast<std::int64_t>(file_.U16(headerAt + offsetof(U_WMRHEADER, Sizew) + 2)) << 16);
  // Some writers count the placeable header in the size, so the whole file is measured.
  if (declared > file_.Size()) throw EInvalidGraphic("Windows metafile is cut short");
  if (builder_.List().commands.empty()) throw EInvalidGraphic("Metafile record has a bad size");
}

void TWmfParser::NoteWindowOrg(const TMetaBytes& rec) {
  if (haveWindowExt_) return;
  const TMetaPoint origin = WmfPoint<U_WMRSETWINDOWORG>(rec);
  windowOrg_ = QPoint(origin.x, origin.y);
}

void TWmfParser::TakeSizeFromWindowExt(const TMetaBytes& rec) {
  const TMetaPoint extent = WmfPoint<U_WMRSETWINDOWEXT>(rec);
  if (extent.x == 0 || extent.y == 0 || haveWindowExt_ || placeable_) return;
  haveWindowExt_ = true;
  const std::int64_t w = std::abs(extent.x), h = std::abs(extent.y);
  // Only the natural size shrinks; the window keeps mapping onto the whole frame.
  std::int64_t width = w, height = h;
  FitMetafileSize(width, height);
  CheckMetafileSize(width, height);
  TMetaPlayList& list = builder_.List();
  list.width = static_cast<int>(width);
  list.height = static_cast<int>(height);
  list.windowOrg = windowOrg_;
  list.windowExt = QPoint(extent.x, extent.y);
  list.viewportExt = QPoint(static_cast<int>(w), static_cast<int>(h));
  list.frame = QRectF(0, 0, static_cast<double>(w), static_cast<double>(h));
}

void TWmfParser::ReadRecord(const TMetaBytes& rec, std::uint8_t type) {
  switch (type) {
    // The device context's state.
    case U_WMR_SETMAPMODE:
      return ReadWmfSetMapMode(rec, builder_);
    case U_WMR_SETWINDOWORG:
      ReadWmfSetWindowOrg(rec, builder_);
      return NoteWindowOrg(rec);
    case U_WMR_SETWINDOWEXT:
      ReadWmfSetWindowExt(rec, builder_);
      return TakeSizeFromWindowExt(rec);
    case U_WMR_SETVIEWPORTORG:
      return ReadWmfSetViewportOrg(rec, builder_);
    case U_WMR_SETVIEWPORTEXT:
      return ReadWmfSetViewportExt(rec, builder_);
    case U_WMR_OFFSETWINDOWORG:
      return ReadWmfOffsetWindowOrg(rec, builder_);
    case U_WMR_OFFSETVIEWPORTORG:
      return ReadWmfOffsetViewportOrg(rec, builder_);
    case U_WMR_SCALEWINDOWEXT:
      return ReadWmfScaleWindowExt(rec, builder_);
    case U_WMR_SCALEVIEWPORTEXT:
      return ReadWmfScaleViewportExt(rec, builder_);
    case U_WMR_SAVEDC:
      return ReadWmfSaveDc(rec, builder_);
    case U_WMR_RESTOREDC:
      return ReadWmfRestoreDc(rec, builder_);
    case U_WMR_SETPOLYFILLMODE:
      return ReadWmfSetPolyFillMode(rec, builder_);
    case U_WMR_SETROP2:
      return ReadWmfSetRop2(rec, builder_);
    // Objects.
    case U_WMR_CREATEPENINDIRECT:
      return ReadWmfCreatePenIndirect(rec, builder_);
    case U_WMR_CREATEBRUSHINDIRECT:
      return ReadWmfCreateBrushIndirect(rec, builder_);
    case U_WMR_CREATEPATTERNBRUSH:
      return ReadWmfCreatePatternBrush(rec, builder_);
    case U_WMR_DIBCREATEPATTERNBRUSH:
      return ReadWmfDibCreatePatternBrush(rec, builder_);
    case U_WMR_CREATEFONTINDIRECT:
      return ReadWmfCreateFontIndirect(rec, builder_);
    case U_WMR_CREATEPALETTE:
      return ReadWmfCreatePalette(rec, builder_);
    case U_WMR_SELECTPALETTE:
      return ReadWmfSelectPalette(rec, builder_);
    case U_WMR_SETPALENTRIES:
    case U_WMR_ANIMATEPALETTE:
      return ReadWmfSetPalEntries(rec, builder_);
    case U_WMR_RESIZEPALETTE:
      return ReadWmfResizePalette(rec, builder_);
    case U_WMR_CREATEREGION:
      return ReadWmfCreateRegion(rec, builder_);
    case U_WMR_SELECTOBJECT:
      return ReadWmfSelectObject(rec, builder_);
    case U_WMR_DELETEOBJECT:
      return ReadWmfDeleteObject(rec, builder_);
    // Lines and shapes.
    case U_WMR_MOVETO:
      return ReadWmfMoveTo(rec, builder_);
    case U_WMR_LINETO:
      return ReadWmfLineTo(rec, builder_);
    case U_WMR_POLYGON:
      return ReadWmfPolygon(rec, builder_);
    case U_WMR_POLYLINE:
      return ReadWmfPolyline(rec, builder_);
    case U_WMR_POLYPOLYGON:
      return ReadWmfPolyPolygon(rec, builder_);
    case U_WMR_RECTANGLE:
      return ReadWmfRectangle(rec, builder_);
    case U_WMR_ELLIPSE:
      return ReadWmfEllipse(rec, builder_);
    case U_WMR_ROUNDRECT:
      return ReadWmfRoundRect(rec, builder_);
    case U_WMR_ARC:
      return ReadWmfArc(rec, builder_);
    case U_WMR_CHORD:
      return ReadWmfChord(rec, builder_);
    case U_WMR_PIE:
      return ReadWmfPie(rec, builder_);
    case U_WMR_SETPIXEL:
      return ReadWmfSetPixel(rec, builder_);
    // Regions and clipping.
    case U_WMR_INTERSECTCLIPRECT:
      return ReadWmfIntersectClipRect(rec, builder_);
    case U_WMR_EXCLUDECLIPRECT:
      return ReadWmfExcludeClipRect(rec, builder_);
    case U_WMR_OFFSETCLIPRGN:
      return ReadWmfOffsetClipRgn(rec, builder_);
    case U_WMR_SELECTCLIPREGION:
      return ReadWmfSelectClipRegion(rec, builder_);
    case U_WMR_FILLREGION:
      return ReadWmfFillRegion(rec, builder_);
    case U_WMR_FRAMEREGION:
      return ReadWmfFrameRegion(rec, builder_);
    case U_WMR_INVERTREGION:
      return ReadWmfInvertRegion(rec, builder_);
    case U_WMR_PAINTREGION:
      return ReadWmfPaintRegion(rec, builder_);
    // Text.
    case U_WMR_SETTEXTCOLOR:
      return ReadWmfSetTextColor(rec, builder_);
    case U_WMR_SETBKCOLOR:
      return ReadWmfSetBkColor(rec, builder_);
    case U_WMR_SETBKMODE:
      return ReadWmfSetBkMode(rec, builder_);
    case U_WMR_SETTEXTALIGN:
      return ReadWmfSetTextAlign(rec, builder_);
    case U_WMR_SETTEXTCHAREXTRA:
      return ReadWmfSetTextCharExtra(rec, builder_);
    case U_WMR_SETTEXTJUSTIFICATION:
      return ReadWmfSetTextJustification(rec, builder_);
    case U_WMR_TEXTOUT:
      return ReadWmfTextOut(rec, builder_);
    case U_WMR_EXTTEXTOUT:
      return ReadWmfExtTextOut(rec, builder_);
    // Bitmaps.
    case U_WMR_STRETCHDIB:
      return ReadWmfStretchDib(rec, builder_);
    case U_WMR_SETDIBTODEV:
      return ReadWmfSetDibToDev(rec, builder_);
    case U_WMR_DIBSTRETCHBLT:
      return ReadWmfDibStretchBlt(rec, builder_);
    case U_WMR_STRETCHBLT:
      return ReadWmfStretchBlt(rec, builder_);
    case U_WMR_DIBBITBLT:
      return ReadWmfDibBitBlt(rec, builder_);
    case U_WMR_BITBLT:
      return ReadWmfBitBlt(rec, builder_);
    case U_WMR_PATBLT:
      return ReadWmfPatBlt(rec, builder_);
    // Comments that may carry an EMF; other escapes are not drawn.
    case U_WMR_ESCAPE:
      return embedded_.Add(rec);
    default:
      return;
  }
}

}  // namespace

bool IsWmf(const QByteArray& bytes) {
  const TMetaBytes view(bytes);
  if (view.Has(0, sizeof(kPlaceableWmfKey)) && view.U32(offsetof(U_WMRPLACEABLE, Key)) == kPlaceableWmfKey)
    return true;
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
  TWmfParser parser(bytes);
  TMetaPlayList list;
  try {
    list = parser.Run();
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
