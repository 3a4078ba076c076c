#include "Unit4.h"

#include <QLabel>
#include <QTimer>

#include "Fonts.h"
#include "TColor.h"
#include "WindowColor.h"

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("Form4"));
  setGeometry(188, 138, 544, 166);
  SetWindowColor(*this, clHighlight);

  Label1 = new QLabel(QStringLiteral("Pasando de nivel..."), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(LayoutFont(QStringLiteral("MS Sans Serif"), 32));
  QPalette labelPalette = Label1->palette();
  labelPalette.setColor(QPalette::WindowText, ToQColor(clLime));
  Label1->setPalette(labelPalette);
  Label1->setGeometry(112, 40, 271, 37);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
}
