// EXIF orientation: reading it from an APP1 segment, writing one, and turning pixels upright.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstddef>

// EXIF orientations 1-8: how the stored picture must be turned or mirrored to stand upright.
inline constexpr int kUprightOrientation = 1;

// The orientation an APP1 segment's payload (from "Exif\0\0" on) records; 1 for anything else, and for
// a block that is truncated, points outside itself or holds a value outside 1-8.
int ExifOrientation(const unsigned char* payload, std::size_t size);

// Orientations 5-8 swap width and height.
bool SwapsSides(int orientation);
QSize UprightSize(QSize stored, int orientation);

// The APP1 payload ("Exif\0\0", then a little-endian TIFF block) whose first directory holds only
// the orientation; what a camera writes for the reader above.
QByteArray ExifOrientationPayload(int orientation);

// The stored pixels turned upright; the pixel format (and a colour table) is kept.
QImage TurnUpright(const QImage& stored, int orientation);
