// Records that draw bitmaps or fill rectangles by raster operations, and pattern brushes.
#include "metafile/read/MetaBitmapRecords.h"

#include <uemf.h>

#include <QTransform>
#include <cmath>
#include <memory>

#include "metafile/read/MetaDib.h"
#include "metafile/read/MetaRasterOp.h"
#include "metafile/read/MetaRecordFields.h"

namespace {

// A source transform beyond these is ignored as degenerate.
constexpr double kMaxSourceTransformValue = 1e6;
constexpr double kMinSourceTransformDeterminant = 1e-6;

// What a bitmap record asks for, before its source is prepared for the raster operation.
struct TBlitRequest {
  QImage source;  // null for records without a bitmap
  // The palette indices of a source of palette colours, whose pixels are then table positions.
  std::shared_ptr<TMetaPaletteImage> palette;
  QRectF sourceRect;
  double x = 0, y = 0, width = 0, height = 0;  // destination, logical units
  std::uint32_t rop = U_SRCCOPY;
};

// Where an EMF record keeps one of its bitmaps: its offBmi, cbBmi, offBits and cbBits fields.
struct TDibFields {
  std::int64_t offBmi, cbBmi, offBits, cbBits;
};

template <class Record>
constexpr TDibFields kSourceDib{offsetof(Record, offBmiSrc), offsetof(Record, cbBmiSrc),
                                offsetof(Record, offBitsSrc), offsetof(Record, cbBitsSrc)};
template <class Record>
constexpr TDibFields kMaskDib{offsetof(Record, offBmiMask), offsetof(Record, cbBmiMask),
                              offsetof(Record, offBitsMask), offsetof(Record, cbBitsMask)};
template <class Record>
constexpr TDibFields kBrushDib{offsetof(Record, offBmi), offsetof(Record, cbBmi), offsetof(Record, offBits),
                               offsetof(Record, cbBits)};

// META_CREATEPATTERNBRUSH, which libuemf leaves without fields: a BITMAP16 whose bits pointer is kept
// (unused), reserved bytes, then the pattern's bits.
struct TWmrCreatePatternBrush {
  U_METARECORD head;
  U_BITMAP16 bitmap;
  std::uint8_t bitsPointer[4];
  std::uint8_t reserved[18];
};

QByteArrayView View(const TMetaBytes& rec, std::int64_t at, std::int64_t count) {
  return QByteArrayView(rec.Data(at, count), static_cast<qsizetype>(count));
}

// A source rectangle with negative extents reads the bitmap backwards: the destination mirrors.
bool Normalise(TBlitRequest& r) {
  QRectF& s = r.sourceRect;
  if (s.width() == 0 || s.height() == 0 || r.width == 0 || r.height == 0) return false;
  if (s.width() < 0) {
    s = QRectF(s.left() + s.width(), s.top(), -s.width(), s.height());
    r.x += r.width, r.width = -r.width;
  }
  if (s.height() < 0) {
    s = QRectF(s.left(), s.top() + s.height(), s.width(), -s.height());
    r.y += r.height, r.height = -r.height;
  }
  return true;
}

// Two PATINVERTs of one rectangle around other drawing are the XOR trick of old writers for a
// dithered, see-through fill, and two DSTINVERTs a highlight taken back: GDI's result is the target
// where the drawing in between left it alone. The second one cancels the first rather than both
// inverting through transparent areas, which would leave them black.
bool CancelsEarlierInvert(TMetaPlayList& list, const TMetaBlit& blit) {
  constexpr int kLookBack = 32;
  int looked = 0;
  for (auto c = list.commands.rbegin(); c != list.commands.rend() && looked < kLookBack; ++c, ++looked) {
    if (c->Op() != EMetaOp::Blit) {
      if (MetaOpDraws(c->Op())) return false;  // the drawing in between is inverted back as GDI does
      continue;
    }
    const std::int32_t index = c->Args<TMetaIndex>().index;
    if (index < 0 || static_cast<std::size_t>(index) >= list.blits.size()) return false;
    TMetaBlit& earlier = list.blits[static_cast<std::size_t>(index)];
    if (earlier.mode != blit.mode || earlier.topLeft != blit.topLeft || earlier.topRight != blit.topRight ||
        earlier.bottomLeft != blit.bottomLeft)
      return false;
    earlier.mode = EMetaBlitMode::None;
    return true;
  }
  return false;
}

void SetDestination(TMetaBlit& blit, double x, double y, double width, double height) {
  blit.topLeft = QPointF(x, y);
  blit.topRight = QPointF(x + width, y);
  blit.bottomLeft = QPointF(x, y + height);
}

// The preparation of PrepareBlitImage for a palette source, to be done to its colours when it draws.
void SetPalettePreparation(TMetaPaletteImage& palette, std::uint32_t rop) {
  const EMetaBlitMode mode = BlitModeOf(rop);
  palette.invert = RopInvertsSource(rop);
  if (mode == EMetaBlitMode::Multiply) palette.clears = true, palette.clear = qRgb(255, 255, 255);
  if (mode == EMetaBlitMode::Lighten || mode == EMetaBlitMode::Difference)
    palette.clears = true, palette.clear = qRgb(0, 0, 0);
  if (mode == EMetaBlitMode::BrushThroughImage)
    palette.keepsOnly = true, palette.keep = RopBrushThroughColour(rop);
}

// The source made ready for the operation: `prepared` when the caller made it so (masks, transparent
// colours), else prepared here; null when there is nothing to draw. A palette source keeps its table
// positions instead, in the blit's paletteImage (returned), its preparation left for when the palette
// colours it.
QImage PreparedSource(const TBlitRequest& r, QImage prepared, TMetaBlit& blit) {
  if (!r.palette) return prepared.isNull() ? PrepareBlitImage(r.source, r.rop) : std::move(prepared);
  if (prepared.isNull() && !BlitModeDrawsImage(blit.mode)) return QImage();
  SetPalettePreparation(*r.palette, r.rop);
  r.palette->positions = MetaPalettePositions(prepared.isNull() ? r.source : prepared);
  blit.paletteImage = r.palette;
  return r.palette->positions;
}

// Adds the blit of a record whose source, if it has one, is already decoded; `prepared` is the
// source made ready for the operation by the caller (masks, transparent colours) or null.
void AddRasterBlit(TMetaListBuilder& builder, TBlitRequest r, QImage prepared = QImage(),
                   double opacity = 1) {
  TMetaBlit blit;
  blit.mode = BlitModeOf(r.rop);
  if (blit.mode == EMetaBlitMode::None) return;
  if (RopUsesSource(r.rop) || !prepared.isNull()) {
    if (r.source.isNull() && prepared.isNull()) return;  // a missing or broken bitmap draws nothing
    if (!Normalise(r)) return;
    blit.image = PreparedSource(r, std::move(prepared), blit);
    if (blit.image.isNull()) return;
    if (blit.paletteImage) blit.image = QImage();  // coloured when it draws
    blit.source = r.sourceRect;
  } else if (r.width == 0 || r.height == 0) {
    return;
  }
  blit.colour = RopFillColour(r.rop);
  blit.opacity = opacity;
  SetDestination(blit, r.x, r.y, r.width, r.height);
  const bool inverts = blit.mode == EMetaBlitMode::InvertBrush || blit.mode == EMetaBlitMode::InvertTarget;
  if (inverts && CancelsEarlierInvert(builder.List(), blit)) return;
  builder.AddBlit(std::move(blit));
}

// The DIB of an EMF record at the fields given; null when there is none or it is broken. `info`
// receives the BITMAPINFO; a DIB of palette colours puts its palette indices into `palette`.
QImage EmfDib(const TMetaBytes& rec, const TDibFields& fields, std::uint32_t usage, TMetaListBuilder& builder,
              QByteArrayView* info = nullptr, bool alpha = false, bool monochrome = false,
              std::int64_t rows = 0, std::shared_ptr<TMetaPaletteImage>* palette = nullptr) {
  const std::int64_t offBmi = rec.U32(fields.offBmi), cbBmi = rec.U32(fields.cbBmi),
                     offBits = rec.U32(fields.offBits), cbBits = rec.U32(fields.cbBits);
  if (cbBmi == 0 || !rec.Has(offBmi, cbBmi) || !rec.Has(offBits, cbBits)) return QImage();
  TMetaDibRequest request;
  request.info = View(rec, offBmi, cbBmi);
  request.bits = View(rec, offBits, cbBits);
  request.usage = usage;
  request.alpha = alpha;
  request.monochrome = monochrome;
  request.rows = rows;
  request.palette = palette;
  if (info) *info = request.info;
  return DecodeMetaDib(request, builder);
}

// The packed DIB of a WMF record from `at` to its end.
QImage WmfDib(const TMetaBytes& rec, std::int64_t at, std::uint32_t usage, TMetaListBuilder& builder,
              QByteArrayView* info = nullptr, bool monochrome = false, std::int64_t rows = 0,
              std::shared_ptr<TMetaPaletteImage>* palette = nullptr) {
  if (!rec.Has(at, sizeof(U_BITMAPINFOHEADER::biSize))) return QImage();
  const QByteArrayView packed = View(rec, at, rec.Size() - at);
  const std::int64_t infoSize = PackedDibInfoSize(packed, usage);
  if (infoSize <= 0) return QImage();
  TMetaDibRequest request;
  request.info = packed.first(static_cast<qsizetype>(infoSize));
  request.bits = packed.sliced(static_cast<qsizetype>(infoSize));
  request.usage = usage;
  request.monochrome = monochrome;
  request.rows = rows;
  request.palette = palette;
  if (info) *info = request.info;
  return DecodeMetaDib(request, builder);
}

// The device-dependent BITMAP16 of the old WMF records at `at`, its bits from bitsAt.
QImage WmfBitmap16(const TMetaBytes& rec, std::int64_t at, std::int64_t bitsAt, TMetaListBuilder& builder) {
  if (!rec.Has(at, sizeof(U_BITMAP16)) || !rec.Has(bitsAt, 0)) return QImage();
  const QByteArray dib = DibFromBitmap16(
      rec.I16(at + offsetof(U_BITMAP16, Width)), rec.I16(at + offsetof(U_BITMAP16, Height)),
      rec.I16(at + offsetof(U_BITMAP16, WidthBytes)), rec.U8(at + offsetof(U_BITMAP16, Planes)),
      rec.U8(at + offsetof(U_BITMAP16, BitsPixel)), View(rec, bitsAt, rec.Size() - bitsAt));
  if (dib.isEmpty()) return QImage();
  const std::int64_t infoSize = PackedDibInfoSize(dib, U_DIB_RGB_COLORS);
  if (infoSize <= 0) return QImage();
  TMetaDibRequest request;
  request.info = QByteArrayView(dib).first(static_cast<qsizetype>(infoSize));
  request.bits = QByteArrayView(dib).sliced(static_cast<qsizetype>(infoSize));
  return DecodeMetaDib(request, builder);
}

// StretchDIBits and SetDIBitsToDevice count the source rectangle of a bottom-up DIB from its last row.
QRectF DibSourceRect(QByteArrayView info, const QImage& image, double x, double y, double w, double h) {
  if (!DibIsBottomUp(info)) return QRectF(x, y, w, h);
  return QRectF(x, image.height() - y - h, w, h);
}

// The EMF source transform (xformSrc) maps the source rectangle into bitmap pixels; it is nearly
// always the identity, and is ignored when it is degenerate.
QRectF SourcePixels(const TMetaBytes& rec, std::int64_t at, const QRectF& logical) {
  const std::array<double, 6> m = ReadXform(rec, at);
  for (const double value : m)
    if (!std::isfinite(value) || std::abs(value) > kMaxSourceTransformValue) return logical;
  const QTransform transform(m[0], m[1], m[2], m[3], m[4], m[5]);
  if (std::abs(transform.determinant()) < kMinSourceTransformDeterminant || !transform.isAffine() ||
      transform.isRotating())
    return logical;
  const QPointF a = transform.map(logical.topLeft()), b = transform.map(logical.bottomRight());
  return QRectF(a, b);
}

// StretchDIBits and SetDIBitsToDevice share their fields up to the source bitmap; SetDIBitsToDevice's
// bitmap may hold only `scans` rows from startScan on, counted from the bottom.
template <class Record>
void AddEmfDibBits(const TMetaBytes& rec, TMetaListBuilder& builder, TBlitRequest r, std::int64_t startScan,
                   std::int64_t scans) {
  const TMetaPoint dest = ReadPointl(rec, offsetof(Record, Dest));
  const TMetaPoint src = ReadPointl(rec, offsetof(Record, Src)),
                   srcSize = ReadPointl(rec, offsetof(Record, cSrc));
  r.x = dest.x, r.y = dest.y;
  const std::uint32_t usage = rec.U32(offsetof(Record, iUsageSrc));
  QByteArrayView info;
  if (RopUsesSource(r.rop))
    r.source = EmfDib(rec, kSourceDib<Record>, usage, builder, &info, false, false, scans, &r.palette);
  double y = src.y;
  if (!r.source.isNull() && DibIsBottomUp(info)) y -= static_cast<double>(startScan);
  r.sourceRect = r.source.isNull() ? QRectF() : DibSourceRect(info, r.source, src.x, y, srcSize.x, srcSize.y);
  AddRasterBlit(builder, std::move(r));
}

// The fields every EMF blit record has: the destination, and the source rectangle in logical units, whose
// size is the destination's unless the record has its own (cSrc).
template <class Record>
TBlitRequest EmfBlitRequest(const TMetaBytes& rec, QRectF& sourceLogical) {
  TBlitRequest r;
  const TMetaPoint dest = ReadPointl(rec, offsetof(Record, Dest)),
                   size = ReadPointl(rec, offsetof(Record, cDest));
  r.x = dest.x, r.y = dest.y, r.width = size.x, r.height = size.y;
  TMetaPoint sourceSize = size;
  if constexpr (requires { &Record::cSrc; }) sourceSize = ReadPointl(rec, offsetof(Record, cSrc));
  const TMetaPoint src = ReadPointl(rec, offsetof(Record, Src));
  sourceLogical = QRectF(src.x, src.y, sourceSize.x, sourceSize.y);
  return r;
}

// BitBlt and StretchBlt: the source bitmap through the record's raster operation.
template <class Record>
void AddEmfRopBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  if (!rec.Has(0, sizeof(Record))) return;
  QRectF sourceLogical;
  TBlitRequest r = EmfBlitRequest<Record>(rec, sourceLogical);
  r.rop = rec.U32(offsetof(Record, dwRop));
  if (RopUsesSource(r.rop))
    r.source = EmfDib(rec, kSourceDib<Record>, rec.U32(offsetof(Record, iUsageSrc)), builder, nullptr, false,
                      false, 0, &r.palette);
  r.sourceRect = SourcePixels(rec, offsetof(Record, xformSrc), sourceLogical);
  AddRasterBlit(builder, std::move(r));
}

