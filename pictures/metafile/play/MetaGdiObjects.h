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
  enum class EKind { None, Pen, Brush, Region, Other } kind = EKind::None;
  QPen pen;
  QBrush brush;
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
  // CreateFont, CreateRegion, CreateOther) into its slot; a slot out of range takes nothing.
  void Create(const TMetaCommand& c, const TMetaPlayList& list);
  // The device context keeps its own copy of a selected pen or brush, as GDI keeps using a selected
  // object.
  void Delete(std::int32_t slot);
  // The object in the slot; null for a slot out of range.
  const TMetaObject* At(std::int32_t slot) const;

 private:
  std::vector<TMetaObject> objects_;
};

// A brush from a GDI brush style (BS_*), 0x00BBGGRR colour and hatch (HS_*).
QBrush MetaBrush(int style, std::uint32_t colour, int hatch);

// What a brush object paints with: its pattern in the given text and background colours (0x00BBGGRR),
// or its brush.
QBrush MetaObjectBrush(const TMetaObject& object, const TMetaPlayList& list, std::uint32_t textColour,
                       std::uint32_t bkColour);

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
