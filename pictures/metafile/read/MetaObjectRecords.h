// Records of the object table, for both readers: pens, brushes, fonts and palettes created, selected
// and deleted. Pattern brushes, which carry bitmaps, are read with the bitmap records, and regions with
// the region records.
#pragma once

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// Pens and brushes.
void ReadEmfCreatePen(const TMetaBytes& rec, TMetaListBuilder& builder);
// ExtCreatePen: a pen with its own dash lengths when its style is PS_USERSTYLE.
void ReadEmfExtCreatePen(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfCreateBrushIndirect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfCreatePenIndirect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfCreateBrushIndirect(const TMetaBytes& rec, TMetaListBuilder& builder);

// Fonts: the logical font goes into the list's font store. A face name may be cut short by the record's
// end and need not end in a zero.
void ReadEmfExtCreateFontIndirectW(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfCreateFontIndirect(const TMetaBytes& rec, TMetaListBuilder& builder);

// Palettes take an object slot; the player resolves palette colours with the one selected when they
// draw.
void ReadEmfCreatePalette(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSelectPalette(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetPaletteEntries(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfResizePalette(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfCreatePalette(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSelectPalette(const TMetaBytes& rec, TMetaListBuilder& builder);
// META_SETPALENTRIES and META_ANIMATEPALETTE: both change entries of the selected palette.
void ReadWmfSetPalEntries(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfResizePalette(const TMetaBytes& rec, TMetaListBuilder& builder);

// Selecting and deleting objects. An EMF record may select a stock object; a WMF deletion of a slot
// that holds no object is ignored.
void ReadEmfSelectObject(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfDeleteObject(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSelectObject(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfDeleteObject(const TMetaBytes& rec, TMetaListBuilder& builder);
