// Records that draw bitmaps or fill rectangles by raster operations, for both readers, and the pattern
// brushes whose bitmaps they carry. A record whose bitmap is broken or too large draws nothing; a pattern
// brush whose bitmap cannot be decoded stands as a grey brush.
#pragma once

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// EMF bitmap records.
void ReadEmfStretchDiBits(const TMetaBytes& rec, TMetaListBuilder& builder);
// SetDIBitsToDevice, which may carry a band of the bitmap's rows.
void ReadEmfSetDiBitsToDevice(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfBitBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfStretchBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfMaskBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfAlphaBlend(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfTransparentBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
// PlgBlt: the bitmap onto a parallelogram.
void ReadEmfPlgBlt(const TMetaBytes& rec, TMetaListBuilder& builder);

// WMF bitmap records. BitBlt and StretchBlt carry a device-dependent bitmap, their DIB forms a DIB; the
// forms without a bitmap, told apart by their size, fill with the brush.
void ReadWmfStretchDib(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetDibToDev(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfDibStretchBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfStretchBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfDibBitBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfBitBlt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfPatBlt(const TMetaBytes& rec, TMetaListBuilder& builder);

// Pattern brushes: EMF ones in the slot the record names, WMF ones in the lowest free slot.
void ReadEmfCreateMonoBrush(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfCreateDibPatternBrushPt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfCreatePatternBrush(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfDibCreatePatternBrush(const TMetaBytes& rec, TMetaListBuilder& builder);
