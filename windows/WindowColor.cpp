#include "WindowColor.h"

#include <QPalette>
#include <QWidget>

void SetWindowColor(QWidget& widget, TColor color) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, ToQColor(color));
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}
