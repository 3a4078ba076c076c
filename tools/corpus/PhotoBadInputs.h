#pragma once

#include <vector>

#include "CorpusFile.h"

// Photos whose Exif block lies (directory offsets outside the block or looping, truncated blocks,
// counts and types that do not fit, values outside 1-8) and CMYK/YCCK files whose Adobe segment is
// short or names another transform. Those named "damaged/exif-lie-*" must show as stored, 33 x 17.
void AddLyingPhotos(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out);
