#include "Panel.h"

#include <QMouseEvent>
#include <QPainter>

#include "AlignLayout.h"
#include "FocusRing.h"

TPanel::TPanel(QWidget* parent) : QWidget(parent) {
  SetColor(clBtnFace);
}

void TPanel::SetColor(TColor color) {
  color_ = color;
  // Children that follow their parent's colour read it from the palette.
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(color));
  setPalette(pal);
  update();
}

void TPanel::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void TPanel::SetBevelRaised(bool raised) {
  bevelRaised_ = raised;
  Realign();
  update();
}

void TPanel::SetFocusRing(const QRect& area) {
  if (area == focusRing_) return;
  const QRegion old = FocusRingAround(focusRing_).Whole();
  focusRing_ = area;
  update(old.united(FocusRingAround(focusRing_).Whole()));
}

void TPanel::AddAligned(QWidget* child, TAlign align) {
  aligned_.push_back({child, align});
  Realign();
}

void TPanel::Realign() {
  std::vector<AlignedChild> children;
  for (const Aligned& a : aligned_) children.push_back({a.align, a.widget->geometry()});
  const int b = BevelWidth();
  const std::vector<QRect> rects = AlignRects(rect().adjusted(b, b, -b, -b), children);
  for (std::size_t i = 0; i < aligned_.size(); ++i) aligned_[i].widget->setGeometry(rects[i]);
}

void TPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(color_));
  if (bevelRaised_) {
    const int r = width() - 1, b = height() - 1;
    painter.setPen(ToQColor(clBtnHighlight));
    painter.drawLine(0, b, 0, 0);
    painter.drawLine(0, 0, r, 0);
    painter.setPen(ToQColor(clBtnShadow));
    painter.drawLine(r, 0, r, b);
    painter.drawLine(r, b, 0, b);
  }
  if (!focusRing_.isEmpty()) {
    const TFocusRing ring = FocusRingAround(focusRing_);
    for (const QRect& r : ring.light) painter.fillRect(r, ToQColor(clBtnHighlight));
    for (const QRect& r : ring.dark) painter.fillRect(r, ToQColor(clWindowText));
  }
  if (!caption_.isEmpty()) {
    painter.setPen(ToQColor(clWindowText));
    painter.drawText(rect(), Qt::AlignCenter, caption_);
  }
}

void TPanel::resizeEvent(QResizeEvent*) {
  Realign();
}

void TPanel::mousePressEvent(QMouseEvent* event) {
  // The press stays with this panel: it never reaches the panel beneath.
  event->accept();
  Q_EMIT mousePressed(event->button(), event->position().toPoint());
}
