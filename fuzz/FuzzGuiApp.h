#pragma once

#include <QGuiApplication>
#include <cstdlib>

// Painting text and loading Qt's image plugins need a QGuiApplication; libFuzzer calls every target
// in one process, so the application is made once, on the offscreen platform, and lives until exit.
inline void MakeFuzzGuiApplication(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(*argc, *argv);
}
