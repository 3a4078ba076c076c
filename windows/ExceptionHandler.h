#pragma once

#include <QString>
#include <functional>

// Implemented by the application object: shows an error that left an event handler.
class IExceptionHandler {
 public:
  virtual ~IExceptionHandler() = default;
  virtual void HandleException(const QString& message) = 0;
};

// Runs a handler; an exception that leaves it goes to the application's handler, and the program
// goes on with the state reached. Qt's own frames are never unwound by our exceptions.
void RunGuarded(const std::function<void()>& handler);
