#pragma once

#include <QByteArray>
#include <filesystem>
#include <string>
#include <vector>

// One file of a generated corpus. The name is raw bytes relative to the corpus folder, so that names
// which are no valid UTF-8 can be written too.
struct TCorpusFile {
  std::string name;
  QByteArray bytes;
};

// Writes every file below folder, creating its subfolders. Throws std::runtime_error on failure.
void WriteCorpus(const std::filesystem::path& folder, const std::vector<TCorpusFile>& files);
