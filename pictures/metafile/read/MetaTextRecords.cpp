#include "metafile/read/MetaTextRecords.h"

#include <uemf.h>
#include <uwmf.h>

#include <algorithm>

namespace {

constexpr std::int32_t kFaceChars = 32;

std::int32_t CapFontUnits(std::int64_t units) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(units, -kMaxMetaFontUnits, kMaxMetaFontUnits));
}

// Characters a record may carry: what it claims, cut to what fits and to the per-record limit.
std::int64_t FittingChars(std::int64_t claimed, std::int64_t available, std::int64_t bytesPerChar) {
  if (claimed <= 0 || available <= 0) return 0;
  return std::min({claimed, available / bytesPerChar, kMaxMetaTextChars});
}

void AddRun(TMetaPlayList& list, TMetaTextRun run) {
  const std::int32_t index = list.AddText(std::move(run));
  list.Add({EMetaOp::TextOut, TMetaIndex{index}});
}

// The common tail of both ExtTextOut forms: the advances, when the record holds all of them. With
// ETO_PDY each character has a pair: its advance, then its displacement along the font's vertical.
void ReadAdvances(const TMetaBytes& rec, std::int64_t at, std::int64_t count, bool wide, TMetaTextRun& run) {
  const std::int64_t size = wide ? 4 : 2;
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

void ReadWmfTextOut(const TMetaBytes& rec, TMetaPlayList& list) {
  const std::int64_t length = rec.U16(6);
  const std::int64_t padded = length + (length & 1);
  if (!rec.Has(8, padded + 4)) return;
  TMetaTextRun run;
  run.isAnsi = true;
  run.ansi = QByteArray(rec.Data(8, length), static_cast<qsizetype>(std::min(length, kMaxMetaTextChars)));
  run.reference = QPoint(rec.I16(8 + padded + 2), rec.I16(8 + padded));
  AddRun(list, std::move(run));
}

void ReadWmfExtTextOut(const TMetaBytes& rec, TMetaPlayList& list) {
  if (!rec.Has(6, 8)) return;
  TMetaTextRun run;
  run.isAnsi = true;
  run.reference = QPoint(rec.I16(8), rec.I16(6));
  const std::int64_t claimed = rec.I16(10);
  run.options = rec.U16(12);
  std::int64_t at = 14;
  // The rectangle is there only when the options ask for one; some writers drop it regardless, which
  // the record's size tells.
  if ((run.options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) && rec.Has(at, 8 + std::max<std::int64_t>(claimed, 0))) {
    run.rect = QRectF(QPointF(rec.I16(at), rec.I16(at + 2)), QPointF(rec.I16(at + 4), rec.I16(at + 6)));
    run.hasRect = true;
    at += 8;
  }
  const std::int64_t chars = FittingChars(claimed, rec.Size() - at, 1);
  run.ansi = QByteArray(rec.Data(at, chars), static_cast<qsizetype>(chars));
  ReadAdvances(rec, at + chars + (chars & 1), chars, false, run);
  if (run.ansi.isEmpty() && !run.hasRect) return;
  AddRun(list, std::move(run));
}

void ReadEmfExtTextOut(const TMetaBytes& rec, bool wide, TMetaPlayList& list) {
  if (!rec.Has(36, 20)) return;
  TMetaTextRun run;
  run.isAnsi = !wide;
  run.reference = QPoint(rec.I32(36), rec.I32(40));
  const std::int64_t claimed = rec.U32(44), offString = rec.U32(48);
  run.options = rec.U32(52);
  std::int64_t at = 56;
  if (!(run.options & U_ETO_NO_RECT)) {
    if (!rec.Has(at, 16)) return;
    run.rect = QRectF(QPointF(rec.I32(at), rec.I32(at + 4)), QPointF(rec.I32(at + 8), rec.I32(at + 12)));
    run.hasRect = (run.options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) != 0;
    at += 16;
  }
  if (!rec.Has(at, 4)) return;
  const std::int64_t offDx = rec.U32(at);
  const std::int64_t bytesPerChar = wide ? 2 : 1;
  // Glyph indices, which GDI records in the wide form, name glyphs of the font file rather than
  // characters; an ANSI record with them is left undrawn, its width per glyph being unknown.
  const bool glyphs = (run.options & U_ETO_GLYPH_INDEX) != 0;
  const std::int64_t chars = (glyphs && !wide) || !rec.Has(offString, 0)
                                 ? 0
                                 : FittingChars(claimed, rec.Size() - offString, bytesPerChar);
  if (glyphs) {
    run.glyphs.resize(static_cast<std::size_t>(chars));
    for (std::int64_t i = 0; i < chars; ++i)
      run.glyphs[static_cast<std::size_t>(i)] = rec.U16(offString + 2 * i);
  } else if (wide) {
    run.text.resize(static_cast<qsizetype>(chars));
    for (std::int64_t i = 0; i < chars; ++i)
      run.text[static_cast<qsizetype>(i)] = QChar(rec.U16(offString + 2 * i));
  } else {
    run.ansi = QByteArray(rec.Data(offString, chars), static_cast<qsizetype>(chars));
  }
  ReadAdvances(rec, offDx, chars, true, run);
  if (chars == 0 && !run.hasRect) return;
  AddRun(list, std::move(run));
}

}  // namespace

