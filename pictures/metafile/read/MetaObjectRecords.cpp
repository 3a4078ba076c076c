// Records of the object table: pens, brushes, fonts and palettes created, selected and deleted.
#include "metafile/read/MetaObjectRecords.h"

#include <algorithm>
#include <vector>

#include "metafile/read/MetaRecordFields.h"

namespace {

std::int32_t CapFontUnits(std::int64_t units) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(units, -kMaxMetaFontUnits, kMaxMetaFontUnits));
}

// The dash lengths of an ExtCreatePen with a user style, when the record holds them whole.
void ReadUserDashes(const TMetaBytes& rec, TMetaListBuilder& builder, TMetaExtPenArgs& pen) {
  constexpr std::int64_t kCountAt = offsetof(U_EMREXTCREATEPEN, elp.elpNumEntries);
  constexpr std::int64_t kDashesAt = offsetof(U_EMREXTCREATEPEN, elp.elpStyleEntry);
  if (!rec.Has(kCountAt, sizeof(U_NUM_STYLEENTRY))) return;
  const std::int64_t entries = std::min<std::int64_t>(rec.U32(kCountAt), kMaxMetaPenDashes);
  if (entries <= 0 || !rec.Has(kDashesAt, sizeof(U_STYLEENTRY) * entries)) return;
  std::vector<std::uint32_t> dashes;
  for (std::int64_t i = 0; i < entries; ++i)
    dashes.push_back(rec.U32(kDashesAt + static_cast<std::int64_t>(sizeof(U_STYLEENTRY)) * i));
  const std::int32_t first = builder.AddPenDashes(dashes);
  if (first >= 0) pen.firstDash = first, pen.dashCount = static_cast<std::int32_t>(entries);
}

void SetFontFlags(const TMetaBytes& rec, std::int64_t italicAt, std::int64_t underlineAt,
                  std::int64_t strikeOutAt, std::int64_t charsetAt, TMetaFont& font) {
  font.italic = rec.U8(italicAt) != 0;
  font.underline = rec.U8(underlineAt) != 0;
  font.strikeOut = rec.U8(strikeOutAt) != 0;
  font.charset = rec.U8(charsetAt);
}

// The palette commands' slot for the palette selected, and for the default palette when selecting.
constexpr std::int32_t kSelectedPalette = -1;
constexpr std::int32_t kDefaultPalette = -1;
constexpr auto kMaxPaletteEntries = static_cast<std::uint32_t>(kMaxMetaPaletteEntries);

// A palette entry as GDI writes it (PALETTEENTRY: red, green, blue, flags); libuemf's U_LOGPLTNTRY and
// U_PLTNTRY name its bytes in other orders.
struct TPaletteEntry {
  std::uint8_t red, green, blue, flags;
};

// The entries of a palette record: count entries from `at`, as many as the record holds.
std::vector<QRgb> PaletteEntries(const TMetaBytes& rec, std::int64_t at, std::uint32_t count) {
  std::vector<QRgb> entries;
  for (std::uint32_t i = 0; i < count && i < kMaxPaletteEntries; ++i) {
    const std::int64_t entry = at + static_cast<std::int64_t>(sizeof(TPaletteEntry)) * i;
    if (!rec.Has(entry, sizeof(TPaletteEntry))) break;
    entries.push_back(qRgb(rec.U8(entry + offsetof(TPaletteEntry, red)),
                           rec.U8(entry + offsetof(TPaletteEntry, green)),
                           rec.U8(entry + offsetof(TPaletteEntry, blue))));
  }
  return entries;
}

// A command creating or changing a palette, its entries put into the list's store.
TMetaCommand PaletteCommand(EMetaOp op, std::int32_t slot, std::int32_t start,
                            const std::vector<QRgb>& entries, TMetaListBuilder& builder) {
  TMetaPaletteArgs args{.slot = slot, .start = start};
  args.first = builder.AddPaletteEntries(entries, args.count);
  return {op, args};
}

