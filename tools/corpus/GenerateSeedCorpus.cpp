// Writes the valid seed pictures and the seed corpora of the fuzz targets:
//   <out>/valid/<name>.<ext>      the pictures themselves
//   <out>/picture/<kind>-<name>   first byte the kind (see FuzzInput.h), then the file
//   <out>/jpeg_decoder/<n>-<name> first byte the decoding options, then a JPEG
//   <out>/metafile/<name>         a WMF or EMF as it is
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <string>

#include "FuzzInput.h"
#include "ValidSeeds.h"

namespace {

std::vector<TCorpusFile> FuzzSeeds(const std::vector<TCorpusFile>& seeds) {
  std::vector<TCorpusFile> out;
  for (const TCorpusFile& seed : seeds) {
    out.push_back({"valid/" + seed.name, seed.bytes});
    const std::string extension = seed.name.substr(seed.name.rfind('.') + 1);
    for (std::size_t kind = 0; kind < kFuzzPictureKinds.size(); ++kind)
      if (extension == kFuzzPictureKinds[kind])
        out.push_back({"picture/" + seed.name, QByteArray(1, static_cast<char>(kind)) + seed.bytes});
    if (extension == "wmf" || extension == "emf") out.push_back({"metafile/" + seed.name, seed.bytes});
    if (extension == "jpg")
      for (int options = 0; options < kJpegOptionCombinations; ++options)
        out.push_back({"jpeg_decoder/" + std::to_string(options) + "-" + seed.name,
                       QByteArray(1, static_cast<char>(options)) + seed.bytes});
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);
  try {
    WriteCorpus(argv[1], FuzzSeeds(ValidSeeds()));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
