#include "Application.h"

#include <QMessageBox>
#include <exception>

namespace {
TApplication::ErrorBox& errorBox() {
  static TApplication::ErrorBox box;
  return box;
}
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    ShowException(QStringLiteral("Unknown exception"));
  }
  return false;
}

void TApplication::ShowException(const QString& message) {
  if (errorBox()) {
    errorBox()(message);
    return;
  }
  QMessageBox::critical(activeWindow(), applicationDisplayName(), message);
}

void TApplication::SetErrorBox(ErrorBox box) {
  errorBox() = std::move(box);
}