TMetaPaletteSize PaletteSize(std::int32_t slot, std::uint32_t count) {
  return {.slot = slot, .count = static_cast<std::int32_t>(std::min(count, kMaxPaletteEntries))};
}

// The command creating the font, which goes into the font store; the slot is left for the caller.
TMetaCommand FontCommand(TMetaFont font, TMetaListBuilder& builder) {
  return {EMetaOp::CreateFont, TMetaFontArgs{.slot = 0, .font = builder.AddFont(std::move(font))}};
}

}  // namespace

void ReadEmfCreatePen(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRCREATEPEN;
  // The style's low word holds the dash, end cap and join; CreatePen has no use for the pen type above it.
  constexpr std::uint32_t kStyleBits = 0xFFFFu;
  builder.CreateObjectAt(
      rec.U32(offsetof(R, ihPen)),
      {EMetaOp::CreatePen,
       TMetaPenArgs{.style = static_cast<std::int32_t>(rec.U32(offsetof(R, lopn.lopnStyle)) & kStyleBits),
                    .width = rec.I32(offsetof(R, lopn.lopnWidth.x)),
                    .colour = rec.U32(offsetof(R, lopn.lopnColor))}});
}

void ReadEmfExtCreatePen(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMREXTCREATEPEN;
  const std::uint32_t slot = rec.U32(offsetof(R, ihPen));
  const std::uint32_t style = rec.U32(offsetof(R, elp.elpPenStyle));
  const std::uint32_t brushStyle = rec.U32(offsetof(R, elp.elpBrushStyle));
  // A pen with a null brush draws nothing.
  TMetaExtPenArgs pen{.style = brushStyle == U_BS_NULL ? U_PS_NULL : style,
                      .width = rec.I32(offsetof(R, elp.elpWidth)),
                      .colour = rec.U32(offsetof(R, elp.elpColor))};
  if ((style & U_PS_STYLE_MASK) == U_PS_USERSTYLE) ReadUserDashes(rec, builder, pen);
  builder.CreateObjectAt(slot, {EMetaOp::CreateExtPen, pen});
}

void ReadEmfCreateBrushIndirect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRCREATEBRUSHINDIRECT;
  builder.CreateObjectAt(rec.U32(offsetof(R, ihBrush)),
                         {EMetaOp::CreateBrush, TMetaBrushArgs{.style = rec.I32(offsetof(R, lb.lbStyle)),
                                                               .colour = rec.U32(offsetof(R, lb.lbColor)),
                                                               .hatch = rec.I32(offsetof(R, lb.lbHatch))}});
}

void ReadWmfCreatePenIndirect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRCREATEPENINDIRECT;
  // The pen's width is a point of which only x counts.
  builder.CreateObject({EMetaOp::CreatePen, TMetaPenArgs{.style = rec.U16(offsetof(R, pen.Style)),
                                                         .width = rec.I16(offsetof(R, pen.Widthw)),
                                                         .colour = rec.U32(offsetof(R, pen.Color))}});
}

void ReadWmfCreateBrushIndirect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRCREATEBRUSHINDIRECT;
  builder.CreateObject({EMetaOp::CreateBrush, TMetaBrushArgs{.style = rec.U16(offsetof(R, brush.Style)),
                                                             .colour = rec.U32(offsetof(R, brush.Color)),
                                                             .hatch = rec.U16(offsetof(R, brush.Hatch))}});
}

