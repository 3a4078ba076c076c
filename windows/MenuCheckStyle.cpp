#include "MenuCheckStyle.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>
#include <algorithm>

namespace {
// A tick filling the square in the middle of box.
void DrawTick(QPainter& painter, const QRectF& box, const QColor& color) {
  const qreal side = std::min(box.width(), box.height());
  const QRectF square(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
  const auto at = [&square](qreal x, qreal y) {
    return QPointF(square.left() + x * square.width(), square.top() + y * square.height());
  };
  QPainterPath tick(at(0.18, 0.52));
  tick.lineTo(at(0.40, 0.76));
  tick.lineTo(at(0.84, 0.24));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(color, std::max<qreal>(1.5, side / 7), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(tick);
  painter.restore();
}
}  // namespace

TMenuCheckStyle::TMenuCheckStyle(const QString& baseStyleKey) : QProxyStyle(baseStyleKey) {}

void TMenuCheckStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
  // Fusion draws a menu item's mark as a check box; other styles mark it themselves.
  if (element != PE_IndicatorCheckBox || !qobject_cast<const QMenu*>(widget)) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  if (!(option->state & State_On)) return;
  const bool enabled = option->state & State_Enabled;
  const QPalette::ColorGroup group = enabled ? QPalette::Normal : QPalette::Disabled;
  const QPalette::ColorRole role =
      enabled && (option->state & State_Selected) ? QPalette::HighlightedText : QPalette::Text;
  DrawTick(*painter, option->rect, option->palette.color(group, role));
}
