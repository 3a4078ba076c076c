// The EMF reader: the header, the walk through the records, and the table of the records it decodes,
// each with the reader of its family and how it is checked; EMF+ comments go to the EMF+ reader.
#include "metafile/read/EmfReader.h"

#include <uemf.h>
#include <uemf_safe.h>

#include <array>
#include <cmath>
#include <stdexcept>

#include "Graphic.h"
#include "metafile/emfplus/EmfPlusReader.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaBitmapRecords.h"
#include "metafile/read/MetaListBuilder.h"
#include "metafile/read/MetaObjectRecords.h"
#include "metafile/read/MetaPathRecords.h"
#include "metafile/read/MetaRecordFields.h"
#include "metafile/read/MetaRegionRecords.h"
#include "metafile/read/MetaShapeRecords.h"
#include "metafile/read/MetaStateRecords.h"
#include "metafile/read/MetaTextRecords.h"

namespace {

// The header as the oldest writers make it, up to szlMillimeters.
constexpr std::int64_t kHeaderMinSize = U_SIZE_EMRHEADER_MIN;
// Records are whole 32-bit words.
constexpr std::int64_t kRecordAlignment = sizeof(std::uint32_t);
// The frame is in 0.01 mm.
constexpr double kFrameUnitsPerMm = 100;
constexpr double kFrameUnitsPerInch = 2540;

// How a record is checked before it is read. Every field is read through TMetaBytes, so reading past
// the record's end refuses the file whatever it claims. A Libuemf record is checked whole by libuemf
// as well, which refuses the file when the record's counts and offsets do not fit it; a Reader record
// is left to its reader, which skips what does not fit.
enum class EEmfCheck : std::uint8_t { Reader, Libuemf };

struct TEmfRecordReader {
  std::uint32_t type = 0;
  void (*read)(const TMetaBytes& rec, TMetaListBuilder& builder) = nullptr;
  EEmfCheck check = EEmfCheck::Reader;
};

constexpr EEmfCheck kLibuemf = EEmfCheck::Libuemf;
constexpr EEmfCheck kReader = EEmfCheck::Reader;

// Every record the reader decodes; the others draw nothing.
constexpr TEmfRecordReader kEmfRecordReaders[] = {
    // The device context's state.
    {U_EMR_SETMAPMODE, ReadEmfSetMapMode, kLibuemf},
    {U_EMR_SETWINDOWORGEX, ReadEmfSetWindowOrg, kLibuemf},
    {U_EMR_SETWINDOWEXTEX, ReadEmfSetWindowExt, kLibuemf},
    {U_EMR_SETVIEWPORTORGEX, ReadEmfSetViewportOrg, kLibuemf},
    {U_EMR_SETVIEWPORTEXTEX, ReadEmfSetViewportExt, kLibuemf},
    {U_EMR_SCALEWINDOWEXTEX, ReadEmfScaleWindowExt, kLibuemf},
    {U_EMR_SCALEVIEWPORTEXTEX, ReadEmfScaleViewportExt, kLibuemf},
    {U_EMR_SAVEDC, ReadEmfSaveDc, kLibuemf},
    {U_EMR_RESTOREDC, ReadEmfRestoreDc, kLibuemf},
    {U_EMR_SETWORLDTRANSFORM, ReadEmfSetWorldTransform, kLibuemf},
    {U_EMR_MODIFYWORLDTRANSFORM, ReadEmfModifyWorldTransform, kLibuemf},
    {U_EMR_SETPOLYFILLMODE, ReadEmfSetPolyFillMode, kLibuemf},
    {U_EMR_SETROP2, ReadEmfSetRop2, kReader},
    {U_EMR_SETARCDIRECTION, ReadEmfSetArcDirection, kReader},
    // Objects.
    {U_EMR_CREATEPEN, ReadEmfCreatePen, kLibuemf},
    {U_EMR_EXTCREATEPEN, ReadEmfExtCreatePen, kLibuemf},
    {U_EMR_CREATEBRUSHINDIRECT, ReadEmfCreateBrushIndirect, kLibuemf},
    {U_EMR_CREATEMONOBRUSH, ReadEmfCreateMonoBrush, kLibuemf},
    {U_EMR_CREATEDIBPATTERNBRUSHPT, ReadEmfCreateDibPatternBrushPt, kLibuemf},
    {U_EMR_EXTCREATEFONTINDIRECTW, ReadEmfExtCreateFontIndirectW, kLibuemf},
    {U_EMR_CREATEPALETTE, ReadEmfCreatePalette, kLibuemf},
    {U_EMR_SELECTPALETTE, ReadEmfSelectPalette, kReader},
    {U_EMR_SETPALETTEENTRIES, ReadEmfSetPaletteEntries, kReader},
    {U_EMR_RESIZEPALETTE, ReadEmfResizePalette, kReader},
    {U_EMR_SELECTOBJECT, ReadEmfSelectObject, kLibuemf},
    {U_EMR_DELETEOBJECT, ReadEmfDeleteObject, kLibuemf},
    // Lines and shapes.
    {U_EMR_MOVETOEX, ReadEmfMoveToEx, kLibuemf},
    {U_EMR_LINETO, ReadEmfLineTo, kLibuemf},
    {U_EMR_POLYGON, ReadEmfPolygon, kLibuemf},
    {U_EMR_POLYGON16, ReadEmfPolygon16, kLibuemf},
    {U_EMR_POLYLINE, ReadEmfPolyline, kLibuemf},
    {U_EMR_POLYLINE16, ReadEmfPolyline16, kLibuemf},
    {U_EMR_POLYLINETO, ReadEmfPolylineTo, kLibuemf},
    {U_EMR_POLYLINETO16, ReadEmfPolylineTo16, kLibuemf},
    {U_EMR_POLYBEZIER, ReadEmfPolyBezier, kLibuemf},
    {U_EMR_POLYBEZIER16, ReadEmfPolyBezier16, kLibuemf},
    {U_EMR_POLYBEZIERTO, ReadEmfPolyBezierTo, kLibuemf},
    {U_EMR_POLYBEZIERTO16, ReadEmfPolyBezierTo16, kLibuemf},
    {U_EMR_POLYPOLYGON, ReadEmfPolyPolygon, kLibuemf},
    {U_EMR_POLYPOLYGON16, ReadEmfPolyPolygon16, kLibuemf},
    {U_EMR_POLYPOLYLINE, ReadEmfPolyPolyline, kLibuemf},
    {U_EMR_POLYPOLYLINE16, ReadEmfPolyPolyline16, kLibuemf},
    {U_EMR_POLYDRAW, ReadEmfPolyDraw, kReader},
    {U_EMR_POLYDRAW16, ReadEmfPolyDraw16, kReader},
    {U_EMR_RECTANGLE, ReadEmfRectangle, kLibuemf},
    {U_EMR_ELLIPSE, ReadEmfEllipse, kLibuemf},
    {U_EMR_ROUNDRECT, ReadEmfRoundRect, kLibuemf},
    {U_EMR_ARC, ReadEmfArc, kLibuemf},
    {U_EMR_ARCTO, ReadEmfArcTo, kLibuemf},
    {U_EMR_CHORD, ReadEmfChord, kLibuemf},
    {U_EMR_PIE, ReadEmfPie, kLibuemf},
    {U_EMR_ANGLEARC, ReadEmfAngleArc, kReader},
    {U_EMR_SETPIXELV, ReadEmfSetPixelV, kReader},
    {U_EMR_GRADIENTFILL, ReadEmfGradientFill, kReader},
    // Paths.
    {U_EMR_BEGINPATH, ReadEmfBeginPath, kReader},
    {U_EMR_ENDPATH, ReadEmfEndPath, kReader},
    {U_EMR_CLOSEFIGURE, ReadEmfCloseFigure, kReader},
    {U_EMR_ABORTPATH, ReadEmfAbortPath, kReader},
    {U_EMR_FILLPATH, ReadEmfFillPath, kLibuemf},
    {U_EMR_STROKEPATH, ReadEmfStrokePath, kLibuemf},
    {U_EMR_STROKEANDFILLPATH, ReadEmfStrokeAndFillPath, kLibuemf},
    {U_EMR_FLATTENPATH, ReadEmfFlattenPath, kReader},
    {U_EMR_WIDENPATH, ReadEmfWidenPath, kReader},
    // Regions and clipping.
    {U_EMR_INTERSECTCLIPRECT, ReadEmfIntersectClipRect, kLibuemf},
    {U_EMR_EXCLUDECLIPRECT, ReadEmfExcludeClipRect, kLibuemf},
    {U_EMR_SELECTCLIPPATH, ReadEmfSelectClipPath, kLibuemf},
    {U_EMR_EXTSELECTCLIPRGN, ReadEmfExtSelectClipRgn, kReader},
    {U_EMR_OFFSETCLIPRGN, ReadEmfOffsetClipRgn, kLibuemf},
    {U_EMR_SETMETARGN, ReadEmfSetMetaRgn, kReader},
    {U_EMR_FILLRGN, ReadEmfFillRgn, kReader},
    {U_EMR_FRAMERGN, ReadEmfFrameRgn, kReader},
    {U_EMR_INVERTRGN, ReadEmfInvertRgn, kReader},
    {U_EMR_PAINTRGN, ReadEmfPaintRgn, kReader},
    // Text.
    {U_EMR_SETTEXTCOLOR, ReadEmfSetTextColor, kReader},
    {U_EMR_SETBKCOLOR, ReadEmfSetBkColor, kReader},
    {U_EMR_SETBKMODE, ReadEmfSetBkMode, kReader},
    {U_EMR_SETTEXTALIGN, ReadEmfSetTextAlign, kReader},
    {U_EMR_SETTEXTJUSTIFICATION, ReadEmfSetTextJustification, kReader},
    {U_EMR_EXTTEXTOUTA, ReadEmfExtTextOutA, kReader},
    {U_EMR_EXTTEXTOUTW, ReadEmfExtTextOutW, kReader},
    {U_EMR_SMALLTEXTOUT, ReadEmfSmallTextOut, kReader},
    // Bitmaps.
    {U_EMR_STRETCHDIBITS, ReadEmfStretchDiBits, kReader},
    {U_EMR_SETDIBITSTODEVICE, ReadEmfSetDiBitsToDevice, kReader},
    {U_EMR_BITBLT, ReadEmfBitBlt, kReader},
    {U_EMR_STRETCHBLT, ReadEmfStretchBlt, kReader},
    {U_EMR_MASKBLT, ReadEmfMaskBlt, kReader},
    {U_EMR_ALPHABLEND, ReadEmfAlphaBlend, kReader},
    {U_EMR_TRANSPARENTBLT, ReadEmfTransparentBlt, kReader},
    {U_EMR_PLGBLT, ReadEmfPlgBlt, kReader},
};

// The readers by record type; a type listed twice or beyond U_EMR_MAX stops the build.
constexpr std::array<TEmfRecordReader, U_EMR_MAX + 1> ReadersByType() {
  std::array<TEmfRecordReader, U_EMR_MAX + 1> byType{};
  for (const TEmfRecordReader& reader : kEmfRecordReaders) {
    if (reader.type > U_EMR_MAX || byType[reader.type].read != nullptr)
      throw std::logic_error("an EMF record type is listed twice or is out of range");
    byType[reader.type] = reader;
  }
  return byType;
}

constexpr std::array<TEmfRecordReader, U_EMR_MAX + 1> kEmfReadersByType = ReadersByType();

// The reader of a record type; null for a record that is not decoded.
const TEmfRecordReader* FindReader(std::uint32_t type) {
  if (type > U_EMR_MAX || kEmfReadersByType[type].read == nullptr) return nullptr;
  return &kEmfReadersByType[type];
}

class TEmfParser {
 public:
  TEmfParser(const QByteArray& bytes, const TEmfPlusMetafileReader& readMetafile)
      : bytes_(bytes), file_(bytes), readMetafile_(readMetafile) {}

