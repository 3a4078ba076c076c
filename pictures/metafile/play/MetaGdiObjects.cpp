// GDI objects: made from their create commands, taken from the stock, selected into a device context.
#include "metafile/play/MetaGdiObjects.h"

#include <uemf.h>

#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaBitmapPlayer.h"
#include "metafile/play/MetaColour.h"
#include "metafile/play/MetaListRange.h"
#include "metafile/play/MetaPen.h"

namespace {

// Stock objects of later GDI versions that libuemf does not name.
constexpr int kStockDcBrush = 18;
constexpr int kStockDcPen = 19;

constexpr int Stock(std::uint32_t object) {
  return static_cast<int>(object & ~U_STOCK_OBJECT);
}

// The user dash lengths of an ExtCreatePen; none when the list does not hold them.
std::vector<std::uint32_t> PenDashes(const TMetaExtPenArgs& pen, const TMetaPlayList& list) {
  if (pen.dashCount <= 0 || pen.firstDash < 0 ||
      static_cast<std::uint64_t>(pen.firstDash) + static_cast<std::uint64_t>(pen.dashCount) >
          list.penDashes.size())
    return {};
  return std::vector<std::uint32_t>(list.penDashes.begin() + pen.firstDash,
                                    list.penDashes.begin() + pen.firstDash + pen.dashCount);
}

// The object a create command makes, and the slot it goes into.
TMetaObject Made(const TMetaCommand& c, const TMetaPlayList& list, std::int32_t& slot) {
  TMetaObject object;
  object.kind = TMetaObject::EKind::Other;
  switch (c.Op()) {
    case EMetaOp::CreatePen: {
      const auto& pen = c.Args<TMetaPenArgs>();
      slot = pen.slot;
      object.kind = TMetaObject::EKind::Pen;
      object.pen = MetaPen(pen.style, pen.width, pen.colour);
      object.colourRef = pen.colour;
      object.insideFrame = (pen.style & U_PS_STYLE_MASK) == U_PS_INSIDEFRAME;
      break;
    }
    case EMetaOp::CreateExtPen: {
      const auto& pen = c.Args<TMetaExtPenArgs>();
      slot = pen.slot;
      object.kind = TMetaObject::EKind::Pen;
      object.pen = MetaExtPen(pen.style, pen.width, pen.colour, PenDashes(pen, list));
      object.colourRef = pen.colour;
      object.insideFrame = (pen.style & U_PS_STYLE_MASK) == U_PS_INSIDEFRAME;
      break;
    }
    case EMetaOp::CreateBrush: {
      const auto& brush = c.Args<TMetaBrushArgs>();
      slot = brush.slot;
      object.kind = TMetaObject::EKind::Brush;
      object.brush = MetaBrush(brush.style, brush.colour, brush.hatch);
      object.colourRef = brush.colour;
      break;
    }
    case EMetaOp::CreatePatternBrush: {
      const auto& pattern = c.Args<TMetaPatternArgs>();
      slot = pattern.slot;
      // A pattern that is not there leaves the slot empty.
      if (pattern.pattern < 0 || static_cast<std::size_t>(pattern.pattern) >= list.patterns.size())
        object.kind = TMetaObject::EKind::None;
      else
        object.kind = TMetaObject::EKind::Brush, object.pattern = pattern.pattern;
      break;
    }
    case EMetaOp::CreateFont: {
      const auto& font = c.Args<TMetaFontArgs>();
      slot = font.slot;
      object.font = font.font;
      break;
    }
    case EMetaOp::CreateRegion: {
      const auto& region = c.Args<TMetaRegionArgs>();
      slot = region.slot;
      object.kind = TMetaObject::EKind::Region;
      object.regionFirst = region.first;
      object.regionCount = region.count;
      break;
    }
    case EMetaOp::CreatePalette:
      slot = c.Args<TMetaPaletteArgs>().slot;  // its entries need the table's budget
      break;
    default:
      slot = c.Args<TMetaSlot>().slot;
      break;
  }
  return object;
}

}  // namespace

void TMetaObjectTable::Reset(int slots) {
  objects_.assign(static_cast<std::size_t>(std::max(slots, 0)), TMetaObject());
  palettes_ = TMetaPaletteBudget();
}

void TMetaObjectTable::Create(const TMetaCommand& c, const TMetaPlayList& list) {
  std::int32_t slot = -1;
  TMetaObject object = Made(c, list, slot);
  if (slot < 0 || static_cast<std::size_t>(slot) >= objects_.size()) return;
  if (c.Op() == EMetaOp::CreatePalette) {
    const auto& args = c.Args<TMetaPaletteArgs>();
    if (MetaRangeFits(list.paletteEntries.size(), args.first, args.count)) {
      object.kind = TMetaObject::EKind::Palette;
      object.palette = palettes_.Make(list.paletteEntries.data() + args.first, args.count);
    }
  }
  objects_[static_cast<std::size_t>(slot)] = std::move(object);
}

