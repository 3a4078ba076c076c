#pragma once

#include <QImage>
#include <QString>

// How a generated picture is laid out in its JPEG file.
struct TJpegWriteOptions {
  bool progressive = false;
  bool grayscale = false;
  int quality = 90;
};

// Encodes image with libjpeg; colour files keep the chroma at half resolution both ways (4:2:0).
// Throws std::runtime_error when the file cannot be written.
void WriteJpeg(const QImage& image, const QString& path, const TJpegWriteOptions& options);
