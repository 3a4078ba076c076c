#pragma once

#include <QWidget>
#include <vector>

#include "Align.h"
#include "TColor.h"

// A panel: a coloured area with an optional one-pixel raised bevel and a centred caption, which
// places its aligned children whenever it is resized and reports presses on its own surface.
class TPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TPanel(QWidget* parent = nullptr);

  void SetColor(TColor color);
  TColor Color() const { return color_; }
  void SetCaption(const QString& caption);
  QString Caption() const { return caption_; }
  void SetBevelRaised(bool raised);
  int BevelWidth() const { return bevelRaised_ ? 1 : 0; }

  // Rings the given area of the panel from outside (FocusRingAround), under any child that covers
  // the ring; an empty area removes it. Only the ring's pixels are repainted, so children inside the
  // area are not asked to paint.
  void SetFocusRing(const QRect& area);
  QRect FocusRing() const { return focusRing_; }

  // Adds a child that keeps itself aligned inside the bevel; children are placed in the order added.
  void AddAligned(QWidget* child, TAlign align);
  void Realign();

 Q_SIGNALS:
  void mousePressed(Qt::MouseButton button, const QPoint& position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Aligned {
    QWidget* widget;
    TAlign align;
  };

  TColor color_ = clBtnFace;
  QString caption_;
  bool bevelRaised_ = true;
  QRect focusRing_;
  std::vector<Aligned> aligned_;
};
