#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "FolderList.h"

// The hidden file list of the board: lists the ordinary, non-hidden files of one folder, sorted
// without regard to case. Showing a folder enters it, so relative names are found through it.
class TFileListBox : public QWidget, public IFolderList {
  Q_OBJECT
 public:
  explicit TFileListBox(QWidget* parent = nullptr);

  void SetDirectory(const std::string& folder) override;
  std::string Directory() const override { return directory_; }
  std::string Item(int index) const override;
  int Count() const override { return static_cast<int>(items_.size()); }

  const std::vector<std::string>& Items() const { return items_; }

 private:
  void ReadFileNames();

  std::string directory_;
  // The name the folder was set by; a symlinked folder reads back under its real path.
  std::string requested_;
  std::vector<std::string> items_;
};

// The ordinary, non-hidden file names of folder, sorted without regard to case.
std::vector<std::string> ListPictureFolder(const std::string& folder);
