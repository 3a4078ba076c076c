// GDI objects: the entries of the player's object table made from the create commands, brushes and
// the stock objects, and the selecting of them into a device context.
#pragma once

#include <QBrush>
#include <QPen>
#include <cstdint>
#include <vector>

#include "metafile/model/MetaCommand.h"
#include "metafile/play/MetaDc.h"

class TMetaPlayList;

// An object of the table. Fonts, palettes and regions draw nothing by themselves: a font is an index
// into the list's fonts, a region its rectangles.
struct TMetaObject {
  enum class EKind { None, Pen, Brush, Region, Palette, Other } kind = EKind::None;
  QPen pen;
  QBrush brush;
  // The pen's or brush's colour reference: a PALETTEINDEX one is resolved when the object draws.
  std::uint32_t colourRef = 0;
  TMetaPaletteRef palette;
  int font = -1;                                  // index into the list's fonts
  int pattern = -1;                               // index into the list's patterns
  std::int32_t regionFirst = 0, regionCount = 0;  // rectangles in the list's regionRects
  bool insideFrame = false;                       // a PS_INSIDEFRAME pen
};

// The objects a picture creates, by slot.
class TMetaObjectTable {
 public:
  void Reset(int slots);
  // Puts the object of a create command (CreatePen, CreateExtPen, CreateBrush, CreatePatternBrush,
  // CreateFont, CreateRegion, CreatePalette, CreateOther) into its slot; a slot out of range takes
  // nothing.
  void Create(const TMetaCommand& c, const TMetaPlayList& list);
  // Plays SelectPalette, SetPaletteEntries and ResizePalette on the table's palettes and the device
  // context, whose colours then take the palette's entries.
  void ChangePalette(const TMetaCommand& c, const TMetaPlayList& list, TMetaDc& dc);
  // The device context keeps its own copy of a selected pen or brush, as GDI keeps using a selected
  // object.
  void Delete(std::int32_t slot);
  // The object in the slot; null for a slot out of range.
  const TMetaObject* At(std::int32_t slot) const;

 private:
  // The palette in the slot, or the device context's selected one for slot -1; null for none.
  TMetaPaletteEntries* Palette(std::int32_t slot, const TMetaDc& dc) const;

  std::vector<TMetaObject> objects_;
  TMetaPaletteBudget palettes_;
};

// A brush from a GDI brush style (BS_*), 0x00BBGGRR colour and hatch (HS_*).
QBrush MetaBrush(int style, std::uint32_t colour, int hatch);

// What a brush object paints with under the device context's palette and colours: its pattern in the
// text and background colours, or its brush.
QBrush MetaObjectBrush(const TMetaObject& object, const TMetaPlayList& list, const TMetaDc& dc);

// A stock object by its number without the stock bit: a brush, a pen, a font (the default font stands
// for all of them) or nothing that draws (palettes, unknown numbers).
struct TMetaStockObject {
  enum class EKind { None, Pen, Brush, Font } kind = EKind::None;
  QPen pen;
  QBrush brush;
};
TMetaStockObject MetaStockObject(int stock);

// Selects a table object's pen, brush or font into the device context; regions are the clip region's
// business.
void SelectMetaObject(TMetaDc& dc, const TMetaObject& object, const TMetaPlayList& list);
// Selects a stock object by its number without the stock bit. The DC pen and brush of later GDI
// versions select as the colours they have in a fresh device context.
void SelectMetaStockObject(TMetaDc& dc, int stock);
// The selected brush, a monochrome pattern in the present text and background colours.
const QBrush& MetaSelectedBrush(TMetaDc& dc, const TMetaPlayList& list);
// Makes the device context's pen, brush, text and background colours again from their colour
// references under its selected palette; nothing to do when none names a palette entry.
void ResolveMetaDcColours(TMetaDc& dc, const TMetaPlayList& list);
