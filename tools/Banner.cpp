#include "Banner.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

void PaintCard(QPainter& painter, QPointF centre, double angle, const QColor& face) {
  painter.save();
  painter.translate(centre);
  painter.rotate(angle);
  const QRectF card(-17, -24, 34, 48);
  painter.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
  painter.setBrush(face);
  painter.drawRoundedRect(card, 4, 4);
  painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
  painter.drawRoundedRect(card.adjusted(4, 4, -4, -4), 2, 2);
  painter.restore();
}

}  // namespace

QImage RenderBanner() {
  QImage image(255, 108, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 255, 108);
  sky.setColorAt(0, QColor(20, 30, 90));
  sky.setColorAt(0.6, QColor(70, 30, 120));
  sky.setColorAt(1, QColor(150, 40, 110));
  painter.fillRect(image.rect(), sky);

  PaintCard(painter, QPointF(26, 62), -18, QColor(220, 60, 70));
  PaintCard(painter, QPointF(44, 56), -6, QColor(40, 140, 220));
  PaintCard(painter, QPointF(214, 58), 10, QColor(250, 180, 40));
  PaintCard(painter, QPointF(232, 66), 22, QColor(60, 180, 110));

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(78);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 2);
  QPainterPath name;
  name.addText(0, 0, font, QStringLiteral("ZUM"));
  const QRectF box = name.boundingRect();
  name.translate(127.5 - box.center().x(), 52 - box.center().y());

  painter.fillPath(name.translated(3, 4), QColor(0, 0, 0, 120));
  QLinearGradient gold(0, name.boundingRect().top(), 0, name.boundingRect().bottom());
  gold.setColorAt(0, QColor(255, 246, 170));
  gold.setColorAt(0.5, QColor(255, 200, 50));
  gold.setColorAt(1, QColor(220, 120, 20));
  painter.fillPath(name, gold);
  painter.strokePath(name, QPen(QColor(90, 40, 10), 2.2));

  QFont small(QStringLiteral("DejaVu Sans"));
  small.setPixelSize(12);
  small.setBold(true);
  painter.setFont(small);
  painter.setPen(QColor(255, 235, 200));
  painter.drawText(QRectF(0, 88, 255, 18), Qt::AlignCenter, QStringLiteral("encuentra las parejas"));
  return image;
}
