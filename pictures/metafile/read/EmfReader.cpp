// The EMF reader: the header and the records of mapping, objects, shapes, paths, transforms and
// clipping; the other record families go to their own readers.
#include "metafile/read/EmfReader.h"

#include <uemf.h>
#include <uemf_safe.h>

#include <bit>
#include <cmath>

#include "Graphic.h"
#include "metafile/emfplus/EmfPlusReader.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaBitmapRecords.h"
#include "metafile/read/MetaGdiRecords.h"
#include "metafile/read/MetaTextRecords.h"

namespace {

constexpr std::int64_t kHeaderMinSize = 88;
// Object indices above this are ignored; real files use a few hundred at most.
constexpr std::uint32_t kMaxEmfSlots = 65536;
constexpr double kMaxTransformValue = 1e9;
constexpr double kMinDeterminant = 1e-12;
// Clip regions of more rectangles are ignored: they would cost more to combine than they are worth.
constexpr std::int64_t kMaxClipRects = 1000;
constexpr std::int64_t kRegionHeaderSize = 32;

class TEmfParser {
 public:
  TEmfParser(const QByteArray& bytes, TMetaPlayList& list, const TEmfPlusMetafileReader& readMetafile)
      : bytes_(bytes), file_(bytes), list_(list), readMetafile_(readMetafile) {}

  void Run();

 private:
  void ReadHeader(const TMetaBytes& header);
  void ReadRecord(const TMetaBytes& rec, std::uint32_t type);
  void AddPoints(const TMetaBytes& rec, std::int64_t at, std::int64_t count, bool small);
  void AddPoly(const TMetaBytes& rec, EMetaOp op, bool small);
  void AddPolyPoly(const TMetaBytes& rec, EMetaOp op, bool small);
  void Create(std::uint32_t slot, const TMetaCommand& command);
  void Select(std::uint32_t index);
  void AddTransform(const TMetaBytes& rec, EMetaOp op, std::int32_t mode);
  void AddClipRegion(const TMetaBytes& rec);

  const QByteArray& bytes_;
  TMetaBytes file_;
  TMetaPlayList& list_;
  const TEmfPlusMetafileReader& readMetafile_;
};

bool Decodes(std::uint32_t type) {
  switch (type) {
    case U_EMR_SETMAPMODE:
    case U_EMR_SETPOLYFILLMODE:
    case U_EMR_SETWINDOWORGEX:
    case U_EMR_SETVIEWPORTORGEX:
    case U_EMR_SETWINDOWEXTEX:
    case U_EMR_SETVIEWPORTEXTEX:
    case U_EMR_SCALEWINDOWEXTEX:
    case U_EMR_SCALEVIEWPORTEXTEX:
    case U_EMR_SAVEDC:
    case U_EMR_RESTOREDC:
    case U_EMR_CREATEPEN:
    case U_EMR_EXTCREATEPEN:
    case U_EMR_CREATEBRUSHINDIRECT:
    case U_EMR_CREATEMONOBRUSH:
    case U_EMR_CREATEDIBPATTERNBRUSHPT:
    case U_EMR_EXTCREATEFONTINDIRECTW:
    case U_EMR_CREATEPALETTE:
    case U_EMR_SELECTOBJECT:
    case U_EMR_DELETEOBJECT:
    case U_EMR_MOVETOEX:
    case U_EMR_LINETO:
    case U_EMR_POLYGON:
    case U_EMR_POLYGON16:
    case U_EMR_POLYLINE:
    case U_EMR_POLYLINE16:
    case U_EMR_POLYPOLYGON:
    case U_EMR_POLYPOLYGON16:
    case U_EMR_POLYPOLYLINE:
    case U_EMR_POLYPOLYLINE16:
    case U_EMR_RECTANGLE:
    case U_EMR_ELLIPSE:
    case U_EMR_ROUNDRECT:
    case U_EMR_SETWORLDTRANSFORM:
    case U_EMR_MODIFYWORLDTRANSFORM:
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYBEZIER16:
    case U_EMR_POLYBEZIERTO:
    case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO:
    case U_EMR_POLYLINETO16:
    case U_EMR_FILLPATH:
    case U_EMR_STROKEPATH:
    case U_EMR_STROKEANDFILLPATH:
    case U_EMR_INTERSECTCLIPRECT:
    case U_EMR_EXCLUDECLIPRECT:
    case U_EMR_SELECTCLIPPATH:
    case U_EMR_OFFSETCLIPRGN:
    case U_EMR_ARC:
    case U_EMR_ARCTO:
    case U_EMR_CHORD:
    case U_EMR_PIE:
      return true;
    default:
      return false;
  }
}

bool ValidRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  return right > left && bottom > top;
}

