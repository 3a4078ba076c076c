#include "ExceptionHandler.h"

#include <QCoreApplication>
#include <QDebug>
#include <exception>

namespace {
void Report(const QString& message) {
  if (auto* handler = dynamic_cast<IExceptionHandler*>(QCoreApplication::instance())) {
    handler->HandleException(message);
    return;
  }
  qWarning().noquote() << message;
}
}  // namespace

void RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    Report(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    Report(QStringLiteral("Unknown exception"));
  }
}
