#pragma once

#include "BenchMedia.h"

// Decoding a 12-MP photo for a tile, upright and turned by its EXIF orientation: the turn must
// happen on the reduced decoding, so the turned photo costs about what the upright one does.
// "TileDecode/upright", "TileDecode/exif-turned" and, for comparison, "TileDecode/turned-at-full-size"
// (decoded, turned and shrunk at full size); the counters give the decoded size.
void RegisterPhotoBenchmarks(const TBenchMedia& media);
