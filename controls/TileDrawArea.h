#pragma once

#include "DrawArea.h"

class TCBImage;

// The area the tile fits its picture into, as its paint operation computes it.
TDrawArea TileDrawArea(const TCBImage& tile);
