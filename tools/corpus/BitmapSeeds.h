#pragma once

#include <vector>

#include "CorpusFile.h"

// Small bitmaps in the variants real files use besides the plain Windows ones: OS/2 v1 and v2
// headers (one Huffman 1D), 2 and 64 bits per pixel, PNG and JPEG pixel data, RLE4, RLE24 and top-down RLE8,
// 5-6-5, 10-10-10, alpha and shuffled bit masks, palettes shorter than their depth and V4/V5 headers.
std::vector<TCorpusFile> BitmapSeeds();

// Icons with PNG entries, with several entries of different sizes and depths, and with AND masks
// over 1-, 4-, 8- and 24-bit colour; one cursor.
std::vector<TCorpusFile> IconSeeds();