// Adds a pattern brush's bitmap; one of palette colours keeps its table positions, coloured when the
// brush is used.
std::int32_t AddPattern(TMetaListBuilder& builder, QImage image, bool monochrome,
                        const std::shared_ptr<TMetaPaletteImage>& palette) {
  if (!palette || image.isNull()) return builder.AddPattern(std::move(image), monochrome);
  palette->positions = MetaPalettePositions(image);
  return builder.AddPattern(QImage(), false, palette);
}

TMetaCommand PatternCommand(std::int32_t pattern) {
  // A pattern that cannot be decoded is drawn as a grey brush.
  constexpr std::uint32_t kGrey = 0x808080;
  if (pattern < 0) return {EMetaOp::CreateBrush, TMetaBrushArgs{.style = U_BS_PATTERN, .colour = kGrey}};
  return {EMetaOp::CreatePatternBrush, TMetaPatternArgs{.slot = 0, .pattern = pattern}};
}

template <class Record>
void AddEmfPatternBrush(const TMetaBytes& rec, TMetaListBuilder& builder, bool monochrome) {
  const std::uint32_t slot = rec.U32(offsetof(Record, ihBrush));
  if (!rec.Has(0, sizeof(Record))) {
    builder.CreateObjectAt(slot, PatternCommand(-1));
    return;
  }
  QByteArrayView info;
  std::shared_ptr<TMetaPaletteImage> palette;
  QImage image = EmfDib(rec, kBrushDib<Record>, rec.U32(offsetof(Record, iUsage)), builder, &info, false,
                        monochrome, 0, &palette);
  const std::int32_t pattern = AddPattern(builder, std::move(image),
                                          monochrome && DibBitsPerPixel(info) == U_BCBM_MONOCHROME, palette);
  builder.CreateObjectAt(slot, PatternCommand(pattern));
}