bool ReadWmfTextRecord(const TMetaBytes& rec, std::uint8_t type, TMetaPlayList& list) {
  switch (type) {
    case U_WMR_SETTEXTCOLOR:
      list.Add({EMetaOp::SetTextColor, TMetaColour{list.Colour(rec.U32(6))}});
      return true;
    case U_WMR_SETBKCOLOR:
      list.Add({EMetaOp::SetBkColor, TMetaColour{list.Colour(rec.U32(6))}});
      return true;
    case U_WMR_SETBKMODE:
      list.Add({EMetaOp::SetBkMode, TMetaMode{rec.U16(6)}});
      return true;
    case U_WMR_SETTEXTALIGN:
      list.Add({EMetaOp::SetTextAlign, TMetaMode{rec.U16(6)}});
      return true;
    case U_WMR_SETTEXTCHAREXTRA:
      list.Add({EMetaOp::SetTextCharExtra, TMetaCharExtra{rec.I16(6)}});
      return true;
    case U_WMR_TEXTOUT:
      ReadWmfTextOut(rec, list);
      return true;
    case U_WMR_EXTTEXTOUT:
      ReadWmfExtTextOut(rec, list);
      return true;
    default:
      return false;
  }
}

bool ReadEmfTextRecord(const TMetaBytes& rec, std::uint32_t type, TMetaPlayList& list) {
  switch (type) {
    case U_EMR_SETTEXTCOLOR:
      list.Add({EMetaOp::SetTextColor, TMetaColour{list.Colour(rec.U32(8))}});
      return true;
    case U_EMR_SETBKCOLOR:
      list.Add({EMetaOp::SetBkColor, TMetaColour{list.Colour(rec.U32(8))}});
      return true;
    case U_EMR_SETBKMODE:
      list.Add({EMetaOp::SetBkMode, TMetaMode{rec.I32(8)}});
      return true;
    case U_EMR_SETTEXTALIGN:
      list.Add({EMetaOp::SetTextAlign, TMetaMode{rec.I32(8)}});
      return true;
    case U_EMR_EXTTEXTOUTA:
    case U_EMR_EXTTEXTOUTW:
      ReadEmfExtTextOut(rec, type == U_EMR_EXTTEXTOUTW, list);
      return true;
    default:
      return false;
  }
}

TMetaCommand WmfFontCommand(const TMetaBytes& rec, TMetaPlayList& list) {
  TMetaFont font;
  if (rec.Has(6, 18)) {
    font.height = CapFontUnits(rec.I16(6));
    font.width = CapFontUnits(rec.I16(8));
    font.escapement = rec.I16(10);
    font.weight = rec.I16(14);
    const char* flags = rec.Data(16, 4);
    font.italic = flags[0] != 0, font.underline = flags[1] != 0, font.strikeOut = flags[2] != 0;
    font.charset = static_cast<std::uint8_t>(flags[3]);
    // The face name may be cut short by the record's end and need not end in a zero.
    const std::int64_t faceBytes = std::clamp<std::int64_t>(rec.Size() - 24, 0, kFaceChars);
    const char* face = rec.Data(24, faceBytes);
    font.face =
        QString::fromLatin1(face, static_cast<qsizetype>(std::find(face, face + faceBytes, '\0') - face));
  }
  return {EMetaOp::CreateFont, TMetaFontArgs{.slot = 0, .font = list.AddFont(std::move(font))}};
}

TMetaCommand EmfFontCommand(const TMetaBytes& rec, TMetaPlayList& list) {
  TMetaFont font;
  if (rec.Has(12, 28)) {
    font.height = CapFontUnits(rec.I32(12));
    font.width = CapFontUnits(rec.I32(16));
    font.escapement = static_cast<std::int32_t>(rec.I32(20) % 3600);
    font.weight = rec.I32(28);
    const char* flags = rec.Data(32, 4);
    font.italic = flags[0] != 0, font.underline = flags[1] != 0, font.strikeOut = flags[2] != 0;
    font.charset = static_cast<std::uint8_t>(flags[3]);
    for (std::int64_t i = 0; i < kFaceChars && rec.Has(40 + 2 * i, 2); ++i) {
      const std::uint16_t c = rec.U16(40 + 2 * i);
      if (c == 0) break;
      font.face.append(QChar(c));
    }
  }
  return {EMetaOp::CreateFont, TMetaFontArgs{.slot = 0, .font = list.AddFont(std::move(font))}};
}
