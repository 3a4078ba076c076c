// The play list's commands: the operations that WMF and EMF records turn into, each with its arguments
// in a struct that names them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <variant>

// The drawing operations; both readers produce the same list. Coordinates are logical units unless said
// otherwise. MetaOpArgsKind below says which argument struct each one carries.
enum class EMetaOp : std::uint8_t {
  SetMapMode,  // MM_* mode
  SetWindowOrg,
  SetWindowExt,
  SetViewportOrg,
  SetViewportExt,
  OffsetWindowOrg,  // by the point as an offset
  OffsetViewportOrg,
  ScaleWindowExt,
  ScaleViewportExt,
  SaveDC,
  RestoreDC,
  SetPolyFillMode,  // ALTERNATE or WINDING
  CreatePen,
  CreateBrush,
  CreateOther,  // a slot taken by an object that draws nothing
  SelectObject,
  SelectStock,  // EMF only
  DeleteObject,
  MoveTo,
  LineTo,
  Polygon,
  Polyline,
  PolyPolygon,
  PolyPolyline,
  Rectangle,
  Ellipse,
  RoundRect,
  // Text
  CreateFont,
  SetTextColor,
  SetBkColor,
  SetBkMode,     // TRANSPARENT or OPAQUE
  SetTextAlign,  // TA_* flags
  SetTextCharExtra,
  TextOut,  // an index into texts
  // World transforms, curves and paths (EMF).
  SetWorldTransform,  // an index into transforms
  ModifyWorldTransform,
  PolyBezier,    // a start point and three per curve
  PolyBezierTo,  // three points per curve, from the current position
  PolylineTo,    // from the current position
  BeginPath,
  EndPath,
  CloseFigure,
  AbortPath,
  FillPath,
  StrokePath,
  StrokeAndFillPath,
  // Clipping. Regions are in picture space, paths and rectangles logical.
  IntersectClipRect,
  ExcludeClipRect,
  SelectClipPath,  // RGN_* mode; takes the finished path
  SelectClipRegion,
  OffsetClipRegion,  // by the point as an offset
  SetMetaRegion,
  // Elliptic arcs.
  Arc,
  ArcTo,  // joined to the current position, which moves to the arc's end
  Chord,
  Pie,
  SetArcDirection,  // AD_COUNTERCLOCKWISE or AD_CLOCKWISE
  // Bitmaps
  Blit,  // an index into blits
  CreatePatternBrush,
  EmfPlus,
  // Pens, raster modes, pixels, gradients and regions.
  CreateExtPen,
  SetRop2,  // R2_* mix mode
  SetPixel,
  GradientFill,  // an index into gradients
  AngleArc,
  PolyDraw,
  FlattenPath,
  WidenPath,
  // Regions are rectangles in regionRects, logical units.
  CreateRegion,
  FillRegion,
  FrameRegion,
  PaintRegion,  // with the selected brush
  InvertRegion,
  SelectClipObject,  // a region object to clip to (RGN_COPY); none resets
  SetTextJustification,
  // Logical palettes. Deleting one is DeleteObject.
  CreatePalette,      // its entries in paletteEntries
  SelectPalette,      // a slot; -1 selects the default palette
  SetPaletteEntries,  // SetPaletteEntries and AnimatePalette
  ResizePalette,
};

// One past the last operation.
inline constexpr std::size_t kMetaOpCount = static_cast<std::size_t>(EMetaOp::ResizePalette) + 1;

// A point, or an offset for the Offset operations.
struct TMetaPoint {
  std::int32_t x = 0, y = 0;
};

// A window or viewport extent; never 0 in either direction.
struct TMetaExtent {
  std::int32_t x = 0, y = 0;
};

// The extent multiplied by xNum / xDenom across and yNum / yDenom down; none of them 0.
struct TMetaScale {
  std::int32_t xNum = 1, xDenom = 1, yNum = 1, yDenom = 1;
};

// A state to go back to: a negative level counts back from the latest saved state, a positive one is a
// state number.
struct TMetaLevel {
  std::int32_t level = 0;
};

// A mode or flags of the format, its meaning given by the operation.
struct TMetaMode {
  std::int32_t mode = 0;
};

// A slot of the object table.
struct TMetaSlot {
  std::int32_t slot = 0;
};

// A stock object by its number, without the stock bit.
struct TMetaStock {
  std::int32_t object = 0;
};

// An index into the list's store that the operation names.
struct TMetaIndex {
  std::int32_t index = 0;
};

