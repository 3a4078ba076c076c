#include "AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

TAfterFirstPaint::TAfterFirstPaint(QWidget& watched, std::function<void()> action)
    : action_(std::move(action)) {
  watched.installEventFilter(this);
}

bool TAfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && !scheduled_) {
    scheduled_ = true;
    // Not from inside the paint event: the action may quit or drive the whole window.
    QTimer::singleShot(0, this, [this] { action_(); });
  }
  return QObject::eventFilter(watched, event);
}
