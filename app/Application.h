#pragma once

#include <QApplication>
#include <functional>

// The application object: title, and the handler that shows any error that leaves an event handler.
class TApplication : public QApplication {
 public:
  using ErrorBox = std::function<void(const QString& message)>;

  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the message in the standard error box (or whatever a test put in its place).
  static void ShowException(const QString& message);
  // Replaces the standard error box; an empty function puts it back.
  static void SetErrorBox(ErrorBox box);
};
