// EMF+ path objects: points with a type each (start, line or Bézier, closing or not), which regions,
// pens' caps and path gradients embed too.
#pragma once

#include <QPainterPath>
#include <cstdint>
#include <optional>

class TMetaBytes;

struct TEmfPlusPath {
  // Reads a path object; nullopt when its bytes are malformed.
  static std::optional<TEmfPlusPath> Read(const TMetaBytes& bytes);

  QPainterPath path;
};

// Reads a path from at, as other objects embed it, and moves at past it, to the next four-byte boundary;
// returns false when its bytes are malformed.
bool ReadEmfPlusPath(const TMetaBytes& bytes, std::int64_t& at, QPainterPath& path);
