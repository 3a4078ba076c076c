// Records of text output and text state.
#include "metafile/read/MetaTextRecords.h"

#include <algorithm>

#include "metafile/read/MetaRecordFields.h"

namespace {

// EMR_SETTEXTJUSTIFICATION, which libuemf has no struct for.
struct TEmrSetTextJustification {
  U_EMR emr;
  std::int32_t nBreakExtra;
  std::int32_t nBreakCount;
};

// UTF-16 characters and glyph indices of the wide records, and the advances of EMF records.
constexpr std::int64_t kWideCharSize = sizeof(std::uint16_t);
constexpr std::int64_t kEmfAdvanceSize = sizeof(std::int32_t);

// Characters a record may carry: what it claims, cut to what fits and to the per-record limit.
std::int64_t FittingChars(std::int64_t claimed, std::int64_t available, std::int64_t bytesPerChar) {
  if (claimed <= 0 || available <= 0) return 0;
  return std::min({claimed, available / bytesPerChar, kMaxMetaTextChars});
}

void AddRun(TMetaListBuilder& builder, TMetaTextRun run) {
  const std::int32_t index = builder.AddText(std::move(run));
  builder.Add({EMetaOp::TextOut, TMetaIndex{index}});
}

// The advances that follow the text, when the record holds all of them: 32-bit ones (EMF) or 16-bit
// ones (WMF), size bytes each. With ETO_PDY each character has a pair: its advance, then its
// displacement along the font's vertical.
void ReadAdvances(const TMetaBytes& rec, std::int64_t at, std::int64_t count, std::int64_t size, bool wide,
                  TMetaTextRun& run) {
  const bool pairs = (run.options & U_ETO_PDY) != 0;
  const std::int64_t step = pairs ? 2 * size : size;
  if (count <= 0 || at <= 0 || !rec.Has(at, step * count)) return;
  const auto value = [&](std::int64_t pos) -> std::int32_t { return wide ? rec.I32(pos) : rec.I16(pos); };
  run.dx.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    run.dx.push_back(value(at + step * i));
    if (pairs) run.dy.push_back(value(at + step * i + size));
  }
}

// The opaque or clip rectangle that EMF text records carry unless their options say ETO_NO_RECT; moves
// at past it. False when the record is too short for it.
bool ReadEmfTextRect(const TMetaBytes& rec, std::int64_t& at, TMetaTextRun& run) {
  if (run.options & U_ETO_NO_RECT) return true;
  if (!rec.Has(at, sizeof(U_RECTL))) return false;
  const TMetaRect rect = ReadRectl(rec, at);
  // Corners as floating point: QRect's width and height overflow for corners far apart.
  run.rect = QRectF(QPointF(rect.left, rect.top), QPointF(rect.right, rect.bottom));
  run.hasRect = (run.options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) != 0;
  at += sizeof(U_RECTL);
  return true;
}

// ExtTextOutA and ExtTextOutW share their layout; the text is single bytes or 16-bit characters.
void ReadEmfExtTextOut(const TMetaBytes& rec, bool wide, TMetaListBuilder& builder) {
  using R = U_EMREXTTEXTOUTW;
  static_assert(offsetof(R, emrtext) == offsetof(U_EMREXTTEXTOUTA, emrtext));
  if (!rec.Has(0, sizeof(R))) return;
  TMetaTextRun run;
  run.isAnsi = !wide;
  const TMetaPoint reference = ReadPointl(rec, offsetof(R, emrtext.ptlReference));
  run.reference = QPoint(reference.x, reference.y);
  const std::int64_t claimed = rec.U32(offsetof(R, emrtext.nChars));
  const std::int64_t offString = rec.U32(offsetof(R, emrtext.offString));
  run.options = rec.U32(offsetof(R, emrtext.fOptions));
  // The optional rectangle, then the offset of the advances.
  std::int64_t at = sizeof(R);
  if (!ReadEmfTextRect(rec, at, run) || !rec.Has(at, sizeof(U_OFFDX))) return;
  const std::int64_t offDx = rec.U32(at);
  const std::int64_t bytesPerChar = wide ? kWideCharSize : 1;
  // Glyph indices, which GDI records in the wide form, name glyphs of the font file rather than
  // characters; an ANSI record with them is left undrawn, its width per glyph being unknown.
  const bool glyphs = (run.options & U_ETO_GLYPH_INDEX) != 0;
  const std::int64_t chars = (glyphs && !wide) || !rec.Has(offString, 0)
                                 ? 0
                                 : FittingChars(claimed, rec.Size() - offString, bytesPerChar);
  if (glyphs) {
    run.glyphs.resize(static_cast<std::size_t>(chars));
    for (std::int64_t i = 0; i < chars; ++i)
      run.glyphs[static_cast<std::size_t>(i)] = rec.U16(offString + kWideCharSize * i);
  } else if (wide) {
    run.text.resize(static_cast<qsizetype>(chars));
    for (std::int64_t i = 0; i < chars; ++i)
      run.text[static_cast<qsizetype>(i)] = QChar(rec.U16(offString + kWideCharSize * i));
  } else {
    run.ansi = QByteArray(rec.Data(offString, chars), static_cast<qsizetype>(chars));
  }
  ReadAdvances(rec, offDx, chars, kEmfAdvanceSize, true, run);
  if (chars == 0 && !run.hasRect) return;
  AddRun(builder, std::move(run));
}

}  // namespace

void ReadEmfSetTextColor(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetTextColor, TMetaColour{rec.U32(offsetof(U_EMRSETTEXTCOLOR, crColor))}});
}

void ReadEmfSetBkColor(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetBkColor, TMetaColour{rec.U32(offsetof(U_EMRSETBKCOLOR, crColor))}});
}

