// EMF+ brush objects: a solid colour, a hatch, a texture, or a linear or path gradient, read from their
// object data (or from a pen's, which embeds one).
#pragma once

#include <QBrush>
#include <QPainterPath>
#include <cstdint>
#include <memory>
#include <optional>

class TEmfPlusPathGradient;
class TMetaBytes;
struct TEmfPlusBudget;

struct TEmfPlusBrush {
  // Reads a brush object from at and moves at past it; nullopt when its bytes are malformed. Decoded
  // textures and path gradients' images take pixels and work from the budget; a path gradient beyond
  // it is the blend's middle colour.
  static std::optional<TEmfPlusBrush> Read(const TMetaBytes& bytes, std::int64_t& at, TEmfPlusBudget& budget);

  // The brush in world coordinates, a path gradient painted at its first use. A hatch's pattern is in
  // device pixels.
  QBrush Brush() const;

  // Every brush but a path gradient that is painted.
  QBrush brush;
  std::shared_ptr<const TEmfPlusPathGradient> pathGradient;
  bool hatch = false;
  // Where the brush paints, in world coordinates; empty for everywhere. A path gradient that does not
  // repeat paints only inside its boundary.
  QPainterPath area;
};