// The destination of a WMF StretchBlt-like record (hDst, wDst, yDst, xDst) or of a BitBlt-like one
// (Height, Width, yDst, xDst).
template <class Record, bool kStretch>
void SetWmfBlitDestination(const TMetaBytes& rec, TBlitRequest& r) {
  if constexpr (kStretch)
    r.height = rec.I16(offsetof(Record, hDst)), r.width = rec.I16(offsetof(Record, wDst));
  else
    r.height = rec.I16(offsetof(Record, Height)), r.width = rec.I16(offsetof(Record, Width));
  r.y = rec.I16(offsetof(Record, yDst)), r.x = rec.I16(offsetof(Record, xDst));
}

// A WMF StretchBlt or DIBStretchBlt (kStretch), or a BitBlt or DIBBitBlt, laid out alike without the
// source's size, which is then the destination's. The form without a bitmap (NoPx) has a reserved word
// before the destination; the form with one (Px) has the bitmap at bitmapAt.
template <class NoPx, class Px, bool kStretch>
void AddWmfBlit(const TMetaBytes& rec, TMetaListBuilder& builder, std::int64_t bitmapAt, bool dib) {
  static_assert(offsetof(NoPx, xSrc) == offsetof(Px, xSrc));
  if (!rec.Has(0, bitmapAt)) return;
  TBlitRequest r;
  r.rop = WmfRop<Px>(rec);
  const double ySrc = rec.I16(offsetof(Px, ySrc)), xSrc = rec.I16(offsetof(Px, xSrc));
  const bool withBitmap = rec.Size() > static_cast<std::int64_t>(sizeof(NoPx));
  if (withBitmap)
    SetWmfBlitDestination<Px, kStretch>(rec, r);
  else
    SetWmfBlitDestination<NoPx, kStretch>(rec, r);
  if (withBitmap && RopUsesSource(r.rop))
    r.source = dib ? WmfDib(rec, bitmapAt, U_DIB_RGB_COLORS, builder)
                   : WmfBitmap16(rec, bitmapAt, bitmapAt + sizeof(U_BITMAP16), builder);
  if constexpr (kStretch)
    r.sourceRect = QRectF(xSrc, ySrc, rec.I16(offsetof(Px, wSrc)), rec.I16(offsetof(Px, hSrc)));
  else
    r.sourceRect = QRectF(xSrc, ySrc, r.width, r.height);
  AddRasterBlit(builder, std::move(r));
}

}  // namespace