  // Reads the whole file; returns its list.
  TMetaPlayList Run();

 private:
  void ReadHeader(const TMetaBytes& header);
  void EndBeforeDamage() const;

  const QByteArray& bytes_;
  TMetaBytes file_;
  TMetaListBuilder builder_;
  const TEmfPlusMetafileReader& readMetafile_;
};

bool ValidRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  return right > left && bottom > top;
}

void TEmfParser::ReadHeader(const TMetaBytes& header) {
  using R = U_EMRHEADER;
  TMetaPlayList& list = builder_.List();
  const TMetaRect bounds = ReadRectl(header, offsetof(R, rclBounds));
  const TMetaRect frame = ReadRectl(header, offsetof(R, rclFrame));
  const TMetaPoint device = ReadSizel(header, offsetof(R, szlDevice));
  const TMetaPoint millimetres = ReadSizel(header, offsetof(R, szlMillimeters));
  const std::int64_t bl = bounds.left, bt = bounds.top, br = bounds.right, bb = bounds.bottom;
  const std::int64_t fl = frame.left, ft = frame.top, fr = frame.right, fb = frame.bottom;
  const std::int64_t devX = device.x, devY = device.y, mmX = millimetres.x, mmY = millimetres.y;
  if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
    list.unitsPerMmX = static_cast<double>(devX) / static_cast<double>(mmX);
    list.unitsPerMmY = static_cast<double>(devY) / static_cast<double>(mmY);
  }
  std::int64_t width = 0, height = 0;
  if (ValidRect(fl, ft, fr, fb)) {
    // Players map the frame, in reference-device pixels, onto the target.
    width = std::llround(static_cast<double>(fr - fl) * 96.0 / kFrameUnitsPerInch);
    height = std::llround(static_cast<double>(fb - ft) * 96.0 / kFrameUnitsPerInch);
    list.frame =
        QRectF(QPointF(fl * list.unitsPerMmX / kFrameUnitsPerMm, ft * list.unitsPerMmY / kFrameUnitsPerMm),
               QPointF(fr * list.unitsPerMmX / kFrameUnitsPerMm, fb * list.unitsPerMmY / kFrameUnitsPerMm));
  } else if (br >= bl && bb >= bt) {
    // Bounds are inclusive reference-device pixels.
    width = std::llround(static_cast<double>(br - bl + 1) / list.unitsPerMmX * 96.0 / 25.4);
    height = std::llround(static_cast<double>(bb - bt + 1) / list.unitsPerMmY * 96.0 / 25.4);
    list.frame = QRectF(QPointF(static_cast<double>(bl), static_cast<double>(bt)),
                        QPointF(static_cast<double>(br + 1), static_cast<double>(bb + 1)));
  }
  FitMetafileSize(width, height);
  CheckMetafileSize(width, height);
  list.width = static_cast<int>(width);
  list.height = static_cast<int>(height);
  list.mapMode = U_MM_TEXT;
  list.devicePixel = 1;
  list.objectSlots = header.U16(offsetof(R, nHandles));
}

