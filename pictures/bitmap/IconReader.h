// Reading an ICO file: picking the image to show from its directory and decoding it.
#pragma once

#include <QByteArrayView>

#include "bitmap/DibReader.h"

// An icon file (ICO) holds several pictures of one motif; the one shown is the largest, and among
// equal sizes the one with the most colours. Entries are bitmaps with an AND mask, or PNG files.
TDibResult DecodeIconFile(QByteArrayView file, long long maxPixels);
