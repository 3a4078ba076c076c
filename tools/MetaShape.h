#pragma once

#include <QColor>
#include <QPoint>
#include <cstdint>
#include <string>
#include <vector>

// A GDI-style box: right and bottom are the far edges, as the metafile records store them.
struct TMetaBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// One shape for the metafile writers, drawn with its own pen and brush.
struct TMetaShape {
  enum class EKind { Polygon, PolyPolygon, Polyline, Rectangle, Ellipse };
  EKind kind = EKind::Polygon;
  std::vector<QPoint> points;   // Polygon, Polyline; PolyPolygon: all its polygons one after another
  std::vector<int> polyCounts;  // PolyPolygon: the point count of each polygon
  TMetaBox box;                 // Rectangle, Ellipse
  QColor penColour{0, 0, 0};
  int penWidth = 0;  // logical units; 0 is the one-pixel pen
  int penStyle = 0;  // PS_* with end cap and join bits
  bool nullPen = false;
  QColor brushColour{255, 255, 255};
  bool nullBrush = false;
  int hatch = -1;  // HS_* of a hatched brush; -1 for a solid one
};

// One line of text for the writers, drawn with its own font, selected and deleted around it.
struct TMetaText {
  QPoint at;
  std::string text;  // Latin-1 bytes (ANSI forms) or UTF-8 (the EMF wide form)
  int height = -20;  // logical units: negative for the character height, positive for the cell
  int width = 0;     // average character width in logical units; 0 keeps the face's proportions
  int weight = 400;
  int escapement = 0;  // tenths of a degree
  std::string face = "Arial";
  QColor colour{0, 0, 0};
  int align = 0;        // TA_*
  bool opaque = false;  // OPAQUE background mode, else TRANSPARENT
  QColor background{255, 255, 255};
  std::vector<int> dx;        // advances; empty: none written
  std::vector<int> dy;        // with dx: displacements up the font's vertical, written with ETO_PDY
  bool wide = true;           // EMF: EXTTEXTOUTW, else EXTTEXTOUTA
  bool plainTextOut = false;  // WMF: TEXTOUT instead of EXTTEXTOUT
  // EMF: glyph indices of the font written with ETO_GLYPH_INDEX in place of the text, when not empty.
  std::vector<std::uint16_t> glyphs;
};

// A picture for the writers: a logical box (the placeable box, the window, the EMF frame), the logical
// units per inch and the shapes in logical units.
struct TMetaDrawing {
  TMetaBox box;
  int unitsPerInch = 96;
  bool winding = false;  // polygon fill mode: alternate unless set
  std::vector<TMetaShape> shapes;
  std::vector<TMetaText> texts;  // drawn after the shapes
};
