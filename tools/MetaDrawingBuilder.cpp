#include "MetaDrawingBuilder.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace {

TMetaBox Box(const QRect& box) {
  return TMetaBox{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
}

TMetaShape Shape(TMetaShape::EKind kind, const QColor& fill, const QColor& pen, int penWidth) {
  TMetaShape shape;
  shape.kind = kind;
  shape.nullBrush = !fill.isValid();
  if (fill.isValid()) shape.brushColour = fill;
  shape.nullPen = !pen.isValid();
  if (pen.isValid()) shape.penColour = pen;
  shape.penWidth = penWidth;
  return shape;
}

QPolygon ToPolygon(std::vector<QPoint>::const_iterator begin, std::vector<QPoint>::const_iterator end) {
  return QPolygon(QList<QPoint>(begin, end));
}

}  // namespace

TMetaDrawing MakeDrawing(int width, int height, const QColor& background) {
  TMetaDrawing drawing;
  drawing.box = TMetaBox{0, 0, width, height};
  drawing.unitsPerInch = 96;
  if (background.isValid()) AddRectangle(drawing, background, QRect(0, 0, width, height));
  return drawing;
}

int DrawingWidth(const TMetaDrawing& drawing) {
  return drawing.box.right - drawing.box.left;
}

int DrawingHeight(const TMetaDrawing& drawing) {
  return drawing.box.bottom - drawing.box.top;
}

void AddPolygon(TMetaDrawing& drawing, const QColor& fill, std::vector<QPoint> points) {
  TMetaShape shape = Shape(TMetaShape::EKind::Polygon, fill, QColor(), 1);
  shape.points = std::move(points);
  drawing.shapes.push_back(std::move(shape));
}

void AddPolyPolygon(TMetaDrawing& drawing, const QColor& fill,
                    const std::vector<std::vector<QPoint>>& rings) {
  TMetaShape shape = Shape(TMetaShape::EKind::PolyPolygon, fill, QColor(), 1);
  for (const auto& ring : rings) {
    shape.points.insert(shape.points.end(), ring.begin(), ring.end());
    shape.polyCounts.push_back(static_cast<int>(ring.size()));
  }
  drawing.shapes.push_back(std::move(shape));
}

void AddEllipse(TMetaDrawing& drawing, const QColor& fill, const QRect& box, const QColor& pen,
                int penWidth) {
  TMetaShape shape = Shape(TMetaShape::EKind::Ellipse, fill, pen, penWidth);
  shape.box = Box(box);
  drawing.shapes.push_back(std::move(shape));
}

void AddRectangle(TMetaDrawing& drawing, const QColor& fill, const QRect& box) {
  TMetaShape shape = Shape(TMetaShape::EKind::Rectangle, fill, QColor(), 1);
  shape.box = Box(box);
  drawing.shapes.push_back(std::move(shape));
}

void AddPolyline(TMetaDrawing& drawing, const QColor& pen, int penWidth, std::vector<QPoint> points) {
  TMetaShape shape = Shape(TMetaShape::EKind::Polyline, QColor(), pen, penWidth);
  shape.points = std::move(points);
  drawing.shapes.push_back(std::move(shape));
}

void PaintMetaDrawing(QPainter& painter, const TMetaDrawing& drawing) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const TMetaShape& shape : drawing.shapes) {
    painter.setBrush(shape.nullBrush ? QBrush(Qt::NoBrush) : QBrush(shape.brushColour));
    painter.setPen(shape.nullPen
                       ? QPen(Qt::NoPen)
                       : QPen(shape.penColour, shape.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QRectF box(shape.box.left, shape.box.top, shape.box.right - shape.box.left,
                     shape.box.bottom - shape.box.top);
    switch (shape.kind) {
      case TMetaShape::EKind::Polygon:
        painter.drawPolygon(ToPolygon(shape.points.begin(), shape.points.end()), Qt::OddEvenFill);
        break;
      case TMetaShape::EKind::PolyPolygon: {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        auto ring = shape.points.begin();
        for (int count : shape.polyCounts) {
          path.addPolygon(ToPolygon(ring, ring + count));
          path.closeSubpath();
          ring += count;
        }
        painter.drawPath(path);
        break;
      }
      case TMetaShape::EKind::Ellipse:
        painter.drawEllipse(box);
        break;
      case TMetaShape::EKind::Rectangle:
        painter.drawRect(box);
        break;
      case TMetaShape::EKind::Polyline:
        painter.drawPolyline(ToPolygon(shape.points.begin(), shape.points.end()));
        break;
    }
  }
  painter.restore();
}
