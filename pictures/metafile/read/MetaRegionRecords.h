// Records of regions and clipping, for both readers: clip rectangles, paths and regions, region objects
// (WMF) and the records that fill, frame, paint or invert a region.
#pragma once

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// Clipping.
void ReadEmfIntersectClipRect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfExcludeClipRect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSelectClipPath(const TMetaBytes& rec, TMetaListBuilder& builder);
// ExtSelectClipRgn: a region of too many rectangles, or a malformed one, leaves the clipping as it is.
void ReadEmfExtSelectClipRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfOffsetClipRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetMetaRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfIntersectClipRect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfExcludeClipRect(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfOffsetClipRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSelectClipRegion(const TMetaBytes& rec, TMetaListBuilder& builder);

// Regions painted. An EMF record carries its region; a WMF one names a region object.
void ReadEmfFillRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfFrameRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfInvertRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfPaintRgn(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfFillRegion(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfFrameRegion(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfInvertRegion(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfPaintRegion(const TMetaBytes& rec, TMetaListBuilder& builder);

// A WMF region object; a malformed region still takes its slot, as an empty region.
void ReadWmfCreateRegion(const TMetaBytes& rec, TMetaListBuilder& builder);