void ReadEmfStretchDiBits(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRSTRETCHDIBITS;
  if (!rec.Has(0, sizeof(R))) return;
  TBlitRequest r;
  r.rop = rec.U32(offsetof(R, dwRop));
  const TMetaPoint size = ReadPointl(rec, offsetof(R, cDest));
  r.width = size.x, r.height = size.y;
  AddEmfDibBits<R>(rec, builder, std::move(r), 0, 0);
}

void ReadEmfSetDiBitsToDevice(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRSETDIBITSTODEVICE;
  if (!rec.Has(0, sizeof(R))) return;
  TBlitRequest r;
  const TMetaPoint size = ReadPointl(rec, offsetof(R, cSrc));
  r.width = size.x, r.height = size.y;
  AddEmfDibBits<R>(rec, builder, std::move(r), rec.U32(offsetof(R, iStartScan)),
                   rec.U32(offsetof(R, cScans)));
}

void ReadEmfBitBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfRopBlt<U_EMRBITBLT>(rec, builder);
}

void ReadEmfStretchBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfRopBlt<U_EMRSTRETCHBLT>(rec, builder);
}

void ReadEmfMaskBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRMASKBLT;
  // dwRop holds two operations: the foreground one in its low three bytes, where the mask is 1, and
  // the background one's index in its top byte, where the mask is 0.
  constexpr std::uint32_t kForegroundRop = 0x00FFFFFFu;
  constexpr int kBackgroundShift = 24;
  // The background index that leaves the target as it is.
  constexpr std::uint32_t kKeepTargetIndex = 0xAA;
  if (!rec.Has(0, sizeof(R))) return;
  QRectF sourceLogical;
  TBlitRequest r = EmfBlitRequest<R>(rec, sourceLogical);
  const std::uint32_t rops = rec.U32(offsetof(R, dwRop));
  r.rop = rops & kForegroundRop;
  if (RopUsesSource(r.rop))
    r.source = EmfDib(rec, kSourceDib<R>, rec.U32(offsetof(R, iUsageSrc)), builder, nullptr, false, false, 0,
                      &r.palette);
  QImage prepared;
  if (!r.source.isNull() && (rops >> kBackgroundShift) == kKeepTargetIndex &&
      BlitModeOf(r.rop) == EMetaBlitMode::Copy) {
    const QImage mask = EmfDib(rec, kMaskDib<R>, rec.U32(offsetof(R, iUsageMask)), builder);
    const TMetaPoint maskAt = ReadPointl(rec, offsetof(R, Mask));
    // A palette source is prepared when it draws; the mask only leaves its pixels out.
    const QImage source = r.palette ? r.source : PrepareBlitImage(r.source, r.rop);
    if (!mask.isNull()) prepared = ThroughMask(source, mask, maskAt.x, maskAt.y);
  }
  r.sourceRect = SourcePixels(rec, offsetof(R, xformSrc), sourceLogical);
  AddRasterBlit(builder, std::move(r), std::move(prepared));
}

