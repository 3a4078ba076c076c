// The decoding options a tile sets on its JPEG pictures: pixel format, DCT scale and performance.
#pragma once

#include <cstdint>

enum class TJPEGPixelFormat : std::uint8_t { jf24Bit = 0, jf8Bit = 1 };
enum class TJPEGScale : std::uint8_t { jsFullSize = 0, jsHalf = 1, jsQuarter = 2, jsEighth = 3 };
enum class TJPEGPerformance : std::uint8_t { jpBestQuality = 0, jpBestSpeed = 1 };
