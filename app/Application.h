#pragma once

#include <QApplication>
#include <functional>

#include "ExceptionHandler.h"

// The application object: its title, the font mapping, and the handler that shows any error that
// leaves an event handler in the standard error box.
class TApplication : public QApplication, public IExceptionHandler {
 public:
  using ErrorBox = std::function<void(const QString& message)>;

  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
  void HandleException(const QString& message) override;

  // Replaces the standard error box (tests record the messages); an empty function puts it back.
  void SetErrorBox(ErrorBox box) { errorBox_ = std::move(box); }

 private:
  ErrorBox errorBox_;
};
