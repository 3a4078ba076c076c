// The bitmap records of the play list, ready to draw: how each combines with the target, and pattern
// brushes.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <cstdint>
#include <memory>
#include <vector>

// How a bitmap record combines its source with what is drawn already. GDI's raster operations work
// on bits; the ones real files use are drawn with the composition mode that gives the same result
// on black-and-white images, the source prepared so that the pixels which leave the target as it is
// are transparent. This also keeps transparent areas of the target transparent.
enum class EMetaBlitMode : std::uint8_t {
  None,                   // leaves the target as it is
  Copy,                   // SRCCOPY, NOTSRCCOPY (source inverted), AlphaBlend, TransparentBlt
  Multiply,               // SRCAND: white source pixels transparent
  Lighten,                // SRCPAINT, MERGEPAINT: black source pixels transparent
  Difference,             // SRCINVERT: black source pixels transparent
  FillBrush,              // PATCOPY
  InvertBrush,            // PATINVERT
  FillColour,             // BLACKNESS, WHITENESS
  InvertTarget,           // DSTINVERT
  BrushThroughImage,      // the brush where the source image is opaque (0xB8 and 0xE2 with masks)
  SourceAndBrush,         // MERGECOPY: the source's bits ANDed with the brush's colour
  MultiplyBrush,          // the brush's bits ANDed with the target (0xA0)
  LightenBrush,           // the brush's bits ORed into the target (0xFA)
  SourceAndNotTarget,     // SRCERASE, bit by bit
  NotSourceAndNotTarget,  // NOTSRCERASE, bit by bit
};

// A bitmap whose colour table names entries of the palette selected when it draws (DIB_PAL_COLORS,
// DIB_PAL_INDICES). Its pixels are kept as positions in that table; the player colours them with the
// palette, then prepares the colours for the raster operation as the reader prepares other sources.
struct TMetaPaletteImage {
  // Format_Grayscale16: each pixel's position in entries, or kNoEntry where the bitmap has no pixel
  // (run-length gaps, mask bits of 0).
  QImage positions;
  static constexpr std::uint16_t kNoEntry = 0xFFFF;
  std::vector<std::uint16_t> entries;  // the palette index at each position of the table
  // The preparation, colour by colour: inverted first (NOTSRCCOPY, MERGEPAINT), then pixels of the
  // colour `clear` left out (SRCAND: white; SRCPAINT, SRCINVERT: black; TransparentBlt's colour); or
  // only pixels of the colour `keep` kept, as opaque black (the brush-through-image operations).
  bool invert = false;
  bool clears = false, keepsOnly = false;
  QRgb clear = 0, keep = 0;
};

// One bitmap record, ready to draw.
struct TMetaBlit {
  EMetaBlitMode mode = EMetaBlitMode::None;
  QImage image;  // the prepared source; null for the modes without one and for palette sources
  // A source coloured by the palette when it draws; null for the others.
  std::shared_ptr<const TMetaPaletteImage> paletteImage;
  // The part of the image drawn; for the modes without source the unit square.
  QRectF source{0, 0, 1, 1};
  // Where the source's top-left, top-right and bottom-left corners land, in logical units; a
  // rectangle with negative extents mirrors the image.
  QPointF topLeft, topRight, bottomLeft;
  QRgb colour = 0;     // FillColour
  double opacity = 1;  // AlphaBlend's constant alpha
};

// A pattern brush's bitmap. A monochrome pattern's image is black where its bits are 0 and white
// where they are 1; it takes the text and background colours when the brush is selected.
struct TMetaPattern {
  QImage image;  // null when paletteImage colours it
  bool monochrome = false;
  std::shared_ptr<const TMetaPaletteImage> paletteImage;
};
