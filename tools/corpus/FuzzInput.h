#pragma once

#include <array>
#include <cstdint>

#include "jpeg/JpegDecoder.h"

// How a fuzz input's first byte is read, shared by the fuzz targets and their seed generator.

// The picture holder target loads the remaining bytes as the kind named by the first byte modulo 5.
inline constexpr std::array<const char*, 5> kFuzzPictureKinds{"jpg", "bmp", "ico", "wmf", "emf"};

// The JPEG decoder target reads its options from the first byte: bit 0 the pixel format, bits 1 and
// 2 the scale, bit 3 grayscale, bit 4 the performance, bit 5 progressive display.
inline constexpr int kJpegOptionCombinations = 64;

inline TJpegDecodeOptions JpegOptionsFromByte(std::uint8_t byte) {
  TJpegDecodeOptions options;
  options.pixelFormat = static_cast<TJPEGPixelFormat>(byte & 1u);
  options.scale = static_cast<TJPEGScale>((byte >> 1) & 3u);
  options.grayscale = ((byte >> 3) & 1u) != 0;
  options.performance = static_cast<TJPEGPerformance>((byte >> 4) & 1u);
  options.progressiveDisplay = ((byte >> 5) & 1u) != 0;
  return options;
}
