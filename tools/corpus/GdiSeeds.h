#pragma once

#include <vector>

#include "CorpusFile.h"

// Metafiles with the records of pens, brushes, mix modes, pixels, gradients and regions, so that the
// fuzzers and the damaged-file replay reach their readers.
std::vector<TCorpusFile> GdiSeeds();
