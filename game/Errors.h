#pragma once

#include <stdexcept>

// A file-system service failed (entering the picture folder); the text is the system's own.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A list was read at a position it does not have.
class EListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
