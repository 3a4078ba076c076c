#pragma once

#include <QSize>
#include <QtGlobal>

#include "jpeg/JpegDecoder.h"
#include "jpeg/JpegOptions.h"

// Where a tile fits its picture: the free area inside frame and caption, at the screen's density.
// Only a tile that shrinks its picture into that area (StretchRatio on, JPEGScale full size) may be
// given a JPEG decoded at a reduced DCT scale.
struct TDrawArea {
  bool reduce = false;
  int width = 0;
  int height = 0;
  qreal ratio = 1;
  auto operator<=>(const TDrawArea&) const = default;
};

// The smallest of libjpeg's 1/2, 1/4 and 1/8 scales whose output still covers the picture's fitted
// rectangle in device pixels; the requested scale when the area does not allow reducing.
TJPEGScale ReducedScale(const TJpegHeader& header, TJPEGScale requested, const TDrawArea& area);

// The device pixels of the rectangle a full-size picture is fitted into; empty without reducing.
QSize DrawnPixels(const TJpegHeader& header, const TDrawArea& area);
