// The play list: the commands a metafile's records become, the stores they refer to and the picture's
// starting state and size.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QRgb>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <vector>

#include "metafile/model/MetaBitmap.h"
#include "metafile/model/MetaCommand.h"
#include "metafile/model/MetaGradient.h"
#include "metafile/model/MetaText.h"

struct TEmfPlusData;  // emfplus/EmfPlusCommands.h

// Refusing larger lists keeps a hostile file from exhausting memory while it is being parsed.
inline constexpr std::size_t kMaxMetaCommands = std::size_t{1} << 22;
inline constexpr std::size_t kMaxMetaPoints = std::size_t{1} << 24;
// Pictures larger than this at 96 dpi are refused.
inline constexpr std::int64_t kMaxMetafilePixels = 64'000'000;

// A parsed metafile: its operations, the starting state of its device context and the rectangle of
// picture space (the space the window/viewport mapping leads to) that is drawn onto a target.
class TMetaPlayList {
 public:
  // Throws EInvalidGraphic when the list already holds kMaxMetaCommands commands.
  void Add(const TMetaCommand& command);

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
  // The entries of the palette commands, 0xAARRGGBB.
  std::vector<QRgb> paletteEntries;
  // Text store: fonts and text runs, referred to by the text commands.
  std::vector<TMetaFont> fonts;
  std::vector<TMetaTextRun> texts;
  // Bitmap store: bitmap records and pattern brushes, with the decoded pixels they hold together.
  std::vector<TMetaBlit> blits;
  std::vector<TMetaPattern> patterns;

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