void ReadEmfAlphaBlend(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRALPHABLEND;
  constexpr double kOpaque = 255;
  if (!rec.Has(0, sizeof(R))) return;
  QRectF sourceLogical;
  TBlitRequest r = EmfBlitRequest<R>(rec, sourceLogical);
  const std::uint8_t constantAlpha = rec.U8(offsetof(R, Blend.Global));
  const std::uint8_t format = rec.U8(offsetof(R, Blend.Op));
  r.source = EmfDib(rec, kSourceDib<R>, rec.U32(offsetof(R, iUsageSrc)), builder, nullptr,
                    (format & U_AC_SRC_ALPHA) != 0, false, 0, &r.palette);
  if (r.source.isNull()) return;
  QImage prepared = StoredPremultiplied(std::move(r.source));
  r.rop = U_SRCCOPY;
  r.sourceRect = SourcePixels(rec, offsetof(R, xformSrc), sourceLogical);
  AddRasterBlit(builder, std::move(r), std::move(prepared), constantAlpha / kOpaque);
}

void ReadEmfTransparentBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRTRANSPARENTBLT;
  if (!rec.Has(0, sizeof(R))) return;
  QRectF sourceLogical;
  TBlitRequest r = EmfBlitRequest<R>(rec, sourceLogical);
  r.source = EmfDib(rec, kSourceDib<R>, rec.U32(offsetof(R, iUsageSrc)), builder, nullptr, false, false, 0,
                    &r.palette);
  if (r.source.isNull()) return;
  const std::uint32_t transparent = rec.U32(offsetof(R, TColor));
  QImage prepared = r.palette ? r.source : WithoutColour(r.source, transparent);
  if (r.palette) r.palette->clears = true, r.palette->clear = RopColour(transparent);
  r.rop = U_SRCCOPY;
  r.sourceRect = SourcePixels(rec, offsetof(R, xformSrc), sourceLogical);
  AddRasterBlit(builder, std::move(r), std::move(prepared));
}

void ReadEmfPlgBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRPLGBLT;
  if (!rec.Has(0, sizeof(R))) return;
  std::shared_ptr<TMetaPaletteImage> palette;
  QImage source = EmfDib(rec, kSourceDib<R>, rec.U32(offsetof(R, iUsageSrc)), builder, nullptr, false, false,
                         0, &palette);
  if (source.isNull()) return;
  // A palette source keeps its table positions: the mask only leaves pixels out.
  QImage image = palette ? source : PrepareBlitImage(source, U_SRCCOPY);
  const QImage mask = EmfDib(rec, kMaskDib<R>, rec.U32(offsetof(R, iUsageMask)), builder);
  if (!mask.isNull()) {
    const TMetaPoint maskAt = ReadPointl(rec, offsetof(R, Mask));
    image = ThroughMask(image, mask, maskAt.x, maskAt.y);
  }
  TMetaBlit blit;
  blit.mode = EMetaBlitMode::Copy;
  const TMetaPoint src = ReadPointl(rec, offsetof(R, Src)), srcSize = ReadPointl(rec, offsetof(R, cSrc));
  blit.source = SourcePixels(rec, offsetof(R, xformSrc), QRectF(src.x, src.y, srcSize.x, srcSize.y));
  if (blit.source.width() <= 0 || blit.source.height() <= 0) return;
  if (palette) {
    palette->positions = MetaPalettePositions(image);
    blit.paletteImage = std::move(palette);
  } else {
    blit.image = std::move(image);
  }
  // The parallelogram's upper-left, upper-right and lower-left corners.
  const auto corner = [&rec](int i) {
    const TMetaPoint p = ReadPointl(rec, offsetof(R, aptlDst) + sizeof(U_POINTL) * i);
    return QPointF(p.x, p.y);
  };
  blit.topLeft = corner(0);
  blit.topRight = corner(1);
  blit.bottomLeft = corner(2);
  builder.AddBlit(std::move(blit));
}