void ReadEmfExtCreateFontIndirectW(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMREXTCREATEFONTINDIRECTW;
  constexpr std::int64_t kFontAt = offsetof(R, elfw.elfLogFont);
  constexpr std::int64_t kFaceAt = offsetof(R, elfw.elfLogFont.lfFaceName);
  // Escapements are in tenths of a degree; whole turns are dropped.
  constexpr std::int32_t kTurn = 3600;
  const std::uint32_t slot = rec.U32(offsetof(R, ihFont));
  TMetaFont font;
  if (rec.Has(kFontAt, kFaceAt - kFontAt)) {
    font.height = CapFontUnits(rec.I32(offsetof(R, elfw.elfLogFont.lfHeight)));
    font.width = CapFontUnits(rec.I32(offsetof(R, elfw.elfLogFont.lfWidth)));
    font.escapement = static_cast<std::int32_t>(rec.I32(offsetof(R, elfw.elfLogFont.lfEscapement)) % kTurn);
    font.weight = rec.I32(offsetof(R, elfw.elfLogFont.lfWeight));
    SetFontFlags(rec, offsetof(R, elfw.elfLogFont.lfItalic), offsetof(R, elfw.elfLogFont.lfUnderline),
                 offsetof(R, elfw.elfLogFont.lfStrikeOut), offsetof(R, elfw.elfLogFont.lfCharSet), font);
    constexpr std::int64_t kCharSize = sizeof(std::uint16_t);
    for (std::int64_t i = 0; i < U_LF_FACESIZE && rec.Has(kFaceAt + kCharSize * i, kCharSize); ++i) {
      const std::uint16_t c = rec.U16(kFaceAt + kCharSize * i);
      if (c == 0) break;
      font.face.append(QChar(c));
    }
  }
  builder.CreateObjectAt(slot, FontCommand(std::move(font), builder));
}

void ReadWmfCreateFontIndirect(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRCREATEFONTINDIRECT;
  constexpr std::int64_t kFontAt = offsetof(R, font);
  constexpr std::int64_t kFaceAt = offsetof(R, font.FaceName);
  // The face name's bytes, as LOGFONT's LF_FACESIZE.
  constexpr std::int64_t kFaceChars = U_LF_FACESIZE;
  TMetaFont font;
  if (rec.Has(kFontAt, kFaceAt - kFontAt)) {
    font.height = CapFontUnits(rec.I16(offsetof(R, font.Height)));
    font.width = CapFontUnits(rec.I16(offsetof(R, font.Width)));
    font.escapement = rec.I16(offsetof(R, font.Escapement));
    font.weight = rec.I16(offsetof(R, font.Weight));
    SetFontFlags(rec, offsetof(R, font.Italic), offsetof(R, font.Underline), offsetof(R, font.StrikeOut),
                 offsetof(R, font.CharSet), font);
    const std::int64_t faceBytes = std::clamp<std::int64_t>(rec.Size() - kFaceAt, 0, kFaceChars);
    const char* face = rec.Data(kFaceAt, faceBytes);
    font.face =
        QString::fromLatin1(face, static_cast<qsizetype>(std::find(face, face + faceBytes, '\0') - face));
  }
  builder.CreateObject(FontCommand(std::move(font), builder));
}

void ReadEmfCreatePalette(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRCREATEPALETTE;
  std::vector<QRgb> entries;
  if (rec.Has(offsetof(R, lgpl), offsetof(U_LOGPALETTE, palPalEntry)))
    entries = PaletteEntries(rec, offsetof(R, lgpl.palPalEntry), rec.U16(offsetof(R, lgpl.palNumEntries)));
  builder.CreateObjectAt(rec.U32(offsetof(R, ihPal)),
                         PaletteCommand(EMetaOp::CreatePalette, 0, 0, entries, builder));
}

void ReadEmfSelectPalette(const TMetaBytes& rec, TMetaListBuilder& builder) {
  const std::uint32_t slot = rec.U32(offsetof(U_EMRSELECTPALETTE, ihPal));
  // The stock default palette, or a slot beyond the table, selects GDI's default palette.
  const bool ownPalette = (slot & U_STOCK_OBJECT) == 0 && slot < kMaxEmfSlots;
  builder.Add(
      {EMetaOp::SelectPalette, TMetaSlot{ownPalette ? static_cast<std::int32_t>(slot) : kDefaultPalette}});
}

void ReadEmfSetPaletteEntries(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRSETPALETTEENTRIES;
  if (!rec.Has(0, offsetof(R, aPalEntries))) return;
  const std::uint32_t slot = rec.U32(offsetof(R, ihPal));
  const std::uint32_t start = rec.U32(offsetof(R, iStart));
  if (slot >= kMaxEmfSlots || start >= kMaxPaletteEntries) return;
  builder.Add(PaletteCommand(
      EMetaOp::SetPaletteEntries, static_cast<std::int32_t>(slot), static_cast<std::int32_t>(start),
      PaletteEntries(rec, offsetof(R, aPalEntries), rec.U32(offsetof(R, cEntries))), builder));
}

