#pragma once

#include <cstdint>

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// Records of pens, raster modes, pixels, gradients, regions and the rarer shapes, for both readers.

// Reads an EMF record of these kinds into the list; false when the type is none of them.
bool ReadEmfGdiRecord(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list);
// The CreateExtPen command of an EMR_EXTCREATEPEN record, its slot left for the reader to place.
TMetaCommand EmfExtPenCommand(const TMetaBytes& rec, TMetaListBuilder& list);

// Reads a WMF record of these kinds into the list; false when the type is none of them. Region
// objects take a slot of the reader's table, so META_CREATEREGION is read by WmfRegionCommand instead.
bool ReadWmfGdiRecord(const TMetaBytes& rec, std::uint8_t type, TMetaListBuilder& list);
// The CreateRegion command of a META_CREATEREGION record, its slot left for the reader to place; a
// malformed region still takes its slot, as an empty region.
TMetaCommand WmfRegionCommand(const TMetaBytes& rec, TMetaListBuilder& list);
