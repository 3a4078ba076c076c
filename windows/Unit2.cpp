#include "Unit2.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Fonts.h"
#include "Image.h"
#include "WindowColor.h"

namespace {
QFont SansSerif(int pixelSize, bool bold) {
  return LayoutFont(QStringLiteral("MS Sans Serif"), pixelSize, bold ? QFont::Bold : QFont::Normal);
}
}  // namespace

QStringList UsageTerms() {
  return {
      QStringLiteral("CONDICIONES DE USO"),
      QStringLiteral(""),
      QStringLiteral("1. ZUM es un programa gratuito. Puede copiarlo y repartirlo "),
      QStringLiteral("   libremente, siempre que no cobre por ello y que lo entregue "),
      QStringLiteral("   completo, con todos sus ficheros y sin modificar."),
      QStringLiteral("2. El programa se entrega tal cual, sin garantía de ningún tipo. "),
      QStringLiteral("   El autor no responde de los daños que pueda causar su uso."),
      QStringLiteral("3. Las imágenes de la carpeta f son del jugador: puede cambiarlas "),
      QStringLiteral("   por las suyas, siempre que tenga derecho a usarlas."),
      QStringLiteral("4. Autor: el equipo de ZUM. Para comentarios, sugerencias y "),
      QStringLiteral("   nuevas versiones, visite nuestra página en Internet:"),
      QStringLiteral("   www.zum.example"),
      QStringLiteral(""),
      QStringLiteral("Instrucciones: elija la dificultad y pulse Nueva partida. "),
      QStringLiteral("Descubra las casillas de dos en dos y encuentre las diez parejas "),
      QStringLiteral("de cada nivel antes de que se acabe el tiempo."),
      QStringLiteral("¡Suerte!"),
  };
}

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  // A blank title: an empty one would make Qt show the application name
  // instead.
  setWindowTitle(QStringLiteral(" "));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(411, 435);
  move(188, 54);
  setFont(SansSerif(11, false));
  SetWindowColor(*this, clBtnFace);

  Image1 = new TImage(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->LoadPicture(QStringLiteral(":/zum/banner.jpg"));
  Image1->setGeometry(0, 0, 411, Image1->PictureSize().isValid() ? Image1->PictureSize().height() : 108);

  Label1 = new QLabel(QStringLiteral("Juego consistente en descubrir las "
                                     "parejas dentro del tiempo indicado"),
                      this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(SansSerif(16, true));
  Label1->setWordWrap(true);
  Label1->setGeometry(48, 128, 285, 40);

  Label2 = new QLabel(QStringLiteral("www.zum.example"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setFont(SansSerif(24, true));
  Label2->move(24, 400);
  Label2->adjustSize();

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(32, 176, 369, 225);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setPlainText(UsageTerms().join(QLatin1Char('\n')));

  Button1 = new QPushButton(QStringLiteral("Ok"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(304, 408, 75, 25);
  Button1->setAutoDefault(false);
  Button1->setDefault(false);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  StaticText1 = new QLabel(QStringLiteral("v0.9"), this);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  StaticText1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StaticText1->setGeometry(0, 108, 411, 17);
  StaticText1->setFocusPolicy(Qt::NoFocus);

  setTabOrder(Memo1, Button1);
  Memo1->setFocus();
}

void TForm2::Button1Click() {
  close();
}
