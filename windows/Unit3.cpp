#include "Unit3.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ExceptionHandler.h"
#include "Fonts.h"
#include "Image.h"
#include "Panel.h"
#include "Unit1.h"
#include "WindowColor.h"

namespace {
QFont HeavyFont() {
  return LayoutFont(QStringLiteral("Arial Black"), 13, QFont::Black);
}

QLabel* CreateLabel(QWidget* parent, const char* name, const QString& caption, int left) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(HeavyFont());
  label->move(left, 256);
  label->adjustSize();
  return label;
}
}  // namespace

QString GameOverSentence(const QString& title, const QString& points, const QString& level) {
  return QStringLiteral("%1 %2, %3.").arg(title.trimmed(), points.trimmed(), level.trimmed());
}

TForm3::TForm3(TForm1& form1, QWidget* parent) : QDialog(parent), form1_(form1) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral(" "));
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(618, 332);
  move(120, 100);
  setFont(LayoutFont(QStringLiteral("MS Sans Serif"), 11));
  SetWindowColor(*this, clRed);

  Image1 = new TImage(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->LoadPicture(QStringLiteral(":/zum/stop.wmf"));
  Image1->SetCenter(true);
  Image1->setGeometry(0, 41, 618, Image1->PictureSize().isValid() ? Image1->PictureSize().height() : 205);

  Label1 = CreateLabel(this, "Label1", QStringLiteral("Puntos:"), 72);
  Label2 = CreateLabel(this, "Label2", QStringLiteral("Nivel:"), 208);

  StaticText1 = new QLabel(QStringLiteral("   ¡Fin de Juego!"), this);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  StaticText1->setFont(LayoutFont(QStringLiteral("MS Sans Serif"), 32, QFont::Bold));
  StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StaticText1->setGeometry(0, 0, 618, 41);
  StaticText1->setFocusPolicy(Qt::NoFocus);

  BitBtn1 = new QPushButton(QStringLiteral("Ok"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(168, 296, 281, 25);
  BitBtn1->setAutoDefault(false);
  connect(BitBtn1, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn1Click(); }); });
  setFocusProxy(BitBtn1);
  // The caption bar is blank; assistive technology names the window after its banner instead.
  setAccessibleName(StaticText1->text().trimmed());
}

void TForm3::FormShow() {
  form1_.Timer1->stop();
  form1_.Panel1->hide();
  Label1->setText(QStringLiteral("Puntos: %1").arg(form1_.State().puntos));
  Label1->adjustSize();
  Label2->setText(QStringLiteral("Nivel: %1").arg(form1_.State().nivel));
  Label2->adjustSize();
  // The Ok button keeps the focus, so it carries the whole message for a screen reader.
  const QString sentence = GameOverSentence(StaticText1->text(), Label1->text(), Label2->text());
  setAccessibleDescription(sentence);
  BitBtn1->setAccessibleDescription(sentence);
}

void TForm3::BitBtn1Click() {
  close();
}

bool TForm3::FormCloseQuery() {
  form1_.ResetGame();
  return true;
}

void TForm3::FormClose() {
  form1_.ResetGame();
}

void TForm3::reject() {
  close();
}

void TForm3::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  RunGuarded([this] { FormShow(); });
  BitBtn1->setFocus();
}

void TForm3::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  RunGuarded([this, &canClose] { canClose = FormCloseQuery(); });
  if (!canClose) {
    event->ignore();
    return;
  }
  RunGuarded([this] { FormClose(); });
  event->accept();
  // Ends a modal showing; the window is hidden, not destroyed.
  QDialog::done(QDialog::Rejected);
}