void TEmfParser::EndBeforeDamage() const {
  // GDI plays the records before a damaged one, or before the end of a file without an end record.
  // A file shorter than its header says was cut on its way, and GDI refuses it.
  if (file_.U32(offsetof(U_EMRHEADER, nBytes)) > file_.Size())
    throw EInvalidGraphic("Enhanced metafile is cut short");
}

TMetaPlayList TEmfParser::Run() {
  builder_.List().enhanced = true;
  if (!IsEmf(bytes_)) throw EInvalidGraphic("Not an enhanced metafile");
  std::int64_t pos = 0;
  bool first = true;
  TEmfPlusReader emfPlus(builder_.List(), readMetafile_);
  // Every record is at least a U_EMR long, so the loop ends within Size / 8 turns; a damaged record
  // or a missing end record ends the picture.
  for (;;) {
    const bool headed = file_.Has(pos, sizeof(U_EMR));
    const std::uint32_t type = headed ? file_.U32(pos + offsetof(U_EMR, iType)) : 0;
    const std::int64_t size = headed ? file_.U32(pos + offsetof(U_EMR, nSize)) : 0;
    const bool framed = size >= static_cast<std::int64_t>(sizeof(U_EMR)) && size % kRecordAlignment == 0 &&
                        file_.Has(pos, size);
    const TEmfRecordReader* reader = first || !framed ? nullptr : FindReader(type);
    // libuemf's checks trust nSize, which is known then to lie inside the file. It complains on stderr
    // about the records it cannot check, so only the header and the records listed with it are checked.
    const bool libuemfChecks = first || (reader != nullptr && reader->check == EEmfCheck::Libuemf);
    const bool whole = framed && (!libuemfChecks || U_emf_record_safe(file_.Data(pos, size)) != 0);
    if (first && (!whole || type != U_EMR_HEADER || size < kHeaderMinSize))
      throw EInvalidGraphic("Enhanced metafile has a bad header");
    if (!whole) {
      EndBeforeDamage();
      break;
    }
    const TMetaBytes rec = file_.Sub(pos, size);
    if (first) {
      ReadHeader(rec);
      first = false;
    } else if (type == U_EMR_EOF) {
      break;
    } else if (TEmfPlusReader::Carries(rec, type)) {
      emfPlus.ReadComment(rec);
    } else {
      const std::size_t firstCommand = builder_.List().commands.size();
      try {
        if (reader != nullptr) reader->read(rec, builder_);
      } catch (const EDamagedRecord&) {
        EndBeforeDamage();
        break;
      }
      emfPlus.NoteGdiCommands(firstCommand, builder_.List().commands.size());
    }
    pos += size;
  }
  emfPlus.Finish();
  return builder_.Finish();
}

}  // namespace

bool IsEmf(const QByteArray& bytes) {
  const TMetaBytes view(bytes);
  return view.Has(0, kHeaderMinSize) && view.U32(offsetof(U_EMR, iType)) == U_EMR_HEADER &&
         view.U32(offsetof(U_EMRHEADER, dSignature)) == U_ENHMETA_SIGNATURE;
}

TMetaPlayList ReadEmf(const QByteArray& bytes, const TEmfPlusMetafileReader& readMetafile) {
  return TEmfParser(bytes, readMetafile).Run();
}