// Colours are GDI colour references as the file gives them (COLORREF: 0x00BBGGRR with a type in the top
// byte): a PALETTEINDEX reference (type 1) names an entry of the palette selected when it draws.
struct TMetaColour {
  std::uint32_t colour = 0;
};

// Extra logical units after each character.
struct TMetaCharExtra {
  std::int32_t extra = 0;
};

// Extra logical units spread over this many break characters.
struct TMetaJustification {
  std::int32_t extra = 0, breaks = 0;
};

// count points from first in the list's points.
struct TMetaPoints {
  std::int32_t first = 0, count = 0;
};

// polygons runs of points from firstPoint, their lengths in polyCounts from firstCount.
struct TMetaPolyPoints {
  std::int32_t firstPoint = 0, firstCount = 0, polygons = 0;
};

// The bounding rectangle of a shape, its corners in any order.
struct TMetaRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A rectangle with corners rounded by an ellipse of the given width and height.
struct TMetaRoundRect {
  TMetaRect box;
  std::int32_t cornerWidth = 0, cornerHeight = 0;
};

// An elliptic arc: the box of its ellipse and the first of two points in points, through which the rays
// from the centre that start and end the arc go.
struct TMetaArcArgs {
  TMetaRect box;
  std::int32_t rays = 0;
};

// A circular arc from its start angle through its sweep, both in 1/65536 degree, joined to the current
// position.
struct TMetaAngleArcArgs {
  TMetaPoint centre;
  std::int32_t radius = 0, start = 0, sweep = 0;
};

// Points with their point types (PT_*), one each, in polyDrawTypes from firstType.
struct TMetaPolyDrawArgs {
  TMetaPoints points;
  std::int32_t firstType = 0;
};

struct TMetaPixel {
  TMetaPoint at;
  std::uint32_t colour = 0;  // COLORREF
};

// A pen of CreatePen: PS_* style with its end cap and join, logical width (0: one pixel) and colour.
struct TMetaPenArgs {
  std::int32_t slot = 0, style = 0, width = 0;
  std::uint32_t colour = 0;  // COLORREF
};

// Longest user dash style taken from a file; GDI itself allows 16 entries.
inline constexpr int kMaxMetaPenDashes = 16;

// A pen of ExtCreatePen: PS_* style with its type, end cap and join, width and colour, and its user
// dash lengths in penDashes, dashCount (at most kMaxMetaPenDashes) of them from firstDash.
struct TMetaExtPenArgs {
  std::int32_t slot = 0;
  std::uint32_t style = 0;
  std::int32_t width = 0;
  std::uint32_t colour = 0;  // COLORREF
  std::int32_t firstDash = 0, dashCount = 0;
};

// A brush: BS_* style, colour and HS_* hatch.
struct TMetaBrushArgs {
  std::int32_t slot = 0, style = 0;
  std::uint32_t colour = 0;  // COLORREF
  std::int32_t hatch = 0;
};

// A font, an index into fonts.
struct TMetaFontArgs {
  std::int32_t slot = 0, font = 0;
};

// A pattern brush, an index into patterns.
struct TMetaPatternArgs {
  std::int32_t slot = 0, pattern = 0;
};

// A region object of count rectangles from first in regionRects.
struct TMetaRegionArgs {
  std::int32_t slot = 0, first = 0, count = 0;
};

// A region to paint: a region object by its slot (object >= 0), or object -1 and count rectangles of
// its own from first in regionRects.
struct TMetaRegion {
  std::int32_t object = -1, first = 0, count = 0;
};

// The brush is a slot, or a stock object with the EMF stock bit.
struct TMetaFillRegionArgs {
  TMetaRegion region;
  std::int32_t brush = 0;
};

// As a fill, in a frame of the given width and height inside the region's edges.
struct TMetaFrameRegionArgs {
  TMetaRegion region;
  std::int32_t brush = 0, width = 0, height = 0;
};

// A matrix of transforms combined with the world transform by an MWT_* mode.
struct TMetaTransformArgs {
  std::int32_t transform = 0, mode = 0;
};

// A clip region of count rectangles, two corner points each, from first in points, combined by an RGN_*
// mode; a negative count goes back to no clipping.
struct TMetaClipRects {
  std::int32_t mode = 0, first = 0, count = 0;
};

// Most entries a palette keeps; a file's longer palettes and entries beyond this are left out.
inline constexpr std::int32_t kMaxMetaPaletteEntries = 1024;

