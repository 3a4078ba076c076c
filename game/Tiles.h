#pragma once

#include <string>

// The twenty picture tiles of the board, addressed by tile number 1..20.
class ITiles {
 public:
  virtual ~ITiles() = default;
  // Shows the picture in fileName on the tile (empty when it is no picture); may throw on I/O errors.
  virtual void LoadImage(int tile, const std::string& fileName) = 0;
};
