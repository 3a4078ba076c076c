#include "metafile/read/MetaBitmapRecords.h"

#include <uemf.h>
#include <uwmf.h>

#include <QTransform>
#include <bit>
#include <cmath>

#include "Graphic.h"
#include "metafile/read/MetaDib.h"
#include "metafile/read/MetaRasterOp.h"

namespace {

constexpr std::uint8_t kAcSrcAlpha = 1;
constexpr int kStyleBsPattern = 3;

// What a bitmap record asks for, before its source is prepared for the raster operation.
struct TBlitRequest {
  QImage source;  // null for records without a bitmap
  QRectF sourceRect;
  double x = 0, y = 0, width = 0, height = 0;  // destination, logical units
  std::uint32_t rop = MetaRop::kSrcCopy;
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

// Adds the blit of a record whose source, if it has one, is already decoded; `prepared` is the
// source made ready for the operation by the caller (masks, transparent colours) or null.
void AddRasterBlit(TMetaListBuilder& list, TBlitRequest r, QImage prepared = QImage(), double opacity = 1) {
  TMetaBlit blit;
  blit.mode = BlitModeOf(r.rop);
  if (blit.mode == EMetaBlitMode::None) return;
  if (RopUsesSource(r.rop) || !prepared.isNull()) {
    if (r.source.isNull() && prepared.isNull()) return;  // a missing or broken bitmap draws nothing
    if (!Normalise(r)) return;
    blit.image = prepared.isNull() ? PrepareBlitImage(r.source, r.rop) : std::move(prepared);
    if (blit.image.isNull()) return;
    blit.source = r.sourceRect;
  } else if (r.width == 0 || r.height == 0) {
    return;
  }
  blit.colour = ((r.rop >> 16) & 0xFF) == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
  blit.opacity = opacity;
  SetDestination(blit, r.x, r.y, r.width, r.height);
  const bool inverts = blit.mode == EMetaBlitMode::InvertBrush || blit.mode == EMetaBlitMode::InvertTarget;
  if (inverts && CancelsEarlierInvert(list.List(), blit)) return;
  list.AddBlit(std::move(blit));
}

// The DIB of an EMF record: offBmi, cbBmi, offBits and cbBits from `at`; null when there is none or
// it is broken. `info` receives the BITMAPINFO.
QImage EmfDib(const TMetaBytes& rec, std::int64_t at, std::uint32_t usage, TMetaListBuilder& list,
              QByteArrayView* info = nullptr, bool alpha = false, bool monochrome = false,
              std::int64_t rows = 0) {
  const std::int64_t offBmi = rec.U32(at), cbBmi = rec.U32(at + 4), offBits = rec.U32(at + 8),
                     cbBits = rec.U32(at + 12);
  if (cbBmi == 0 || !rec.Has(offBmi, cbBmi) || !rec.Has(offBits, cbBits)) return QImage();
  TMetaDibRequest request;
  request.info = View(rec, offBmi, cbBmi);
  request.bits = View(rec, offBits, cbBits);
  request.usage = usage;
  request.alpha = alpha;
  request.monochrome = monochrome;
  request.rows = rows;
  if (info) *info = request.info;
  return DecodeMetaDib(request, list);
}

// The packed DIB of a WMF record from `at` to its end.
QImage WmfDib(const TMetaBytes& rec, std::int64_t at, std::uint32_t usage, TMetaListBuilder& list,
              QByteArrayView* info = nullptr, bool monochrome = false, std::int64_t rows = 0) {
  if (!rec.Has(at, 4)) return QImage();
  const QByteArrayView packed = View(rec, at, rec.Size() - at);
  const std::int64_t infoSize = PackedDibInfoSize(packed, usage);
  if (infoSize <= 0) return QImage();
  TMetaDibRequest request;
  request.info = packed.first(static_cast<qsizetype>(infoSize));
  request.bits = packed.sliced(static_cast<qsizetype>(infoSize));
  request.usage = usage;
  request.monochrome = monochrome;
  request.rows = rows;
  if (info) *info = request.info;
  return DecodeMetaDib(request, list);
}

// StretchDIBits and SetDIBitsToDevice count the source rectangle of a bottom-up DIB from its last row.
QRectF DibSourceRect(QByteArrayView info, const QImage& image, double x, double y, double w, double h) {
  if (!DibIsBottomUp(info)) return QRectF(x, y, w, h);
  return QRectF(x, image.height() - y - h, w, h);
}

// The EMF source transform (xformSrc) maps the source rectangle into bitmap pixels; it is nearly
// always the identity, and is ignored when it is degenerate.
QRectF SourcePixels(const TMetaBytes& rec, std::int64_t at, const QRectF& logical) {
  double m[6];
  for (int i = 0; i < 6; ++i) {
    m[i] = static_cast<double>(std::bit_cast<float>(rec.U32(at + 4 * i)));
    if (!std::isfinite(m[i]) || std::abs(m[i]) > 1e6) return logical;
  }
  const QTransform transform(m[0], m[1], m[2], m[3], m[4], m[5]);
  if (std::abs(transform.determinant()) < 1e-6 || !transform.isAffine() || transform.isRotating())
    return logical;
  const QPointF a = transform.map(logical.topLeft()), b = transform.map(logical.bottomRight());
  return QRectF(a, b);
}

void ReadEmfStretchDibits(const TMetaBytes& rec, TMetaListBuilder& list, bool stretch) {
  if (rec.Size() < (stretch ? 80 : 76)) return;
  QByteArrayView info;
  TBlitRequest r;
  r.x = rec.I32(24), r.y = rec.I32(28);
  const double xSrc = rec.I32(32), ySrc = rec.I32(36), cxSrc = rec.I32(40), cySrc = rec.I32(44);
  const std::uint32_t usage = rec.U32(64);
  if (stretch) {
    r.rop = rec.U32(68);
    r.width = rec.I32(72), r.height = rec.I32(76);
  } else {
    r.width = cxSrc, r.height = cySrc;
  }
  // SetDIBitsToDevice may carry a band of scan lines: rows startScan onwards, counted from the bottom.
  const std::int64_t startScan = stretch ? 0 : rec.U32(68), scans = stretch ? 0 : rec.U32(72);
  if (RopUsesSource(r.rop)) r.source = EmfDib(rec, 48, usage, list, &info, false, false, scans);
  double y = ySrc;
  if (!r.source.isNull() && DibIsBottomUp(info)) y -= static_cast<double>(startScan);
  r.sourceRect = r.source.isNull() ? QRectF() : DibSourceRect(info, r.source, xSrc, y, cxSrc, cySrc);
  AddRasterBlit(list, std::move(r));
}

void ReadEmfBlt(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list) {
  const bool stretch = type != U_EMR_BITBLT && type != U_EMR_MASKBLT;
  const std::int64_t minimum = type == U_EMR_MASKBLT ? 128 : stretch ? 108 : 100;
  if (rec.Size() < minimum) return;
  TBlitRequest r;
  r.x = rec.I32(24), r.y = rec.I32(28), r.width = rec.I32(32), r.height = rec.I32(36);
  const std::uint32_t word = rec.U32(40);
  const std::uint32_t usage = rec.U32(80);
  const double cxSrc = stretch ? rec.I32(100) : r.width, cySrc = stretch ? rec.I32(104) : r.height;
  const QRectF sourceLogical(rec.I32(44), rec.I32(48), cxSrc, cySrc);
  QImage prepared;
  double opacity = 1;
  if (type == U_EMR_ALPHABLEND) {
    const std::uint8_t constantAlpha = (word >> 16) & 0xFF, format = (word >> 24) & 0xFF;
    r.source = EmfDib(rec, 84, usage, list, nullptr, (format & kAcSrcAlpha) != 0);
    if (r.source.isNull()) return;
    prepared = StoredPremultiplied(std::move(r.source));
    opacity = constantAlpha / 255.0;
    r.rop = MetaRop::kSrcCopy;
  } else if (type == U_EMR_TRANSPARENTBLT) {
    r.source = EmfDib(rec, 84, usage, list);
    if (r.source.isNull()) return;
    prepared = WithoutColour(r.source, word);
    r.rop = MetaRop::kSrcCopy;
  } else {
    // MaskBlt's word holds two operations: the foreground one where the mask is 1, the background
    // one in its top byte where the mask is 0.
    r.rop = type == U_EMR_MASKBLT ? (word & 0x00FFFFFFu) : word;
    if (RopUsesSource(r.rop)) r.source = EmfDib(rec, 84, usage, list);
    if (type == U_EMR_MASKBLT && !r.source.isNull() && (word >> 24) == 0xAA &&
        BlitModeOf(r.rop) == EMetaBlitMode::Copy) {
      const QImage mask = EmfDib(rec, 112, rec.U32(108), list);
      if (!mask.isNull())
        prepared = ThroughMask(PrepareBlitImage(r.source, r.rop), mask, rec.I32(100), rec.I32(104));
    }
  }
  r.sourceRect = SourcePixels(rec, 52, sourceLogical);
  AddRasterBlit(list, std::move(r), std::move(prepared), opacity);
}

void ReadEmfPlgBlt(const TMetaBytes& rec, TMetaListBuilder& list) {
  if (rec.Size() < 140) return;
  QImage source = EmfDib(rec, 96, rec.U32(92), list);
  if (source.isNull()) return;
  QImage image = PrepareBlitImage(source, MetaRop::kSrcCopy);
  const QImage mask = EmfDib(rec, 124, rec.U32(120), list);
  if (!mask.isNull()) image = ThroughMask(image, mask, rec.I32(112), rec.I32(116));
  TMetaBlit blit;
  blit.mode = EMetaBlitMode::Copy;
  blit.source = SourcePixels(rec, 64, QRectF(rec.I32(48), rec.I32(52), rec.I32(56), rec.I32(60)));
  if (blit.source.width() <= 0 || blit.source.height() <= 0) return;
  blit.image = std::move(image);
  blit.topLeft = QPointF(rec.I32(24), rec.I32(28));
  blit.topRight = QPointF(rec.I32(32), rec.I32(36));
  blit.bottomLeft = QPointF(rec.I32(40), rec.I32(44));
  list.AddBlit(std::move(blit));
}

TMetaCommand PatternCommand(std::int32_t pattern) {
  if (pattern < 0) return {EMetaOp::CreateBrush, TMetaBrushArgs{.style = U_BS_PATTERN, .colour = 0x808080}};
  return {EMetaOp::CreatePatternBrush, TMetaPatternArgs{.slot = 0, .pattern = pattern}};
}

// The old WMF records carry a device-dependent BITMAP16 at `at`: type, width, height, bytes per row,
// planes and bits per pixel, then the bits.
QImage WmfBitmap16(const TMetaBytes& rec, std::int64_t at, std::int64_t bitsAt, TMetaListBuilder& list) {
  if (!rec.Has(at, 10) || !rec.Has(bitsAt, 0)) return QImage();
  const QByteArray dib = DibFromBitmap16(rec.I16(at + 2), rec.I16(at + 4), rec.I16(at + 6),
                                         static_cast<std::uint8_t>(rec.U16(at + 8)), rec.U16(at + 8) >> 8,
                                         View(rec, bitsAt, rec.Size() - bitsAt));
  if (dib.isEmpty()) return QImage();
  const std::int64_t infoSize = PackedDibInfoSize(dib, 0);
  if (infoSize <= 0) return QImage();
  TMetaDibRequest request;
  request.info = QByteArrayView(dib).first(static_cast<qsizetype>(infoSize));
  request.bits = QByteArrayView(dib).sliced(static_cast<qsizetype>(infoSize));
  return DecodeMetaDib(request, list);
}

}  // namespace

bool ReadWmfBitmapRecord(const TMetaBytes& rec, std::uint8_t type, TMetaListBuilder& list) {
  // A record's parameters come in reverse order; the blits without a bitmap are PatBlts with an extra
  // reserved word, told apart by their size.
  TBlitRequest r;
  QByteArrayView info;
  switch (type) {
    case U_WMR_STRETCHDIB: {
      if (rec.Size() < 28) return true;
      r.rop = rec.U32(6);
      const std::uint32_t usage = rec.U16(10);
      const double cySrc = rec.I16(12), cxSrc = rec.I16(14), ySrc = rec.I16(16), xSrc = rec.I16(18);
      r.height = rec.I16(20), r.width = rec.I16(22), r.y = rec.I16(24), r.x = rec.I16(26);
      if (RopUsesSource(r.rop)) r.source = WmfDib(rec, 28, usage, list, &info);
      if (!r.source.isNull()) r.sourceRect = DibSourceRect(info, r.source, xSrc, ySrc, cxSrc, cySrc);
      break;
    }
    case U_WMR_SETDIBTODEV: {
      if (rec.Size() < 24) return true;
      const std::uint32_t usage = rec.U16(6);
      const double startScan = rec.U16(10), ySrc = rec.I16(12), xSrc = rec.I16(14);
      r.height = rec.I16(16), r.width = rec.I16(18), r.y = rec.I16(20), r.x = rec.I16(22);
      r.source = WmfDib(rec, 24, usage, list, &info, false, rec.U16(8));
      if (!r.source.isNull())
        r.sourceRect = DibSourceRect(info, r.source, xSrc, ySrc - (DibIsBottomUp(info) ? startScan : 0),
                                     r.width, r.height);
      break;
    }
    case U_WMR_DIBSTRETCHBLT:
    case U_WMR_STRETCHBLT: {
      if (rec.Size() < 26) return true;
      r.rop = rec.U32(6);
      const double cySrc = rec.I16(10), cxSrc = rec.I16(12), ySrc = rec.I16(14), xSrc = rec.I16(16);
      const bool withBitmap = rec.Size() > 28;
      const std::int64_t at = withBitmap ? 18 : 20;
      r.height = rec.I16(at), r.width = rec.I16(at + 2), r.y = rec.I16(at + 4), r.x = rec.I16(at + 6);
      if (withBitmap && RopUsesSource(r.rop))
        r.source = type == U_WMR_DIBSTRETCHBLT ? WmfDib(rec, 26, 0, list) : WmfBitmap16(rec, 26, 36, list);
      r.sourceRect = QRectF(xSrc, ySrc, cxSrc, cySrc);
      break;
    }
    case U_WMR_DIBBITBLT:
    case U_WMR_BITBLT: {
      if (rec.Size() < 22) return true;
      r.rop = rec.U32(6);
      const double ySrc = rec.I16(10), xSrc = rec.I16(12);
      const bool withBitmap = rec.Size() > 24;
      const std::int64_t at = withBitmap ? 14 : 16;
      r.height = rec.I16(at), r.width = rec.I16(at + 2), r.y = rec.I16(at + 4), r.x = rec.I16(at + 6);
      if (withBitmap && RopUsesSource(r.rop))
        r.source = type == U_WMR_DIBBITBLT ? WmfDib(rec, 22, 0, list) : WmfBitmap16(rec, 22, 32, list);
      r.sourceRect = QRectF(xSrc, ySrc, r.width, r.height);
      break;
    }
    case U_WMR_PATBLT:
      if (rec.Size() < 18) return true;
      r.rop = rec.U32(6);
      r.height = rec.I16(10), r.width = rec.I16(12), r.y = rec.I16(14), r.x = rec.I16(16);
      if (RopUsesSource(r.rop)) return true;
      break;
    default:
      return false;
  }
  AddRasterBlit(list, std::move(r));
  return true;
}

bool ReadEmfBitmapRecord(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list) {
  switch (type) {
    case U_EMR_STRETCHDIBITS:
      ReadEmfStretchDibits(rec, list, true);
      return true;
    case U_EMR_SETDIBITSTODEVICE:
      ReadEmfStretchDibits(rec, list, false);
      return true;
    case U_EMR_BITBLT:
    case U_EMR_STRETCHBLT:
    case U_EMR_MASKBLT:
    case U_EMR_ALPHABLEND:
    case U_EMR_TRANSPARENTBLT:
      ReadEmfBlt(rec, type, list);
      return true;
    case U_EMR_PLGBLT:
      ReadEmfPlgBlt(rec, list);
      return true;
    default:
      return false;
  }
}

TMetaCommand WmfPatternBrushCommand(const TMetaBytes& rec, std::uint8_t type, TMetaListBuilder& list) {
  if (type == U_WMR_CREATEPATTERNBRUSH) {
    if (!rec.Has(6, 10)) return PatternCommand(-1);
    const bool monochrome = (rec.U16(14) >> 8) == 1;
    return PatternCommand(list.AddPattern(WmfBitmap16(rec, 6, 38, list), monochrome));
  }
  if (!rec.Has(6, 4)) return PatternCommand(-1);
  // A BS_PATTERN brush's DIB has RGB colours whatever its usage field says.
  const bool monochromeStyle = rec.U16(6) == kStyleBsPattern;
  const std::uint32_t usage = monochromeStyle ? 0 : rec.U16(8);
  QByteArrayView info;
  QImage image = WmfDib(rec, 10, usage, list, &info, monochromeStyle);
  return PatternCommand(list.AddPattern(std::move(image), monochromeStyle && DibBitsPerPixel(info) == 1));
}

TMetaCommand EmfPatternBrushCommand(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list) {
  if (rec.Size() < 32) return PatternCommand(-1);
  QByteArrayView info;
  const bool mono = type == U_EMR_CREATEMONOBRUSH;
  QImage image = EmfDib(rec, 16, rec.U32(12), list, &info, false, mono);
  return PatternCommand(list.AddPattern(std::move(image), mono && DibBitsPerPixel(info) == 1));
}