// Palette entries: count of them from first in paletteEntries, for a new palette in the slot or for the
// palette's entries from start on. Slot -1 names the palette selected.
struct TMetaPaletteArgs {
  std::int32_t slot = 0, start = 0, first = 0, count = 0;
};

// The palette in the slot (-1: the one selected) resized to count entries.
struct TMetaPaletteSize {
  std::int32_t slot = 0, count = 0;
};

// count records from first in the EMF+ data.
struct TMetaRecords {
  std::int32_t first = 0, count = 0;
};

using TMetaArgs =
    std::variant<std::monostate, TMetaPoint, TMetaExtent, TMetaScale, TMetaLevel, TMetaMode, TMetaSlot,
                 TMetaStock, TMetaIndex, TMetaColour, TMetaCharExtra, TMetaJustification, TMetaPoints,
                 TMetaPolyPoints, TMetaRect, TMetaRoundRect, TMetaArcArgs, TMetaAngleArcArgs,
                 TMetaPolyDrawArgs, TMetaPixel, TMetaPenArgs, TMetaExtPenArgs, TMetaBrushArgs, TMetaFontArgs,
                 TMetaPatternArgs, TMetaRegionArgs, TMetaRegion, TMetaFillRegionArgs, TMetaFrameRegionArgs,
                 TMetaTransformArgs, TMetaClipRects, TMetaRecords, TMetaPaletteArgs, TMetaPaletteSize>;

template <class T>
inline constexpr std::size_t kMetaArgsKind = TMetaArgs(std::in_place_type<T>).index();

// The alternative of TMetaArgs that the operation carries; std::variant_npos for no operation.
constexpr std::size_t MetaOpArgsKind(EMetaOp op) {
  switch (op) {
    case EMetaOp::SaveDC:
    case EMetaOp::BeginPath:
    case EMetaOp::EndPath:
    case EMetaOp::CloseFigure:
    case EMetaOp::AbortPath:
    case EMetaOp::FillPath:
    case EMetaOp::StrokePath:
    case EMetaOp::StrokeAndFillPath:
    case EMetaOp::SetMetaRegion:
    case EMetaOp::FlattenPath:
    case EMetaOp::WidenPath:
      return kMetaArgsKind<std::monostate>;
    case EMetaOp::SetWindowOrg:
    case EMetaOp::SetViewportOrg:
    case EMetaOp::OffsetWindowOrg:
    case EMetaOp::OffsetViewportOrg:
    case EMetaOp::MoveTo:
    case EMetaOp::LineTo:
    case EMetaOp::OffsetClipRegion:
      return kMetaArgsKind<TMetaPoint>;
    case EMetaOp::SetWindowExt:
    case EMetaOp::SetViewportExt:
      return kMetaArgsKind<TMetaExtent>;
    case EMetaOp::ScaleWindowExt:
    case EMetaOp::ScaleViewportExt:
      return kMetaArgsKind<TMetaScale>;
    case EMetaOp::RestoreDC:
      return kMetaArgsKind<TMetaLevel>;
    case EMetaOp::SetMapMode:
    case EMetaOp::SetPolyFillMode:
    case EMetaOp::SetBkMode:
    case EMetaOp::SetTextAlign:
    case EMetaOp::SelectClipPath:
    case EMetaOp::SetArcDirection:
    case EMetaOp::SetRop2:
      return kMetaArgsKind<TMetaMode>;
    case EMetaOp::CreateOther:
    case EMetaOp::SelectObject:
    case EMetaOp::DeleteObject:
    case EMetaOp::SelectClipObject:
    case EMetaOp::SelectPalette:
      return kMetaArgsKind<TMetaSlot>;
    case EMetaOp::SelectStock:
      return kMetaArgsKind<TMetaStock>;
    case EMetaOp::TextOut:
    case EMetaOp::SetWorldTransform:
    case EMetaOp::Blit:
    case EMetaOp::GradientFill:
      return kMetaArgsKind<TMetaIndex>;
    case EMetaOp::SetTextColor:
    case EMetaOp::SetBkColor:
      return kMetaArgsKind<TMetaColour>;
    case EMetaOp::SetTextCharExtra:
      return kMetaArgsKind<TMetaCharExtra>;
    case EMetaOp::SetTextJustification:
      return kMetaArgsKind<TMetaJustification>;
    case EMetaOp::Polygon:
    case EMetaOp::Polyline:
    case EMetaOp::PolyBezier:
    case EMetaOp::PolyBezierTo:
    case EMetaOp::PolylineTo:
      return kMetaArgsKind<TMetaPoints>;
    case EMetaOp::PolyPolygon:
    case EMetaOp::PolyPolyline:
      return kMetaArgsKind<TMetaPolyPoints>;
    case EMetaOp::Rectangle:
    case EMetaOp::Ellipse:
    case EMetaOp::IntersectClipRect:
    case EMetaOp::ExcludeClipRect:
      return kMetaArgsKind<TMetaRect>;
    case EMetaOp::RoundRect:
      return kMetaArgsKind<TMetaRoundRect>;
    case EMetaOp::Arc:
    case EMetaOp::ArcTo:
    case EMetaOp::Chord:
    case EMetaOp::Pie:
      return kMetaArgsKind<TMetaArcArgs>;
    case EMetaOp::AngleArc:
      return kMetaArgsKind<TMetaAngleArcArgs>;
    case EMetaOp::PolyDraw:
      return kMetaArgsKind<TMetaPolyDrawArgs>;
    case EMetaOp::SetPixel:
      return kMetaArgsKind<TMetaPixel>;
    case EMetaOp::CreatePen:
      return kMetaArgsKind<TMetaPenArgs>;
    case EMetaOp::CreateExtPen:
      return kMetaArgsKind<TMetaExtPenArgs>;
    case EMetaOp::CreateBrush:
      return kMetaArgsKind<TMetaBrushArgs>;
    case EMetaOp::CreateFont:
      return kMetaArgsKind<TMetaFontArgs>;
    case EMetaOp::CreatePatternBrush:
      return kMetaArgsKind<TMetaPatternArgs>;
    case EMetaOp::CreateRegion:
      return kMetaArgsKind<TMetaRegionArgs>;
    case EMetaOp::PaintRegion:
    case EMetaOp::InvertRegion:
      return kMetaArgsKind<TMetaRegion>;
    case EMetaOp::FillRegion:
      return kMetaArgsKind<TMetaFillRegionArgs>;
    case EMetaOp::FrameRegion:
      return kMetaArgsKind<TMetaFrameRegionArgs>;
    case EMetaOp::ModifyWorldTransform:
      return kMetaArgsKind<TMetaTransformArgs>;
    case EMetaOp::SelectClipRegion:
      return kMetaArgsKind<TMetaClipRects>;
    case EMetaOp::EmfPlus:
      return kMetaArgsKind<TMetaRecords>;
    case EMetaOp::CreatePalette:
    case EMetaOp::SetPaletteEntries:
      return kMetaArgsKind<TMetaPaletteArgs>;
    case EMetaOp::ResizePalette:
      return kMetaArgsKind<TMetaPaletteSize>;
  }
  return std::variant_npos;
}