void ReadEmfSetBkMode(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetBkMode, TMetaMode{rec.I32(offsetof(U_EMRSETBKMODE, iMode))}});
}

void ReadEmfSetTextAlign(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetTextAlign, TMetaMode{rec.I32(offsetof(U_EMRSETTEXTALIGN, iMode))}});
}

void ReadEmfSetTextJustification(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = TEmrSetTextJustification;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::SetTextJustification,
               TMetaJustification{rec.I32(offsetof(R, nBreakExtra)), rec.I32(offsetof(R, nBreakCount))}});
}

void ReadWmfSetTextColor(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetTextColor, TMetaColour{rec.U32(offsetof(U_WMRSETTEXTCOLOR, Color))}});
}

void ReadWmfSetBkColor(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetBkColor, TMetaColour{rec.U32(offsetof(U_WMRSETBKCOLOR, Color))}});
}

void ReadWmfSetBkMode(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetBkMode, TMetaMode{rec.U16(offsetof(U_WMRSETBKMODE, Mode))}});
}

void ReadWmfSetTextAlign(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetTextAlign, TMetaMode{rec.U16(offsetof(U_WMRSETTEXTALIGN, Mode))}});
}

void ReadWmfSetTextCharExtra(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetTextCharExtra, TMetaCharExtra{rec.I16(offsetof(U_WMRSETTEXTCHAREXTRA, Mode))}});
}

void ReadWmfSetTextJustification(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRSETTEXTJUSTIFICATION;
  if (!rec.Has(0, sizeof(R))) return;
  builder.Add({EMetaOp::SetTextJustification,
               TMetaJustification{rec.I16(offsetof(R, Extra)), rec.U16(offsetof(R, Count))}});
}

void ReadEmfExtTextOutA(const TMetaBytes& rec, TMetaListBuilder& builder) {
  ReadEmfExtTextOut(rec, false, builder);
}

void ReadEmfExtTextOutW(const TMetaBytes& rec, TMetaListBuilder& builder) {
  ReadEmfExtTextOut(rec, true, builder);
}

void ReadEmfSmallTextOut(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRSMALLTEXTOUT;
  if (!rec.Has(0, sizeof(R))) return;
  TMetaTextRun run;
  const TMetaPoint dest = ReadPointl(rec, offsetof(R, Dest));
  run.reference = QPoint(dest.x, dest.y);
  const std::int64_t claimed = rec.U32(offsetof(R, cChars));
  run.options = rec.U32(offsetof(R, fuOptions));
  // The optional rectangle, then the text.
  std::int64_t at = sizeof(R);
  if (!ReadEmfTextRect(rec, at, run)) return;
  const std::int64_t bytesPerChar = (run.options & U_ETO_SMALL_CHARS) ? 1 : kWideCharSize;
  const std::int64_t chars =
      std::min({claimed, std::max<std::int64_t>(rec.Size() - at, 0) / bytesPerChar, kMaxMetaTextChars});
  for (std::int64_t i = 0; i < chars; ++i)
    run.text.append(QChar(bytesPerChar == 1 ? rec.U8(at + i) : rec.U16(at + kWideCharSize * i)));
  if (run.text.isEmpty() && !run.hasRect) return;
  AddRun(builder, std::move(run));
}

void ReadWmfTextOut(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRTEXTOUT;
  // The string is padded to whole words; the reference point's y and x follow it.
  constexpr std::int64_t kStringAt = offsetof(R, String);
  constexpr std::int64_t kCoordinateSize = sizeof(std::int16_t);
  const std::int64_t length = rec.U16(offsetof(R, Length));
  const std::int64_t padded = length + (length & 1);
  if (!rec.Has(kStringAt, padded + 2 * kCoordinateSize)) return;
  TMetaTextRun run;
  run.isAnsi = true;
  run.ansi =
      QByteArray(rec.Data(kStringAt, length), static_cast<qsizetype>(std::min(length, kMaxMetaTextChars)));
  run.reference = QPoint(rec.I16(kStringAt + padded + kCoordinateSize), rec.I16(kStringAt + padded));
  AddRun(builder, std::move(run));
}

void ReadWmfExtTextOut(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMREXTTEXTOUT;
  if (!rec.Has(0, sizeof(R))) return;
  TMetaTextRun run;
  run.isAnsi = true;
  const TMetaPoint reference = WmfPoint<R>(rec);
  run.reference = QPoint(reference.x, reference.y);
  const std::int64_t claimed = rec.I16(offsetof(R, Length));
  run.options = rec.U16(offsetof(R, Opts));
  // The optional rectangle, the string padded to whole words, then the advances.
  std::int64_t at = sizeof(R);
  // The rectangle is there only when the options ask for one; some writers drop it regardless, which
  // the record's size tells.
  if ((run.options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) &&
      rec.Has(at, sizeof(U_RECT16) + std::max<std::int64_t>(claimed, 0))) {
    run.rect =
        QRectF(QPointF(rec.I16(at + offsetof(U_RECT16, left)), rec.I16(at + offsetof(U_RECT16, top))),
               QPointF(rec.I16(at + offsetof(U_RECT16, right)), rec.I16(at + offsetof(U_RECT16, bottom))));
    run.hasRect = true;
    at += sizeof(U_RECT16);
  }
  const std::int64_t chars = FittingChars(claimed, rec.Size() - at, 1);
  run.ansi = QByteArray(rec.Data(at, chars), static_cast<qsizetype>(chars));
  ReadAdvances(rec, at + chars + (chars & 1), chars, sizeof(std::int16_t), false, run);
  if (run.ansi.isEmpty() && !run.hasRect) return;
  AddRun(builder, std::move(run));
}
