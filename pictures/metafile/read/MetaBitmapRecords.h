#pragma once

#include <cstdint>

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// Reads the WMF records that draw bitmaps or fill rectangles by raster operations (StretchDIB,
// DIBStretchBlt, DIBBitBlt, SetDIBToDev, BitBlt, StretchBlt, PatBlt) into the list. Returns false
// for any other record type. A record whose bitmap is broken or too large draws nothing.
bool ReadWmfBitmapRecord(const TMetaBytes& rec, std::uint8_t type, TMetaListBuilder& list);
// As ReadWmfBitmapRecord, for the EMF records (StretchDIBits, SetDIBitsToDevice, BitBlt, StretchBlt,
// MaskBlt, PlgBlt, AlphaBlend, TransparentBlt).
bool ReadEmfBitmapRecord(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list);

// The brush command of a WMF pattern brush record (META_DIBCREATEPATTERNBRUSH, META_CREATEPATTERNBRUSH)
// or of an EMF one (EMR_CREATEDIBPATTERNBRUSHPT, EMR_CREATEMONOBRUSH): a pattern brush, or a grey
// brush standing for a pattern that cannot be decoded. The caller places it in an object slot.
TMetaCommand WmfPatternBrushCommand(const TMetaBytes& rec, std::uint8_t type, TMetaListBuilder& list);
TMetaCommand EmfPatternBrushCommand(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list);
