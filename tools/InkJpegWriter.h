#pragma once

#include <QByteArray>
#include <QImage>

// How a print or publishing tool stores a four-colour JPEG.
struct TInkJpegOptions {
  bool ycck = false;         // YCCK (colour transform on the C, M, Y channels) instead of plain CMYK
  bool adobeMarker = false;  // an APP14 Adobe segment; its files store the ink inverted (255 = none)
  int quality = 95;
  bool progressive = false;
};

// A CMYK or YCCK JPEG written by libjpeg whose naive conversion back to RGB gives `image`: K is the
// darkest channel's ink and C, M, Y what is left of each. Throws std::runtime_error when libjpeg fails.
QByteArray EncodeInkJpeg(const QImage& image, const TInkJpegOptions& options = {});
