// The area a tile fits its picture into, for code that plans decoding for a tile from outside it.
#pragma once

#include "CBImage.h"
#include "DrawArea.h"

inline TDrawArea TileDrawArea(const TCBImage& tile) {
  return tile.DrawArea();
}
