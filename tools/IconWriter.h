#pragma once

#include <QImage>
#include <QString>

// Writes a one-image ICO file by hand, since Qt's writer cannot make a 16-colour icon.
// A QImage::Format_Indexed8 image with at most 16 colours is stored with 4 bits per pixel and a
// 16-entry palette; any other image as 32-bit BGRA. Pixels with alpha below 128 are masked out.
// Sizes up to 256 x 256. Throws std::runtime_error when the file cannot be written.
void WriteIcon(const QImage& image, const QString& path);