void ReadWmfStretchDib(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRSTRETCHDIB;
  if (!rec.Has(0, offsetof(R, dib))) return;
  TBlitRequest r;
  r.rop = WmfRop<R>(rec);
  const std::uint32_t usage = rec.U16(offsetof(R, cUsage));
  const double cySrc = rec.I16(offsetof(R, hSrc)), cxSrc = rec.I16(offsetof(R, wSrc)),
               ySrc = rec.I16(offsetof(R, ySrc)), xSrc = rec.I16(offsetof(R, xSrc));
  SetWmfBlitDestination<R, true>(rec, r);
  QByteArrayView info;
  if (RopUsesSource(r.rop))
    r.source = WmfDib(rec, offsetof(R, dib), usage, builder, &info, false, 0, &r.palette);
  if (!r.source.isNull()) r.sourceRect = DibSourceRect(info, r.source, xSrc, ySrc, cxSrc, cySrc);
  AddRasterBlit(builder, std::move(r));
}

void ReadWmfSetDibToDev(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRSETDIBTODEV;
  if (!rec.Has(0, offsetof(R, dib))) return;
  TBlitRequest r;
  const std::uint32_t usage = rec.U16(offsetof(R, cUsage));
  const double startScan = rec.U16(offsetof(R, StartScan)), ySrc = rec.I16(offsetof(R, ySrc)),
               xSrc = rec.I16(offsetof(R, xSrc));
  SetWmfBlitDestination<R, false>(rec, r);
  QByteArrayView info;
  r.source = WmfDib(rec, offsetof(R, dib), usage, builder, &info, false, rec.U16(offsetof(R, ScanCount)),
                    &r.palette);
  if (!r.source.isNull())
    r.sourceRect =
        DibSourceRect(info, r.source, xSrc, ySrc - (DibIsBottomUp(info) ? startScan : 0), r.width, r.height);
  AddRasterBlit(builder, std::move(r));
}

void ReadWmfDibStretchBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddWmfBlit<U_WMRDIBSTRETCHBLT_NOPX, U_WMRDIBSTRETCHBLT_PX, true>(
      rec, builder, offsetof(U_WMRDIBSTRETCHBLT_PX, dib), true);
}

void ReadWmfStretchBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddWmfBlit<U_WMRSTRETCHBLT_NOPX, U_WMRSTRETCHBLT_PX, true>(rec, builder,
                                                             offsetof(U_WMRSTRETCHBLT_PX, bitmap), false);
}

void ReadWmfDibBitBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddWmfBlit<U_WMRDIBBITBLT_NOPX, U_WMRDIBBITBLT_PX, false>(rec, builder, offsetof(U_WMRDIBBITBLT_PX, dib),
                                                            true);
}

void ReadWmfBitBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddWmfBlit<U_WMRBITBLT_NOPX, U_WMRBITBLT_PX, false>(rec, builder, offsetof(U_WMRBITBLT_PX, bitmap), false);
}

void ReadWmfPatBlt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRPATBLT;
  if (!rec.Has(0, sizeof(R))) return;
  TBlitRequest r;
  r.rop = WmfRop<R>(rec);
  SetWmfBlitDestination<R, false>(rec, r);
  // PatBlt has no source to read.
  if (RopUsesSource(r.rop)) return;
  AddRasterBlit(builder, std::move(r));
}

void ReadEmfCreateMonoBrush(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPatternBrush<U_EMRCREATEMONOBRUSH>(rec, builder, true);
}

void ReadEmfCreateDibPatternBrushPt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddEmfPatternBrush<U_EMRCREATEDIBPATTERNBRUSHPT>(rec, builder, false);
}

void ReadWmfCreatePatternBrush(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = TWmrCreatePatternBrush;
  constexpr std::int64_t kBitmapAt = offsetof(R, bitmap);
  if (!rec.Has(kBitmapAt, sizeof(U_BITMAP16))) {
    builder.CreateObject(PatternCommand(-1));
    return;
  }
  const bool monochrome = rec.U8(kBitmapAt + offsetof(U_BITMAP16, BitsPixel)) == U_BCBM_MONOCHROME;
  QImage image = WmfBitmap16(rec, kBitmapAt, sizeof(R), builder);
  builder.CreateObject(PatternCommand(builder.AddPattern(std::move(image), monochrome)));
}

void ReadWmfDibCreatePatternBrush(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRDIBCREATEPATTERNBRUSH;
  if (!rec.Has(0, offsetof(R, Src))) {
    builder.CreateObject(PatternCommand(-1));
    return;
  }
  // A BS_PATTERN brush's DIB has RGB colours whatever its usage field says.
  const bool monochromeStyle = rec.U16(offsetof(R, Style)) == U_BS_PATTERN;
  const std::uint32_t usage = monochromeStyle ? U_DIB_RGB_COLORS : rec.U16(offsetof(R, cUsage));
  QByteArrayView info;
  std::shared_ptr<TMetaPaletteImage> palette;
  QImage image = WmfDib(rec, offsetof(R, Src), usage, builder, &info, monochromeStyle, 0, &palette);
  const std::int32_t pattern = AddPattern(
      builder, std::move(image), monochromeStyle && DibBitsPerPixel(info) == U_BCBM_MONOCHROME, palette);
  builder.CreateObject(PatternCommand(pattern));
}
