#pragma once

#include <QStringList>

#include "Application.h"

// Collects the messages the application would show in its error box while it lives.
class ErrorBoxRecorder {
 public:
  ErrorBoxRecorder() {
    App()->SetErrorBox([this](const QString& message) { messages.push_back(message); });
  }
  ~ErrorBoxRecorder() {
    App()->SetErrorBox([](const QString& message) { qWarning("error box: %s", qPrintable(message)); });
  }
  ErrorBoxRecorder(const ErrorBoxRecorder&) = delete;
  ErrorBoxRecorder& operator=(const ErrorBoxRecorder&) = delete;

  QStringList messages;

 private:
  static TApplication* App() { return static_cast<TApplication*>(QCoreApplication::instance()); }
};