void ReadEmfResizePalette(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_EMRRESIZEPALETTE;
  if (!rec.Has(0, sizeof(R))) return;
  const std::uint32_t slot = rec.U32(offsetof(R, ihPal));
  if (slot >= kMaxEmfSlots) return;
  builder.Add(
      {EMetaOp::ResizePalette, PaletteSize(static_cast<std::int32_t>(slot), rec.U32(offsetof(R, cEntries)))});
}

void ReadWmfCreatePalette(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRCREATEPALETTE;
  std::vector<QRgb> entries;
  if (rec.Has(offsetof(R, Palette), offsetof(U_PALETTE, PalEntries)))
    entries = PaletteEntries(rec, offsetof(R, Palette.PalEntries), rec.U16(offsetof(R, Palette.NumEntries)));
  builder.CreateObject(PaletteCommand(EMetaOp::CreatePalette, 0, 0, entries, builder));
}

void ReadWmfSelectPalette(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRSELECTPALETTE;
  if (rec.Has(offsetof(R, index), sizeof(R::index)))
    builder.Add({EMetaOp::SelectPalette, TMetaSlot{rec.U16(offsetof(R, index))}});
}

// SetPalEntries and AnimatePalette change the selected palette.
void ReadWmfSetPalEntries(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRSETPALENTRIES;
  static_assert(offsetof(R, Palette) == offsetof(U_WMRANIMATEPALETTE, Palette));
  if (!rec.Has(offsetof(R, Palette), offsetof(U_PALETTE, PalEntries))) return;
  builder.Add(PaletteCommand(
      EMetaOp::SetPaletteEntries, kSelectedPalette, rec.U16(offsetof(R, Palette.Start)),
      PaletteEntries(rec, offsetof(R, Palette.PalEntries), rec.U16(offsetof(R, Palette.NumEntries))),
      builder));
}

void ReadWmfResizePalette(const TMetaBytes& rec, TMetaListBuilder& builder) {
  using R = U_WMRRESIZEPALETTE;
  if (rec.Has(offsetof(R, index), sizeof(R::index)))
    builder.Add({EMetaOp::ResizePalette, PaletteSize(kSelectedPalette, rec.U16(offsetof(R, index)))});
}

void ReadEmfSelectObject(const TMetaBytes& rec, TMetaListBuilder& builder) {
  const std::uint32_t index = rec.U32(offsetof(U_EMRSELECTOBJECT, ihObject));
  if (index & U_STOCK_OBJECT)
    builder.Add({EMetaOp::SelectStock, TMetaStock{static_cast<std::int32_t>(index & ~U_STOCK_OBJECT)}});
  else if (index < kMaxEmfSlots)
    builder.Add({EMetaOp::SelectObject, TMetaSlot{static_cast<std::int32_t>(index)}});
}

void ReadEmfDeleteObject(const TMetaBytes& rec, TMetaListBuilder& builder) {
  const std::uint32_t slot = rec.U32(offsetof(U_EMRDELETEOBJECT, ihObject));
  if (slot >= kMaxEmfSlots) return;
  builder.Add({EMetaOp::DeleteObject, TMetaSlot{static_cast<std::int32_t>(slot)}});
}

void ReadWmfSelectObject(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SelectObject, TMetaSlot{rec.U16(offsetof(U_WMRSELECTOBJECT, index))}});
}

void ReadWmfDeleteObject(const TMetaBytes& rec, TMetaListBuilder& builder) {
  const std::uint16_t slot = rec.U16(offsetof(U_WMRDELETEOBJECT, index));
  if (!builder.FreeSlot(slot)) return;
  builder.Add({EMetaOp::DeleteObject, TMetaSlot{slot}});
}
