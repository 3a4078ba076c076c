#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <exception>

#include "EmbeddedMedia.h"

// Usage: zum_generate_media FOLDER [--preview]. Run by the build with the offscreen platform.
int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [--preview]\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);
  try {
    WriteEmbeddedMedia(QString::fromLocal8Bit(argv[1]), argc > 2 && std::strcmp(argv[2], "--preview") == 0);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
