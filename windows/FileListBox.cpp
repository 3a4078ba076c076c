#include "FileListBox.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "Errors.h"

namespace {
std::string CurrentDirectory() {
  std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
  if (!cwd) throw EInOutError(std::strerror(errno));
  return cwd.get();
}

unsigned char Folded(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// Case-insensitive order; names equal but for case keep a fixed order by their bytes.
bool ListingOrder(const std::string& a, const std::string& b) {
  const auto folded = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [](char x, char y) { return Folded(x) < Folded(y); });
  const auto foldedReverse = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) { return Folded(x) < Folded(y); });
  if (folded != foldedReverse) return folded;
  return a < b;
}
}  // namespace

std::vector<std::string> ListPictureFolder(const std::string& folder) {
  std::vector<std::string> names;
  struct CloseDir {
    void operator()(DIR* d) const { closedir(d); }
  };
  std::unique_ptr<DIR, CloseDir> dir(opendir(folder.c_str()));
  if (!dir) throw EInOutError(std::strerror(errno));
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    struct stat info {};
    if (stat((folder + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end(), ListingOrder);
  return names;
}

TFileListBox::TFileListBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ficheros"));
  setFocusPolicy(Qt::NoFocus);
  setGeometry(232, 152, 161, 73);
  hide();
}

void TFileListBox::SetDirectory(const std::string& folder) {
  // Setting the folder already shown changes nothing and reads nothing anew.
  if (folder == directory_ || folder == requested_) return;
  if (chdir(folder.c_str()) != 0) throw EInOutError(std::strerror(errno));
  directory_ = CurrentDirectory();
  requested_ = folder;
  ReadFileNames();
}

std::string TFileListBox::Item(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)];
}

void TFileListBox::ReadFileNames() {
  items_ = ListPictureFolder(".");
}