TMetaPaletteEntries* TMetaObjectTable::Palette(std::int32_t slot, const TMetaDc& dc) const {
  if (slot < 0) return dc.palette.get();
  const TMetaObject* object = At(slot);
  return object != nullptr ? object->palette.get() : nullptr;
}

void TMetaObjectTable::ChangePalette(const TMetaCommand& c, const TMetaPlayList& list, TMetaDc& dc) {
  switch (c.Op()) {
    case EMetaOp::SelectPalette: {
      // A slot without a palette selects the default one.
      const TMetaObject* object = At(c.Args<TMetaSlot>().slot);
      dc.palette = object != nullptr ? object->palette : nullptr;
      break;
    }
    case EMetaOp::SetPaletteEntries: {
      const auto& args = c.Args<TMetaPaletteArgs>();
      TMetaPaletteEntries* palette = Palette(args.slot, dc);
      if (palette == nullptr || !MetaRangeFits(list.paletteEntries.size(), args.first, args.count)) return;
      SetMetaPaletteEntries(*palette, args.start, list.paletteEntries.data() + args.first, args.count);
      break;
    }
    case EMetaOp::ResizePalette: {
      const auto& args = c.Args<TMetaPaletteSize>();
      TMetaPaletteEntries* palette = Palette(args.slot, dc);
      if (palette == nullptr) return;
      palettes_.Resize(*palette, args.count);
      break;
    }
    default:
      return;
  }
  ResolveMetaDcColours(dc, list);
}

void TMetaObjectTable::Delete(std::int32_t slot) {
  if (slot >= 0 && static_cast<std::size_t>(slot) < objects_.size())
    objects_[static_cast<std::size_t>(slot)] = TMetaObject();
}

const TMetaObject* TMetaObjectTable::At(std::int32_t slot) const {
  if (slot < 0 || static_cast<std::size_t>(slot) >= objects_.size()) return nullptr;
  return &objects_[static_cast<std::size_t>(slot)];
}

QBrush MetaBrush(int style, std::uint32_t colour, int hatch) {
  if (style == U_BS_NULL) return QBrush(Qt::NoBrush);
  if (style == U_BS_HATCHED) {
    switch (hatch) {
      case U_HS_HORIZONTAL:
        return QBrush(MetaColourRef(colour), Qt::HorPattern);
      case U_HS_VERTICAL:
        return QBrush(MetaColourRef(colour), Qt::VerPattern);
      case U_HS_FDIAGONAL:
        return QBrush(MetaColourRef(colour), Qt::FDiagPattern);
      case U_HS_BDIAGONAL:
        return QBrush(MetaColourRef(colour), Qt::BDiagPattern);
      case U_HS_CROSS:
        return QBrush(MetaColourRef(colour), Qt::CrossPattern);
      case U_HS_DIAGCROSS:
        return QBrush(MetaColourRef(colour), Qt::DiagCrossPattern);
      default:
        break;
    }
  }
  return QBrush(MetaColourRef(colour));
}

QBrush MetaObjectBrush(const TMetaObject& object, const TMetaPlayList& list, const TMetaDc& dc) {
  if (object.pattern >= 0)
    return MetaPatternBrush(list.patterns[static_cast<std::size_t>(object.pattern)], dc.textColour,
                            dc.bkColour, dc.palette.get());
  if (!IsMetaPaletteIndex(object.colourRef)) return object.brush;
  QBrush brush = object.brush;
  brush.setColor(MetaColourRef(ResolveMetaColour(dc.palette.get(), object.colourRef)));
  return brush;
}

