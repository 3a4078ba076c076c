#pragma once

#include <QImage>
#include <cstdint>
#include <memory>

#include "metafile/emfplus/EmfPlusObjects.h"

class TMetaBytes;
class TMetaPlayList;

// Reads an image object from at: a bitmap of pixels or compressed data (PNG, JPEG, BMP, GIF, ...)
// decoded within the budget, or, when metafile is given, a WMF or EMF parsed into *metafile. Returns
// a null image for anything that cannot be drawn as a bitmap.
QImage ParseEmfPlusImage(const TMetaBytes& bytes, std::int64_t at, TEmfPlusImageBudget& budget,
                         std::shared_ptr<const TMetaPlayList>* metafile = nullptr);
