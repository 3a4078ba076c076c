#include "Application.h"

#include <QMessageBox>
#include <exception>

#include "Fonts.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The title names the program's task-bar entry; it is not a display name, so Qt does not append
  // it to the window captions.
  setApplicationName(QStringLiteral("ZUM v0.9"));
  InstallFontSubstitutes();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    HandleException(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    HandleException(QStringLiteral("Unknown exception"));
  }
  return false;
}

void TApplication::HandleException(const QString& message) {
  if (errorBox_) {
    errorBox_(message);
    return;
  }
  QMessageBox::critical(activeWindow(), applicationName(), message);
}
