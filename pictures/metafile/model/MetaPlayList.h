#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <vector>

#include "metafile/model/MetaBitmap.h"
#include "metafile/model/MetaGradient.h"
#include "metafile/model/MetaText.h"
#include "metafile/read/MetaPalette.h"

// The drawing operations that WMF and EMF records turn into; both readers produce the same list.
enum class EMetaOp : std::uint8_t {
  SetMapMode,         // a: map mode (MM_*)
  SetWindowOrg,       // a, b: x, y
  SetWindowExt,       // a, b: never 0
  SetViewportOrg,     // a, b
  SetViewportExt,     // a, b: never 0
  OffsetWindowOrg,    // a, b: dx, dy
  OffsetViewportOrg,  // a, b
  ScaleWindowExt,     // a/b for x, c/d for y; no 0 among them
  ScaleViewportExt,   // as ScaleWindowExt
  SaveDC,
  RestoreDC,        // a: negative relative level, positive absolute state number
  SetPolyFillMode,  // a: ALTERNATE or WINDING
  CreatePen,        // a: slot, b: style, c: width, d: colour 0x00BBGGRR
  CreateBrush,      // a: slot, b: style, c: colour, d: hatch
  CreateOther,      // a: slot taken by an object that draws nothing (font, palette, region)
  SelectObject,     // a: slot
  SelectStock,      // a: stock object number (EMF only)
  DeleteObject,     // a: slot
  MoveTo,           // a, b
  LineTo,           // a, b
  Polygon,          // a: first point, b: point count
  Polyline,         // a: first point, b: point count
  PolyPolygon,      // a: first point, b: first polygon count, c: polygon count
  PolyPolyline,     // as PolyPolygon
  Rectangle,        // a, b, c, d: left, top, right, bottom
  Ellipse,          // as Rectangle
  RoundRect,        // as Rectangle, e, f: corner ellipse width and height
  // Text
  CreateFont,        // a: slot, b: index into fonts
  SetTextColor,      // a: colour 0x00BBGGRR
  SetBkColor,        // a: colour 0x00BBGGRR
  SetBkMode,         // a: TRANSPARENT or OPAQUE
  SetTextAlign,      // a: TA_* flags
  SetTextCharExtra,  // a: extra logical units after each character
  TextOut,           // a: index into texts
  // World transforms, curves and paths (EMF).
  SetWorldTransform,     // a: index into transforms
  ModifyWorldTransform,  // a: index into transforms, b: MWT_* mode
  PolyBezier,            // a: first point, b: point count (a start point and three per curve)
  PolyBezierTo,          // a: first point, b: point count (three per curve), from the current position
  PolylineTo,            // a: first point, b: point count, from the current position
  BeginPath,
  EndPath,
  CloseFigure,
  AbortPath,
  FillPath,
  StrokePath,
  StrokeAndFillPath,
  // Clipping. Regions are in picture space, paths and rectangles logical.
  IntersectClipRect,  // a, b, c, d: left, top, right, bottom
  ExcludeClipRect,    // as IntersectClipRect
  SelectClipPath,     // a: RGN_* mode; takes the finished path
  SelectClipRegion,   // a: RGN_* mode, b: first point, c: rectangle count (two points each); none resets
  OffsetClipRegion,   // a, b: logical offset
  SetMetaRegion,
  // Elliptic arcs: a, b, c, d: bounding box, e: first of two points, the arc's start and end rays.
  Arc,
  ArcTo,  // as Arc, joined to the current position, which moves to the arc's end
  Chord,
  Pie,
  SetArcDirection,  // a: AD_COUNTERCLOCKWISE or AD_CLOCKWISE
  // Bitmaps
  Blit,                // a: index into blits
  CreatePatternBrush,  // a: slot, b: index into patterns
  EmfPlus,             // a: first EMF+ command, b: command count
  // Pens, raster modes, pixels, gradients and regions.
  CreateExtPen,  // a: slot, b: PS_* style with type, end cap and join, c: width, d: colour,
                 // e: first length in penDashes, f: their count
  SetRop2,       // a: R2_* mix mode
  SetPixel,      // a, b: x, y, c: colour 0x00BBGGRR
  GradientFill,  // a: index into gradients
  AngleArc,      // a, b: centre, c: radius, d, e: start and sweep angles in 1/65536 degree
  PolyDraw,      // a: first point, b: point count, c: first type in polyDrawTypes
  FlattenPath,
  WidenPath,
  // Regions are rectangles in regionRects, logical units. A region op names a WMF region object by its
  // slot (a >= 0) or carries its rectangles (a = -1, b: first, c: count).
  CreateRegion,          // a: slot, b: first rectangle, c: count
  FillRegion,            // a, b, c: region, d: brush slot, or stock object with the EMF stock bit
  FrameRegion,           // as FillRegion, e, f: frame width and height
  PaintRegion,           // a, b, c: region, with the selected brush
  InvertRegion,          // a, b, c: region
  SelectClipObject,      // a: slot of a region object to clip to (RGN_COPY); none resets
  SetTextJustification,  // a: extra logical units spread over b break characters
};

