// What reading one EMF+ file's objects may cost together, so that a hostile file cannot take the
// memory or the time of the whole game.
#pragma once

#include <cstdint>

struct TEmfPlusBudget {
  // Decoded image pixels and path gradient images: 32 MB as ARGB.
  std::int64_t pixelsLeft = std::int64_t{8} << 20;
  // Path elements combined into regions.
  std::int64_t regionWorkLeft = 200000;
  // Path elements painted into path gradients' images, counted once for each ring.
  std::int64_t gradientWorkLeft = 4'000'000;
};
