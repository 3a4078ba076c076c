#pragma once

#include <vector>

#include "CorpusFile.h"

// Small valid pictures of every kind the picture holder reads, named "<what>.<extension>": baseline,
// 4:4:4, grayscale and progressive JPEGs, JPEGs turned by Exif and CMYK/YCCK ones (JpegSeeds.h);
// 1-, 8-, 24- and 32-bit, top-down and run-length BMPs and the rarer variants (BitmapSeeds.h);
// 4- and 32-bit icons, PNG entries and AND masks; placeable and plain WMFs; EMFs.
std::vector<TCorpusFile> ValidSeeds();