void TEmfParser::ReadHeader(const TMetaBytes& header) {
  const std::int64_t bl = header.I32(8), bt = header.I32(12), br = header.I32(16), bb = header.I32(20);
  const std::int64_t fl = header.I32(24), ft = header.I32(28), fr = header.I32(32), fb = header.I32(36);
  const std::int64_t devX = header.I32(72), devY = header.I32(76), mmX = header.I32(80), mmY = header.I32(84);
  if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
    list_.unitsPerMmX = static_cast<double>(devX) / static_cast<double>(mmX);
    list_.unitsPerMmY = static_cast<double>(devY) / static_cast<double>(mmY);
  }
  std::int64_t width = 0, height = 0;
  if (ValidRect(fl, ft, fr, fb)) {
    // The frame is in 0.01 mm; players map it, in reference-device pixels, onto the target.
    width = std::llround(static_cast<double>(fr - fl) * 96.0 / 2540.0);
    height = std::llround(static_cast<double>(fb - ft) * 96.0 / 2540.0);
    list_.frame = QRectF(QPointF(fl * list_.unitsPerMmX / 100.0, ft * list_.unitsPerMmY / 100.0),
                         QPointF(fr * list_.unitsPerMmX / 100.0, fb * list_.unitsPerMmY / 100.0));
  } else if (br >= bl && bb >= bt) {
    // Bounds are inclusive reference-device pixels.
    width = std::llround(static_cast<double>(br - bl + 1) / list_.unitsPerMmX * 96.0 / 25.4);
    height = std::llround(static_cast<double>(bb - bt + 1) / list_.unitsPerMmY * 96.0 / 25.4);
    list_.frame = QRectF(QPointF(static_cast<double>(bl), static_cast<double>(bt)),
                         QPointF(static_cast<double>(br + 1), static_cast<double>(bb + 1)));
  }
  FitMetafileSize(width, height);
  CheckMetafileSize(width, height);
  list_.width = static_cast<int>(width);
  list_.height = static_cast<int>(height);
  list_.mapMode = U_MM_TEXT;
  list_.devicePixel = 1;
  list_.objectSlots = header.U16(56);
}

void TEmfParser::Run() {
  list_.enhanced = true;
  if (!IsEmf(bytes_)) throw EInvalidGraphic("Not an enhanced metafile");
  std::int64_t pos = 0;
  bool first = true;
  TEmfPlusReader emfPlus(list_, readMetafile_);
  // Every record is at least eight bytes long, so the loop ends within Size / 8 turns.
  for (;;) {
    if (!file_.Has(pos, 8)) throw EInvalidGraphic("Metafile ends without an end record");
    const std::uint32_t type = file_.U32(pos);
    const std::int64_t size = file_.U32(pos + 4);
    if (size < 8 || size % 4 != 0 || !file_.Has(pos, size))
      throw EInvalidGraphic("Metafile record has a bad size");
    if (first && (type != U_EMR_HEADER || size < kHeaderMinSize))
      throw EInvalidGraphic("Enhanced metafile has a bad header");
    // libuemf's checks trust nSize, which is known now to lie inside the file. Records that are not
    // drawn are left unchecked: libuemf cannot check all of them and complains on stderr about those.
    if ((first || Decodes(type)) && U_emf_record_safe(file_.Data(pos, size)) == 0)
      throw EInvalidGraphic("Metafile record is malformed");
    const TMetaBytes rec = file_.Sub(pos, size);
    if (first) {
      ReadHeader(rec);
      first = false;
    } else if (type == U_EMR_EOF) {
      break;
    } else if (TEmfPlusReader::Carries(rec, type)) {
      emfPlus.ReadComment(rec);
    } else {
      const std::size_t firstCommand = list_.commands.size();
      ReadRecord(rec, type);
      emfPlus.NoteGdiCommands(firstCommand, list_.commands.size());
    }
    pos += size;
  }
  emfPlus.Finish();
}

