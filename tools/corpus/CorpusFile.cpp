#include "CorpusFile.h"

#include <fstream>
#include <stdexcept>

void WriteCorpus(const std::filesystem::path& folder, const std::vector<TCorpusFile>& files) {
  for (const TCorpusFile& file : files) {
    const std::filesystem::path path = folder / std::filesystem::path(file.name);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.bytes.constData(), static_cast<std::streamsize>(file.bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
  }
}
