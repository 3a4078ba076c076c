#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TImage;

// The About box: the banner, the game's description, its usage terms and the
// maker's address.
class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);

  void Button1Click();

  TImage* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* StaticText1 = nullptr;
};

// The usage terms shown in the About box, one string per line.
QStringList UsageTerms();
