#include "VectorPicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

void TVectorPicture::AddPolygon(const QColor& fill, std::vector<QPoint> points) {
  shapes.push_back({TVectorShape::Kind::Polygon, fill, QColor(), 1, {std::move(points)}, QRect()});
}

void TVectorPicture::AddPolyPolygon(const QColor& fill, std::vector<std::vector<QPoint>> rings) {
  shapes.push_back({TVectorShape::Kind::PolyPolygon, fill, QColor(), 1, std::move(rings), QRect()});
}

void TVectorPicture::AddEllipse(const QColor& fill, const QRect& box, const QColor& pen, int penWidth) {
  shapes.push_back({TVectorShape::Kind::Ellipse, fill, pen, penWidth, {}, box});
}

void TVectorPicture::AddRectangle(const QColor& fill, const QRect& box) {
  shapes.push_back({TVectorShape::Kind::Rectangle, fill, QColor(), 1, {}, box});
}

void TVectorPicture::AddPolyline(const QColor& pen, int penWidth, std::vector<QPoint> points) {
  shapes.push_back({TVectorShape::Kind::Polyline, QColor(), pen, penWidth, {std::move(points)}, QRect()});
}

namespace {

QPolygon ToPolygon(const std::vector<QPoint>& points) {
  return QPolygon(QList<QPoint>(points.begin(), points.end()));
}

}  // namespace

void PaintVectorPicture(QPainter& painter, const TVectorPicture& picture) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (picture.background.isValid()) painter.fillRect(0, 0, picture.width, picture.height, picture.background);
  for (const TVectorShape& shape : picture.shapes) {
    painter.setBrush(shape.fill.isValid() ? QBrush(shape.fill) : QBrush(Qt::NoBrush));
    painter.setPen(shape.pen.isValid()
                       ? QPen(shape.pen, shape.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                       : QPen(Qt::NoPen));
    switch (shape.kind) {
      case TVectorShape::Kind::Polygon:
        painter.drawPolygon(ToPolygon(shape.rings.front()), Qt::OddEvenFill);
        break;
      case TVectorShape::Kind::PolyPolygon: {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const auto& ring : shape.rings) {
          path.addPolygon(ToPolygon(ring));
          path.closeSubpath();
        }
        painter.drawPath(path);
        break;
      }
      case TVectorShape::Kind::Ellipse:
        painter.drawEllipse(QRectF(shape.box.left(), shape.box.top(), shape.box.width(), shape.box.height()));
        break;
      case TVectorShape::Kind::Rectangle:
        painter.drawRect(QRectF(shape.box.left(), shape.box.top(), shape.box.width(), shape.box.height()));
        break;
      case TVectorShape::Kind::Polyline:
        painter.drawPolyline(ToPolygon(shape.rings.front()));
        break;
    }
  }
  painter.restore();
}
