#pragma once

#include <QWidget>

class QLabel;
class QTimer;

// The level notice: created with the others and never shown.
class TForm4 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm4(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QTimer* Timer1 = nullptr;
};
