// EMF+ region objects: a tree of rectangles, paths, empty and infinite shapes combined by boolean
// operations, combined once as they are read.
#pragma once

#include <QPainterPath>
#include <optional>

class TMetaBytes;
struct TEmfPlusBudget;

struct TEmfPlusRegion {
  // Reads a region object; nullopt when its bytes are malformed. Combining shapes takes work from the
  // budget; a combination beyond it keeps its first operand.
  static std::optional<TEmfPlusRegion> Read(const TMetaBytes& bytes, TEmfPlusBudget& budget);

  // The region in world coordinates; combined shapes keep the fill rule Qt's boolean operations gave them.
  QPainterPath path;
  // True for a region that covers everything.
  bool infinite = false;
};