constexpr bool MetaOpsNumberedWithArgs() {
  for (std::size_t op = 0; op < kMetaOpCount; ++op)
    if (MetaOpArgsKind(static_cast<EMetaOp>(op)) == std::variant_npos) return false;
  return MetaOpArgsKind(static_cast<EMetaOp>(kMetaOpCount)) == std::variant_npos;
}
static_assert(MetaOpsNumberedWithArgs(), "every operation below kMetaOpCount carries a kind of arguments");

// One operation of the list with its arguments, always of the kind the operation carries.
class TMetaCommand {
 public:
  // Throws std::logic_error when the arguments are not of the operation's kind: a reader's fault.
  constexpr TMetaCommand(EMetaOp op, const TMetaArgs& args = {}) : op_(op), args_(args) {
    if (args_.index() != MetaOpArgsKind(op)) ThrowWrongArgs();
  }

  constexpr EMetaOp Op() const { return op_; }
  // The arguments as the struct the operation carries; throws std::logic_error for another one.
  template <class T>
  const T& Args() const {
    if (const T* args = std::get_if<T>(&args_)) return *args;
    ThrowWrongArgs();
  }
  // The same object-creating command for the slot; throws std::logic_error for an operation that creates
  // no object.
  TMetaCommand InSlot(std::int32_t slot) const;

 private:
  [[noreturn]] void ThrowWrongArgs() const;

  EMetaOp op_;
  TMetaArgs args_;
};

// Lists may hold millions of commands.
static_assert(sizeof(TMetaCommand) <= 32 && std::is_trivially_copyable_v<TMetaCommand>);

// True for the operations that put ink on the picture; the others only change the state they draw with.
bool MetaOpDraws(EMetaOp op);
