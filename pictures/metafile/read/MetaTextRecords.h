#pragma once

#include <cstdint>

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// Reads the WMF records of text output and text state (colour, background, alignment, spacing) into
// the list. Returns false for any other record type.
bool ReadWmfTextRecord(const TMetaBytes& rec, std::uint8_t type, TMetaListBuilder& list);
// As ReadWmfTextRecord, for EMF records.
bool ReadEmfTextRecord(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list);

// The CreateFont command of a META_CREATEFONTINDIRECT / EMR_EXTCREATEFONTINDIRECTW record; its font
// goes into the list's font store and the caller places the command in an object slot.
TMetaCommand WmfFontCommand(const TMetaBytes& rec, TMetaListBuilder& list);
TMetaCommand EmfFontCommand(const TMetaBytes& rec, TMetaListBuilder& list);
