#include "CardBack.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QImage RenderCardBack(int size) {
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(QColor(250, 248, 240));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const double s = size / 190.0;
  const QRectF field(12 * s, 12 * s, size - 24 * s, size - 24 * s);
  QPainterPath card;
  card.addRoundedRect(field, 10 * s, 10 * s);
  QLinearGradient navy(field.topLeft(), field.bottomRight());
  navy.setColorAt(0, QColor(28, 52, 120));
  navy.setColorAt(1, QColor(14, 30, 80));
  painter.fillPath(card, navy);

  painter.save();
  painter.setClipPath(card);
  painter.setPen(QPen(QColor(210, 170, 70, 170), 1.6 * s));
  const double step = 19 * s;
  for (double d = -size; d < 2 * size; d += step) {
    painter.drawLine(QPointF(d, 0), QPointF(d + size, size));
    painter.drawLine(QPointF(d, size), QPointF(d + size, 0));
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(230, 195, 90, 200));
  for (double y = field.top() + step / 2; y < field.bottom(); y += step)
    for (double x = field.left() + step / 2; x < field.right(); x += step)
      painter.drawEllipse(QPointF(x, y), 1.8 * s, 1.8 * s);
  painter.restore();

  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(230, 195, 90), 3 * s));
  painter.drawRoundedRect(field.adjusted(7 * s, 7 * s, -7 * s, -7 * s), 6 * s, 6 * s);

  const QPointF centre(size / 2.0, size / 2.0);
  QRadialGradient gold(centre - QPointF(8 * s, 10 * s), 48 * s);
  gold.setColorAt(0, QColor(255, 236, 160));
  gold.setColorAt(1, QColor(200, 150, 40));
  painter.setPen(QPen(QColor(120, 80, 20), 2.5 * s));
  painter.setBrush(gold);
  painter.drawEllipse(centre, 38 * s, 46 * s);
  painter.setBrush(QColor(160, 30, 50));
  painter.setPen(Qt::NoPen);
  QPolygonF diamond({centre + QPointF(0, -30 * s), centre + QPointF(20 * s, 0), centre + QPointF(0, 30 * s),
                     centre + QPointF(-20 * s, 0)});
  painter.drawPolygon(diamond);
  painter.setBrush(QColor(255, 240, 200));
  painter.drawEllipse(centre, 6 * s, 6 * s);
  return image;
}