void TEmfParser::AddPoints(const TMetaBytes& rec, std::int64_t at, std::int64_t count, bool small) {
  const std::int64_t step = small ? 4 : 8;
  if (count < 0 || count > rec.Size() / step || !rec.Has(at, step * count))
    throw EInvalidGraphic("Metafile point count does not fit its record");
  list_.CheckRoomForPoints(count);
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t p = at + step * i;
    if (small)
      list_.AddPoint(rec.I16(p), rec.I16(p + 2));
    else
      list_.AddPoint(rec.I32(p), rec.I32(p + 4));
  }
}

void TEmfParser::AddPoly(const TMetaBytes& rec, EMetaOp op, bool small) {
  const std::int64_t count = rec.U32(24);
  const auto first = static_cast<std::int32_t>(list_.points.size());
  AddPoints(rec, 28, count, small);
  list_.Add({op, TMetaPoints{first, static_cast<std::int32_t>(count)}});
}

void TEmfParser::AddPolyPoly(const TMetaBytes& rec, EMetaOp op, bool small) {
  const std::int64_t polygons = rec.U32(24), points = rec.U32(28);
  if (polygons > rec.Size() / 4 || !rec.Has(32, 4 * polygons))
    throw EInvalidGraphic("Metafile polygon count does not fit its record");
  const auto firstPoint = static_cast<std::int32_t>(list_.points.size());
  const auto firstCount = static_cast<std::int32_t>(list_.polyCounts.size());
  std::int64_t total = 0;
  for (std::int64_t i = 0; i < polygons; ++i) {
    const std::int64_t count = rec.U32(32 + 4 * i);
    total += count;
    if (total > points) throw EInvalidGraphic("Metafile polygon counts exceed its point count");
    list_.AddPolyCount(static_cast<std::int32_t>(count));
  }
  AddPoints(rec, 32 + 4 * polygons, points, small);
  list_.Add({op, TMetaPolyPoints{firstPoint, firstCount, static_cast<std::int32_t>(polygons)}});
}

void TEmfParser::Create(std::uint32_t slot, const TMetaCommand& command) {
  if (slot >= kMaxEmfSlots) return;
  list_.objectSlots = std::max(list_.objectSlots, static_cast<int>(slot) + 1);
  list_.Add(command.InSlot(static_cast<std::int32_t>(slot)));
}

void TEmfParser::Select(std::uint32_t index) {
  if (index & U_STOCK_OBJECT)
    list_.Add({EMetaOp::SelectStock, TMetaStock{static_cast<std::int32_t>(index & ~U_STOCK_OBJECT)}});
  else if (index < kMaxEmfSlots)
    list_.Add({EMetaOp::SelectObject, TMetaSlot{static_cast<std::int32_t>(index)}});
}

void TEmfParser::AddTransform(const TMetaBytes& rec, EMetaOp op, std::int32_t mode) {
  double m[6];
  for (int i = 0; i < 6; ++i) {
    m[i] = static_cast<double>(std::bit_cast<float>(rec.U32(8 + 4 * i)));
    // GDI refuses such matrices; beyond this size they only overflow the later arithmetic.
    if (!std::isfinite(m[i]) || std::abs(m[i]) > kMaxTransformValue) return;
  }
  const QTransform matrix(m[0], m[1], m[2], m[3], m[4], m[5]);
  if (op == EMetaOp::SetWorldTransform || mode != U_MWT_IDENTITY) {
    if (std::abs(matrix.determinant()) < kMinDeterminant) return;
  }
  if (list_.transforms.size() >= kMaxMetaCommands) throw EInvalidGraphic("Metafile has too many transforms");
  list_.transforms.push_back(matrix);
  const auto transform = static_cast<std::int32_t>(list_.transforms.size() - 1);
  if (op == EMetaOp::SetWorldTransform)
    list_.Add({op, TMetaIndex{transform}});
  else
    list_.Add({op, TMetaTransformArgs{.transform = transform, .mode = mode}});
}

