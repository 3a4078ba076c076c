#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TForm1;
class TImage;

// The game-over window: stops the countdown when shown and resets the game when
// closed, whichever way it is closed.
class TForm3 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm3(TForm1& form1, QWidget* parent = nullptr);

  void FormShow();
  void BitBtn1Click();
  bool FormCloseQuery();
  void FormClose();

  // Escape closes the window through its close handlers too.
  void reject() override;

  TImage* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* StaticText1 = nullptr;
  QPushButton* BitBtn1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  TForm1& form1_;
};
