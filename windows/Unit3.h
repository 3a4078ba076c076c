#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class TForm1;
class TImage;

// What a screen reader says of the game-over window, its title and labels as one sentence:
// "¡Fin de Juego! Puntos: 150, Nivel: 2."
QString GameOverSentence(const QString& title, const QString& points, const QString& level);

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
