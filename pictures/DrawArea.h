// TDrawArea: where a tile fits its picture, as the decode-ahead workers and the JPEG cache see it.
#pragma once

#include <QtGlobal>

// Where a tile fits its picture: the free area inside frame and caption, at the screen's density.
// Only a tile that shrinks its picture into that area (StretchRatio on, JPEGScale full size) may be
// given a JPEG decoded at a reduced DCT scale.
struct TDrawArea {
  bool reduce = false;
  int width = 0;
  int height = 0;
  qreal ratio = 1;
  // The fitted picture stands centred in the area, else at its top-left corner.
  bool centred = false;
  auto operator<=>(const TDrawArea&) const = default;
};
