// The bitmap records of the play list, ready to draw: how each combines with the target, and pattern
// brushes.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <cstdint>

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

// One bitmap record, ready to draw.
struct TMetaBlit {
  EMetaBlitMode mode = EMetaBlitMode::None;
  QImage image;  // the prepared source; null for the modes without one
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
  QImage image;
  bool monochrome = false;
};
