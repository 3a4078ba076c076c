// Writes the bad-input corpus that tests/BadInput_test.cpp replays: <out>/reject, <out>/damaged and
// <out>/names, as BadInputs.h describes, made afresh from the valid seeds on every build.
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "BadInputs.h"
#include "ValidSeeds.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);
  try {
    // Files of an older generation must not linger among the new ones.
    std::filesystem::remove_all(argv[1]);
    const std::vector<TCorpusFile> files = BadInputs(ValidSeeds());
    WriteCorpus(argv[1], files);
    std::printf("%zu bad inputs in %s\n", files.size(), argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
