#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Runs an action once, from the event loop, right after the watched widget has first painted.
class TAfterFirstPaint : public QObject {
 public:
  TAfterFirstPaint(QWidget& watched, std::function<void()> action);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> action_;
  bool scheduled_ = false;
};
