#include "Unit5.h"

#include <QSlider>

#include "WindowColor.h"

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("Form5"));
  setGeometry(192, 107, 414, 183);
  SetWindowColor(*this, clBtnFace);

  barra = new QSlider(Qt::Horizontal, this);
  barra->setObjectName(QStringLiteral("barra"));
  barra->setGeometry(96, 48, 150, 41);
  barra->setRange(0, 10);
  barra->setValue(0);
  barra->setTickInterval(1);
  barra->setTickPosition(QSlider::TicksBelow);
}
