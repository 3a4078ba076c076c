#pragma once

#include <QGuiApplication>
#include <cstdlib>

// Painting text and loading Qt's image plugins need a QGuiApplication; libFuzzer calls every target
// in one process, so the application is made once, on the offscreen platform, and lives until exit.
inline void MakeFuzzGuiApplication(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(*argc, *argv);
}

// The game's event loop runs between paints; so does Qt's font cache clean-up, which frees the glyph
// caches that text drawing fills. Without it every input's fonts would stay for the whole run.
inline void RunFuzzEventLoopOnce() {
  QCoreApplication::processEvents();
}
