#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <vector>

class QPainter;

// One filled or stroked shape of a generated metafile, in the metafile's own pixel units.
struct TVectorShape {
  enum class Kind { Polygon, PolyPolygon, Ellipse, Rectangle, Polyline };
  Kind kind = Kind::Polygon;
  QColor fill;  // fill colour; invalid for no fill
  QColor pen;   // outline colour; invalid for the null pen
  int penWidth = 1;
  std::vector<std::vector<QPoint>> rings;  // the polygon(s) or the polyline
  QRect box;                               // ellipse or rectangle, right and bottom exclusive
};

// A drawing kept as the shape list it is written from, so the same list feeds the WMF and EMF
// writers and the raster previews.
struct TVectorPicture {
  int width = 0;
  int height = 0;
  QColor background;  // painted as a first rectangle when valid; transparent otherwise
  std::vector<TVectorShape> shapes;

  void AddPolygon(const QColor& fill, std::vector<QPoint> points);
  void AddPolyPolygon(const QColor& fill, std::vector<std::vector<QPoint>> rings);
  void AddEllipse(const QColor& fill, const QRect& box, const QColor& pen = QColor(), int penWidth = 1);
  void AddRectangle(const QColor& fill, const QRect& box);
  void AddPolyline(const QColor& pen, int penWidth, std::vector<QPoint> points);
};

// Paints the picture with Qt, the way a metafile player fills these shapes (alternate fill).
void PaintVectorPicture(QPainter& painter, const TVectorPicture& picture);
