// The device context that a metafile's records change, and the mapping from its logical space.
#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRegion>
#include <QTransform>
#include <cstdint>

#include "metafile/play/MetaPalette.h"

// Rectangle clips are kept in this fraction of a picture unit.
constexpr int kClipRectUnits = 16;

// The clip region a device context keeps, in picture space, saved and restored with the rest of it;
// unclipped while the flags are false. While every change was made of rectangles the region is kept
// as rects, in 1/kClipRectUnits of a picture unit (GDI's own clip regions are rectangles; combining
// those is cheap where paths are not).
struct TMetaClipState {
  bool clipped = false, metaClipped = false, asRects = false;
  QPainterPath path, metaRegion;
  QRegion rects;
  // Rectangles (clip units) still to be cut out of rects: a run of excluded rectangles is cut at once.
  QList<QRect> cuts;
};

// The drawing state a metafile's records change: mapping, selected pen and brush, fill mode and position.
struct TMetaDc {
  int mapMode = 1;
  // Kept as integers because GDI scales extents with integer arithmetic; extents are never 0.
  std::int64_t windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
  std::int64_t viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
  QPen pen{QColor(0, 0, 0), 0};
  QBrush brush{QColor(255, 255, 255)};
  // The play list's pattern behind a selected monochrome pattern brush, -1 for any other brush: such a
  // brush takes the text and background colours the state has when it draws, not when it was selected,
  // and brush holds it in the colours named here until it draws with others.
  std::int32_t monoPattern = -1;
  std::uint32_t monoText = 0, monoBk = 0;
  // The play list's pattern behind a selected brush of palette colours, -1 for any other brush.
  std::int32_t palettePattern = -1;
  Qt::FillRule fillRule = Qt::OddEvenFill;
  QPointF position;
  // Text state
  std::uint32_t textColour = 0, bkColour = 0xFFFFFF;  // 0x00BBGGRR
  // The logical palette selected; null for GDI's default palette. It is part of the saved state: SaveDC
  // (and EMR_SAVEDC) saves the selected bitmap, brush, palette, font, pen and region, and RestoreDC
  // selects them again. A palette is changed in place, so the restored one has its entries as they
  // are then. PALETTEINDEX colours and DIB_PAL_COLORS tables index the palette selected when they draw.
  TMetaPaletteRef palette;
  // The colour references (COLORREF) of the selected pen and brush and of the text and background
  // colours as the file gave them. A PALETTEINDEX one takes its colour from the selected palette when
  // it draws, so the colours above are made again whenever the palette changes.
  std::uint32_t penColourRef = 0, brushColourRef = 0, textColourRef = 0, bkColourRef = 0xFFFFFF;
  bool bkOpaque = true;
  int textAlign = 0;  // TA_*
  int charExtra = 0;
  // SetTextJustification: breakExtra logical units spread over breakCount break characters (spaces).
  int breakExtra = 0, breakCount = 0;
  int font = -1;  // index into the play list's fonts; -1 for the default font
  // Logical to page space (EMF world transform), applied before the window/viewport mapping.
  QTransform world;
  bool arcClockwise = false;
  int rop2 = 13;                // R2_COPYPEN
  bool penInsideFrame = false;  // PS_INSIDEFRAME: boxed shapes shrink to keep the pen inside the box
  TMetaClipState clip;
};

// The mapping from a state's logical coordinates to picture space. The fixed map modes use the given
// picture units per millimetre and have y growing upwards.
QTransform MetaDcTransform(const TMetaDc& dc, double unitsPerMmX, double unitsPerMmY);

// Scales an extent as GDI does (ext * num / denom, truncated); returns false, changing nothing, when the
// result would be 0 or leave the 32-bit range.
bool ScaleMetaExtent(std::int64_t& ext, std::int64_t num, std::int64_t denom);