void TEmfParser::AddClipRegion(const TMetaBytes& rec) {
  const std::int64_t dataSize = rec.U32(8);
  const std::int32_t mode = rec.I32(12);
  if (mode < U_RGN_AND || mode > U_RGN_COPY) return;
  if (dataSize == 0) {
    // Only a copy of no region means anything: back to the default clipping.
    if (mode == U_RGN_COPY)
      list_.Add({EMetaOp::SelectClipRegion, TMetaClipRects{.mode = mode, .first = 0, .count = -1}});
    return;
  }
  if (!rec.Has(16, dataSize) || dataSize < kRegionHeaderSize) return;
  const std::int64_t count = rec.U32(16 + 8);
  if (count > kMaxClipRects || !rec.Has(16 + kRegionHeaderSize, 16 * count) ||
      16 * count > dataSize - kRegionHeaderSize)
    return;
  list_.CheckRoomForPoints(2 * count);
  const auto first = static_cast<std::int32_t>(list_.points.size());
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t at = 16 + kRegionHeaderSize + 16 * i;
    list_.AddPoint(rec.I32(at), rec.I32(at + 4));
    list_.AddPoint(rec.I32(at + 8), rec.I32(at + 12));
  }
  list_.Add({EMetaOp::SelectClipRegion,
             TMetaClipRects{.mode = mode, .first = first, .count = static_cast<std::int32_t>(count)}});
}

