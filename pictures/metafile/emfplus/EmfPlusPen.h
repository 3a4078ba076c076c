// EMF+ pen objects: width, ends, joins, dashes, compound lines and custom caps, and the brush that
// fills the line.
#pragma once

#include <QPainterPath>
#include <QPen>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "metafile/emfplus/EmfPlusBrush.h"

class TMetaBytes;
struct TEmfPlusBudget;

// A shape a pen draws at a line's end (an arrowhead, or a cap QPen has no style for), in pen widths
// with the line's end at the origin and +y pointing on beyond it; empty for none.
struct TEmfPlusCapShape {
  QPainterPath shape;
  bool filled = true;
};

struct TEmfPlusPen {
  // Reads a pen object; nullopt when its bytes are malformed.
  static std::optional<TEmfPlusPen> Read(const TMetaBytes& bytes, TEmfPlusBudget& budget);

  // Caps, joins and dashes; its width and brush are set where it draws.
  QPen pen;
  TEmfPlusBrush brush;
  // The width in `unit`s (EmfPlus::kUnit*), 0 for the thinnest line.
  double width = 0;
  int unit = 0;
  TEmfPlusCapShape startCap, endCap;
  // A compound pen's parallel lines: pairs of fractions of the width, from its left edge (as the line
  // runs) to its right; empty for a single line.
  std::vector<std::pair<double, double>> compound;
};
