#pragma once

#include <vector>

#include "CorpusFile.h"

// Broken picture files made from valid seeds, in three folders:
//   reject/  files that lie about themselves (absurd or zero sizes, records of size 0 or past the
//            end, point counts beyond their record, a placeable box of no area); a tile must end
//            empty with them, or the JPEG decoder raise EJPEG;
//   damaged/ every seed truncated at many lengths and bit-flipped, and headers that are odd but not
//            necessarily wrong (unbalanced save/restore, a negative placeable box): a tile may show
//            whatever they still hold, but nothing may crash, hang or allocate without bound;
//   names/   valid seeds under names with spaces, non-UTF-8 bytes and leading dashes.
std::vector<TCorpusFile> BadInputs(const std::vector<TCorpusFile>& seeds);