void TEmfParser::ReadRecord(const TMetaBytes& rec, std::uint32_t type) {
  switch (type) {
    case U_EMR_SETMAPMODE:
      list_.Add({EMetaOp::SetMapMode, TMetaMode{rec.I32(8)}});
      break;
    case U_EMR_SETPOLYFILLMODE:
      list_.Add({EMetaOp::SetPolyFillMode, TMetaMode{rec.I32(8)}});
      break;
    case U_EMR_SETWINDOWORGEX:
      list_.Add({EMetaOp::SetWindowOrg, TMetaPoint{rec.I32(8), rec.I32(12)}});
      break;
    case U_EMR_SETVIEWPORTORGEX:
      list_.Add({EMetaOp::SetViewportOrg, TMetaPoint{rec.I32(8), rec.I32(12)}});
      break;
    case U_EMR_SETWINDOWEXTEX:
    case U_EMR_SETVIEWPORTEXTEX:
      if (rec.I32(8) == 0 || rec.I32(12) == 0) break;
      list_.Add({type == U_EMR_SETWINDOWEXTEX ? EMetaOp::SetWindowExt : EMetaOp::SetViewportExt,
                 TMetaExtent{rec.I32(8), rec.I32(12)}});
      break;
    case U_EMR_SCALEWINDOWEXTEX:
    case U_EMR_SCALEVIEWPORTEXTEX:
      if (rec.I32(8) == 0 || rec.I32(12) == 0 || rec.I32(16) == 0 || rec.I32(20) == 0) break;
      list_.Add({type == U_EMR_SCALEWINDOWEXTEX ? EMetaOp::ScaleWindowExt : EMetaOp::ScaleViewportExt,
                 TMetaScale{
                     .xNum = rec.I32(8), .xDenom = rec.I32(12), .yNum = rec.I32(16), .yDenom = rec.I32(20)}});
      break;
    case U_EMR_SAVEDC:
      list_.Add({EMetaOp::SaveDC});
      break;
    case U_EMR_RESTOREDC:
      list_.Add({EMetaOp::RestoreDC, TMetaLevel{rec.I32(8)}});
      break;
    case U_EMR_CREATEPEN:
      Create(rec.U32(8),
             {EMetaOp::CreatePen, TMetaPenArgs{.style = static_cast<std::int32_t>(rec.U32(12) & 0xFFFFu),
                                               .width = rec.I32(16),
                                               .colour = list_.Colour(rec.U32(24))}});
      break;
    case U_EMR_EXTCREATEPEN:
      Create(rec.U32(8), EmfExtPenCommand(rec, list_));
      break;
    case U_EMR_CREATEBRUSHINDIRECT:
      Create(rec.U32(8), {EMetaOp::CreateBrush, TMetaBrushArgs{.style = rec.I32(12),
                                                               .colour = list_.Colour(rec.U32(16)),
                                                               .hatch = rec.I32(20)}});
      break;
    case U_EMR_CREATEMONOBRUSH:
    case U_EMR_CREATEDIBPATTERNBRUSHPT:
      Create(rec.U32(8), EmfPatternBrushCommand(rec, type, list_));
      break;
    case U_EMR_EXTCREATEFONTINDIRECTW:
      Create(rec.U32(8), EmfFontCommand(rec, list_));
      break;
    case U_EMR_CREATEPALETTE:
      Create(rec.U32(8), {EMetaOp::CreateOther, TMetaSlot{}});
      if (rec.U32(8) < kMaxEmfSlots && rec.Has(12, 4))
        list_.palettes.Create(rec.U32(8), MetaPaletteEntries(rec, 16, rec.U16(14)));
      break;
    case U_EMR_SELECTPALETTE:
      if (rec.U32(8) & U_STOCK_OBJECT)
        list_.palettes.SelectDefault();
      else
        list_.palettes.Select(rec.U32(8));
      break;
    case U_EMR_SETPALETTEENTRIES:
      if (rec.Has(8, 12))
        list_.palettes.SetEntries(rec.U32(8), rec.U32(12), MetaPaletteEntries(rec, 20, rec.U32(16)));
      break;
    case U_EMR_RESIZEPALETTE:
      if (rec.Has(8, 8)) list_.palettes.Resize(rec.U32(8), rec.U32(12));
      break;
    case U_EMR_SELECTOBJECT:
      Select(rec.U32(8));
      break;
    case U_EMR_DELETEOBJECT:
      if (rec.U32(8) < kMaxEmfSlots) {
        list_.Add({EMetaOp::DeleteObject, TMetaSlot{static_cast<std::int32_t>(rec.U32(8))}});
        list_.palettes.Remove(rec.U32(8));
      }
      break;
    case U_EMR_MOVETOEX:
    case U_EMR_LINETO:
      list_.Add(
          {type == U_EMR_MOVETOEX ? EMetaOp::MoveTo : EMetaOp::LineTo, TMetaPoint{rec.I32(8), rec.I32(12)}});
      break;
    case U_EMR_POLYGON:
      AddPoly(rec, EMetaOp::Polygon, false);
      break;
    case U_EMR_POLYGON16:
      AddPoly(rec, EMetaOp::Polygon, true);
      break;
    case U_EMR_POLYLINE:
      AddPoly(rec, EMetaOp::Polyline, false);
      break;
    case U_EMR_POLYLINE16:
      AddPoly(rec, EMetaOp::Polyline, true);
      break;
    case U_EMR_POLYPOLYGON:
      AddPolyPoly(rec, EMetaOp::PolyPolygon, false);
      break;
    case U_EMR_POLYPOLYGON16:
      AddPolyPoly(rec, EMetaOp::PolyPolygon, true);
      break;
    case U_EMR_POLYPOLYLINE:
      AddPolyPoly(rec, EMetaOp::PolyPolyline, false);
      break;
    case U_EMR_POLYPOLYLINE16:
      AddPolyPoly(rec, EMetaOp::PolyPolyline, true);
      break;
    case U_EMR_RECTANGLE:
    case U_EMR_ELLIPSE:
      list_.Add({type == U_EMR_RECTANGLE ? EMetaOp::Rectangle : EMetaOp::Ellipse,
                 TMetaRect{rec.I32(8), rec.I32(12), rec.I32(16), rec.I32(20)}});
      break;
    case U_EMR_ROUNDRECT:
      list_.Add(
          {EMetaOp::RoundRect, TMetaRoundRect{.box = {rec.I32(8), rec.I32(12), rec.I32(16), rec.I32(20)},
                                              .cornerWidth = rec.I32(24),
                                              .cornerHeight = rec.I32(28)}});
      break;
    case U_EMR_SETTEXTCOLOR:
    case U_EMR_SETBKCOLOR:
    case U_EMR_SETBKMODE:
    case U_EMR_SETTEXTALIGN:
    case U_EMR_EXTTEXTOUTA:
    case U_EMR_EXTTEXTOUTW:
      ReadEmfTextRecord(rec, type, list_);
      break;
    case U_EMR_SETWORLDTRANSFORM:
      AddTransform(rec, EMetaOp::SetWorldTransform, 0);
      break;
    case U_EMR_MODIFYWORLDTRANSFORM:
      AddTransform(rec, EMetaOp::ModifyWorldTransform, rec.I32(32));
      break;
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYBEZIER16:
      AddPoly(rec, EMetaOp::PolyBezier, type == U_EMR_POLYBEZIER16);
      break;
    case U_EMR_POLYBEZIERTO:
    case U_EMR_POLYBEZIERTO16:
      AddPoly(rec, EMetaOp::PolyBezierTo, type == U_EMR_POLYBEZIERTO16);
      break;
    case U_EMR_POLYLINETO:
    case U_EMR_POLYLINETO16:
      AddPoly(rec, EMetaOp::PolylineTo, type == U_EMR_POLYLINETO16);
      break;
    case U_EMR_BEGINPATH:
      list_.Add({EMetaOp::BeginPath});
      break;
    case U_EMR_ENDPATH:
      list_.Add({EMetaOp::EndPath});
      break;
    case U_EMR_CLOSEFIGURE:
      list_.Add({EMetaOp::CloseFigure});
      break;
    case U_EMR_ABORTPATH:
      list_.Add({EMetaOp::AbortPath});
      break;
    case U_EMR_FILLPATH:
      list_.Add({EMetaOp::FillPath});
      break;
    case U_EMR_STROKEPATH:
      list_.Add({EMetaOp::StrokePath});
      break;
    case U_EMR_STROKEANDFILLPATH:
      list_.Add({EMetaOp::StrokeAndFillPath});
      break;
    case U_EMR_INTERSECTCLIPRECT:
    case U_EMR_EXCLUDECLIPRECT:
      list_.Add({type == U_EMR_INTERSECTCLIPRECT ? EMetaOp::IntersectClipRect : EMetaOp::ExcludeClipRect,
                 TMetaRect{rec.I32(8), rec.I32(12), rec.I32(16), rec.I32(20)}});
      break;
    case U_EMR_SELECTCLIPPATH:
      list_.Add({EMetaOp::SelectClipPath, TMetaMode{rec.I32(8)}});
      break;
    case U_EMR_EXTSELECTCLIPRGN:
      if (rec.Size() >= 16) AddClipRegion(rec);
      break;
    case U_EMR_OFFSETCLIPRGN:
      list_.Add({EMetaOp::OffsetClipRegion, TMetaPoint{rec.I32(8), rec.I32(12)}});
      break;
    case U_EMR_SETMETARGN:
      list_.Add({EMetaOp::SetMetaRegion});
      break;
    case U_EMR_ARC:
    case U_EMR_ARCTO:
    case U_EMR_CHORD:
    case U_EMR_PIE: {
      const EMetaOp op = type == U_EMR_ARC     ? EMetaOp::Arc
                         : type == U_EMR_ARCTO ? EMetaOp::ArcTo
                         : type == U_EMR_CHORD ? EMetaOp::Chord
                                               : EMetaOp::Pie;
      list_.CheckRoomForPoints(2);
      const std::int32_t first = list_.AddPoint(rec.I32(24), rec.I32(28));
      list_.AddPoint(rec.I32(32), rec.I32(36));
      list_.Add(
          {op, TMetaArcArgs{.box = {rec.I32(8), rec.I32(12), rec.I32(16), rec.I32(20)}, .rays = first}});
      break;
    }
    case U_EMR_SETARCDIRECTION:
      list_.Add({EMetaOp::SetArcDirection, TMetaMode{rec.I32(8)}});
      break;
    default:
      if (!ReadEmfBitmapRecord(rec, type, list_)) ReadEmfGdiRecord(rec, type, list_);
      break;  // comments are not drawn
  }
}

}  // namespace

bool IsEmf(const QByteArray& bytes) {
  const TMetaBytes view(bytes);
  return view.Has(0, kHeaderMinSize) && view.U32(0) == U_EMR_HEADER && view.U32(40) == U_ENHMETA_SIGNATURE;
}

TMetaPlayList ReadEmf(const QByteArray& bytes, const TEmfPlusMetafileReader& readMetafile) {
  TMetaPlayList list;
  TEmfParser(bytes, list, readMetafile).Run();
  return list;
}
