#pragma once

#include <vector>

#include "CorpusFile.h"

// Lies told by the less common bitmap and icon variants: OS/2 sizes, masks and pixels cut off,
// embedded PNG and JPEG data that is broken or declares an absurd size, run-length codes that run
// past rows, pictures and data, compressions that do not suit the depth, icon entries that overlap.
// None declares a picture within the pixel limit larger than its seed.
void AddLyingBitmapVariants(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out);
void AddLyingIconVariants(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out);
