#pragma once

#include <QColor>
#include <QPoint>
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
  bool nullPen = false;
  QColor brushColour{255, 255, 255};
  bool nullBrush = false;
};

// A picture for the writers: a logical box (the placeable box, the window, the EMF frame), the logical
// units per inch and the shapes in logical units.
struct TMetaDrawing {
  TMetaBox box;
  int unitsPerInch = 96;
  bool winding = false;  // polygon fill mode: alternate unless set
  std::vector<TMetaShape> shapes;
};
