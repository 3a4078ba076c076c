#include <gtest/gtest.h>

#include "Application.h"

#include <QDir>
#include <QTemporaryDir>

// Every test runs inside the real application object on the offscreen platform.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir runtimeDir;
  if (qgetenv("XDG_RUNTIME_DIR").isEmpty()) qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
  TApplication app(argc, argv);
  // An error box would block a headless run; unexpected ones are printed instead.
  app.SetErrorBox([](const QString& message) { qWarning("error box: %s", qPrintable(message)); });
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