struct TEmfPlusData;  // emfplus/EmfPlusCommands.h

struct TMetaCommand {
  EMetaOp op;
  std::int32_t a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
};

// True for the operations that put ink on the picture; the others only change the state they draw with.
bool MetaOpDraws(EMetaOp op);

// Refusing larger lists keeps a hostile file from exhausting memory while it is being parsed.
inline constexpr std::size_t kMaxMetaCommands = std::size_t{1} << 22;
inline constexpr std::size_t kMaxMetaPoints = std::size_t{1} << 24;
// Pictures larger than this at 96 dpi are refused.
inline constexpr std::int64_t kMaxMetafilePixels = 64'000'000;

// A parsed metafile: its operations, the starting state of its device context and the rectangle of
// picture space (the space the window/viewport mapping leads to) that is drawn onto a target.
class TMetaPlayList {
 public:
  void Add(const TMetaCommand& command);
  // Adds a point to the shared point list and returns its index.
  std::int32_t AddPoint(std::int32_t x, std::int32_t y);
  std::int32_t AddPolyCount(std::int32_t count);
  // Throws EInvalidGraphic when count more points would make the list too large.
  void CheckRoomForPoints(std::int64_t count) const;

  bool enhanced = false;
  std::vector<TMetaCommand> commands;
  std::vector<QPoint> points;
  std::vector<std::int32_t> polyCounts;
  // Matrices of the world transform records, each finite and invertible.
  std::vector<QTransform> transforms;
  int objectSlots = 0;
  // ExtCreatePen user styles, gradients, region rectangles and PolyDraw point types.
  std::vector<std::uint32_t> penDashes;
  std::vector<TMetaGradient> gradients;
  std::vector<QRect> regionRects;
  std::vector<std::uint8_t> polyDrawTypes;
  // Text store: fonts and text runs, referred to by the text commands.
  std::vector<TMetaFont> fonts;
  std::vector<TMetaTextRun> texts;
  std::int64_t textChars = 0;
  // Throws EInvalidGraphic when the store is full; returns the index of the added item.
  std::int32_t AddFont(TMetaFont font);
  std::int32_t AddText(TMetaTextRun run);
  // Bitmap store: bitmap records and pattern brushes, with the decoded pixels they hold together.
  std::vector<TMetaBlit> blits;
  std::vector<TMetaPattern> patterns;
  std::int64_t bitmapPixels = 0;

  // The logical palettes as the records read so far left them: the readers resolve the colours that
  // name palette entries with them.
  TMetaPalettes palettes;
  // A colour reference of a record as 0x00BBGGRR, palette entries resolved.
  std::int32_t Colour(std::uint32_t colourRef) const {
    return static_cast<std::int32_t>(palettes.Resolve(colourRef));
  }

  // The GDI+ records that EMF comments carry; null when there are none.
  std::shared_ptr<TEmfPlusData> emfPlus;

  int mapMode = 1;
  QPoint windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
  // Picture-space units per millimetre, for the fixed map modes (MM_LOMETRIC ... MM_TWIPS).
  double unitsPerMmX = 96.0 / 25.4, unitsPerMmY = 96.0 / 25.4;
  // Empty when the file gives no size; the bounds of what it draws are used then.
  QRectF frame;
  // Size in pixels at 96 dpi; 0 until known.
  int width = 0, height = 0;
  // One pixel of the device the picture was recorded on, in picture units; 0 when the format does not
  // say (WMF).
  double devicePixel = 0;
};

// Shrinks a picture size at 96 dpi, keeping its aspect, so that it has at most kMaxMetafilePixels pixels:
// a drawing declared a few metres large is still a drawing. Sizes that stay absurd are left for
// CheckMetafileSize to refuse.
void FitMetafileSize(std::int64_t& width, std::int64_t& height);
// Checks a picture size at 96 dpi; throws EInvalidGraphic for a dimension of 0 or less or too many pixels.
void CheckMetafileSize(std::int64_t width, std::int64_t height);
