#pragma once

#include <vector>

#include "CorpusFile.h"

// Small valid pictures of every kind the picture holder reads, named "<what>.<extension>": baseline,
// 4:4:4, grayscale and progressive JPEGs; 1-, 8-, 24- and 32-bit, top-down and run-length BMPs;
// 4- and 32-bit icons; placeable and plain WMFs; EMFs.
std::vector<TCorpusFile> ValidSeeds();
