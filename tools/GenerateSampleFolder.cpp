#include <QGuiApplication>

#include <cstdio>
#include <exception>

#include "SampleFolder.h"

// Usage: zum_generate_sample_folder FOLDER [PREVIEW_FOLDER]. Run by the build with the offscreen
// platform, so no display is needed.
int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [PREVIEW_FOLDER]\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);
  try {
    WriteSampleFolder(QString::fromLocal8Bit(argv[1]),
                      argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
