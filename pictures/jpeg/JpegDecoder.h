// libjpeg behind guarded calls: a JPEG's header, its decoded pixels, and encoding (for the tools and tests).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <array>
#include <functional>

#include "jpeg/JpegOptions.h"

// Pictures above this pixel count are refused before libjpeg allocates anything for them.
inline constexpr qint64 kMaxJpegPixels = 64ll * 1024 * 1024;
// More scans than any real encoder writes; each scan costs a pass over the coefficients.
inline constexpr int kMaxJpegScans = 100;

// What the header of a JPEG file tells before any pixel is decoded. The sizes are those of the
// upright picture, after the turn its EXIF orientation asks for.
struct TJpegHeader {
  int imageWidth = 0;
  int imageHeight = 0;
  int components = 0;
  bool progressive = false;
  int orientation = 1;  // EXIF, 1-8
  // libjpeg's output size for each TJPEGScale, indexed by its ordinal.
  std::array<QSize, 4> outputSizes{QSize(0, 0), QSize(0, 0), QSize(0, 0), QSize(0, 0)};
};

// The decoding choices of a JPEG picture; block smoothing is always on.
struct TJpegDecodeOptions {
  TJPEGPixelFormat pixelFormat = TJPEGPixelFormat::jf24Bit;
  TJPEGScale scale = TJPEGScale::jsFullSize;
  bool grayscale = false;
  TJPEGPerformance performance = TJPEGPerformance::jpBestQuality;
  bool progressiveDisplay = false;
};

// Called with the picture after each interim pass of a progressive display.
using TJpegPassObserver = std::function<void(const QImage&)>;

// Reads the header. Throws EJPEG ("JPEG error #N") for what libjpeg rejects or cannot convert to RGB,
// EInvalidGraphic for a zero or absurd size.
TJpegHeader ReadJpegHeader(const QByteArray& bytes);

// Decodes the whole picture, turned upright: Format_RGB32 for 24-bit output, Format_Indexed8 with at
// most 236 colours for 8-bit or grayscale output. CMYK and YCCK become RGB. Truncated data gives a
// partial picture.
// Throws as ReadJpegHeader, and EJPEG for fatal decoding errors.
QImage DecodeJpeg(const QByteArray& bytes, const TJpegDecodeOptions& options,
                  const TJpegPassObserver& interimPass = {});

struct TJpegEncodeOptions {
  int quality = 90;
  bool progressive = false;
  int orientation = 1;  // EXIF, 1-8
  bool grayscale = false;
  // Chroma sampled 2 x 2 (4:2:0) when true, 1 x 1 (4:4:4) when false.
  bool subsampleChroma = true;
};

// Compresses a picture with libjpeg. Throws EJPEG when libjpeg refuses it (an empty picture, say).
QByteArray EncodeJpeg(const QImage& image, const TJpegEncodeOptions& options = {});
