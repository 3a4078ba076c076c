#pragma once

#include <QWidget>

class QSlider;

// A window with one track bar: created with the others and never shown.
class TForm5 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm5(QWidget* parent = nullptr);

  QSlider* barra = nullptr;
};
