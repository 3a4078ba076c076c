#pragma once

#include <string>

// The listing of the picture folder.
class IFolderList {
 public:
  virtual ~IFolderList() = default;
  // Enters the folder (it becomes the current directory) and lists it, unless it is shown already.
  // Throws EInOutError when the folder cannot be entered.
  virtual void SetDirectory(const std::string& folder) = 0;
  // The folder shown: a full path without a trailing separator.
  virtual std::string Directory() const = 0;
  // The name at position index of the sorted listing; throws EListError past its end.
  virtual std::string Item(int index) const = 0;
  virtual int Count() const = 0;
};