TMetaStockObject MetaStockObject(int stock) {
  TMetaStockObject object;
  const auto brush = [&object](const QBrush& b) {
    object.kind = TMetaStockObject::EKind::Brush;
    object.brush = b;
  };
  const auto pen = [&object](const QPen& p) {
    object.kind = TMetaStockObject::EKind::Pen;
    object.pen = p;
  };
  switch (stock) {
    case Stock(U_WHITE_BRUSH):
      brush(QBrush(QColor(255, 255, 255)));
      break;
    case Stock(U_LTGRAY_BRUSH):
      brush(QBrush(QColor(192, 192, 192)));
      break;
    case Stock(U_GRAY_BRUSH):
      brush(QBrush(QColor(128, 128, 128)));
      break;
    case Stock(U_DKGRAY_BRUSH):
      brush(QBrush(QColor(64, 64, 64)));
      break;
    case Stock(U_BLACK_BRUSH):
      brush(QBrush(QColor(0, 0, 0)));
      break;
    case Stock(U_NULL_BRUSH):
      brush(QBrush(Qt::NoBrush));
      break;
    case Stock(U_WHITE_PEN):
      pen(QPen(QColor(255, 255, 255), 0));
      break;
    case Stock(U_BLACK_PEN):
      pen(QPen(QColor(0, 0, 0), 0));
      break;
    case Stock(U_NULL_PEN):
      pen(QPen(Qt::NoPen));
      break;
    case Stock(U_OEM_FIXED_FONT):
    case Stock(U_ANSI_FIXED_FONT):
    case Stock(U_ANSI_VAR_FONT):
    case Stock(U_SYSTEM_FONT):
    case Stock(U_DEVICE_DEFAULT_FONT):
    case Stock(U_SYSTEM_FIXED_FONT):
    case Stock(U_DEFAULT_GUI_FONT):
      object.kind = TMetaStockObject::EKind::Font;
      break;
    default:
      break;  // palettes draw nothing here
  }
  return object;
}

void SelectMetaObject(TMetaDc& dc, const TMetaObject& object, const TMetaPlayList& list) {
  if (object.kind == TMetaObject::EKind::Pen) {
    dc.pen = object.pen;
    dc.penColourRef = object.colourRef;
    if (IsMetaPaletteIndex(object.colourRef))
      dc.pen.setColor(MetaColourRef(ResolveMetaColour(dc.palette.get(), object.colourRef)));
    dc.penInsideFrame = object.insideFrame;
  }
  if (object.kind == TMetaObject::EKind::Brush) {
    const bool mono =
        object.pattern >= 0 && list.patterns[static_cast<std::size_t>(object.pattern)].monochrome;
    dc.monoPattern = mono ? object.pattern : -1;
    const bool paletteColours =
        object.pattern >= 0 && list.patterns[static_cast<std::size_t>(object.pattern)].paletteImage;
    dc.palettePattern = paletteColours ? object.pattern : -1;
    dc.monoText = dc.textColour;
    dc.monoBk = dc.bkColour;
    dc.brushColourRef = object.pattern >= 0 ? 0 : object.colourRef;
    dc.brush = MetaObjectBrush(object, list, dc);
  }
  if (object.font >= 0) dc.font = object.font;
}

void SelectMetaStockObject(TMetaDc& dc, int stock) {
  const int classic = stock == kStockDcBrush ? Stock(U_WHITE_BRUSH)
                      : stock == kStockDcPen ? Stock(U_BLACK_PEN)
                                             : stock;
  const TMetaStockObject object = MetaStockObject(classic);
  switch (object.kind) {
    case TMetaStockObject::EKind::Brush:
      dc.monoPattern = -1;
      dc.palettePattern = -1;
      dc.brush = object.brush;
      dc.brushColourRef = 0;
      break;
    case TMetaStockObject::EKind::Pen:
      dc.pen = object.pen;
      dc.penColourRef = 0;
      dc.penInsideFrame = false;
      break;
    case TMetaStockObject::EKind::Font:
      dc.font = -1;
      break;
    case TMetaStockObject::EKind::None:
      break;
  }
}

const QBrush& MetaSelectedBrush(TMetaDc& dc, const TMetaPlayList& list) {
  // Recoloured only when it draws: a file may change colours many times between fills.
  if (dc.monoPattern >= 0 && (dc.monoText != dc.textColour || dc.monoBk != dc.bkColour)) {
    dc.brush = MetaPatternBrush(list.patterns[static_cast<std::size_t>(dc.monoPattern)], dc.textColour,
                                dc.bkColour, nullptr);
    dc.monoText = dc.textColour;
    dc.monoBk = dc.bkColour;
  }
  return dc.brush;
}

void ResolveMetaDcColours(TMetaDc& dc, const TMetaPlayList& list) {
  const TMetaPaletteEntries* palette = dc.palette.get();
  if (IsMetaPaletteIndex(dc.penColourRef))
    dc.pen.setColor(MetaColourRef(ResolveMetaColour(palette, dc.penColourRef)));
  if (IsMetaPaletteIndex(dc.brushColourRef))
    dc.brush.setColor(MetaColourRef(ResolveMetaColour(palette, dc.brushColourRef)));
  if (IsMetaPaletteIndex(dc.textColourRef)) dc.textColour = ResolveMetaColour(palette, dc.textColourRef);
  if (IsMetaPaletteIndex(dc.bkColourRef)) dc.bkColour = ResolveMetaColour(palette, dc.bkColourRef);
  if (dc.palettePattern >= 0)
    dc.brush = MetaPatternBrush(list.patterns[static_cast<std::size_t>(dc.palettePattern)], dc.textColour,
                                dc.bkColour, palette);
}
