// The DCT scale to decode a JPEG at for a tile that shrinks it, and the pixels it is drawn at.
#pragma once

#include <QSize>

#include "DrawArea.h"
#include "jpeg/JpegDecoder.h"
#include "jpeg/JpegOptions.h"

// The smallest of libjpeg's 1/2, 1/4 and 1/8 scales whose output still covers the picture's fitted
// rectangle in device pixels; the requested scale when the area does not allow reducing.
TJPEGScale ReducedScale(const TJpegHeader& header, TJPEGScale requested, const TDrawArea& area);

// The device pixels of the rectangle a full-size picture is fitted into; empty without reducing.
QSize DrawnPixels(const TJpegHeader& header, const TDrawArea& area);
