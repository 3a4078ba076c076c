// The DIB inside a metafile record: its header read and its pixels decoded within the bitmap budget.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <cstdint>
#include <memory>

#include "metafile/read/MetaListBuilder.h"

// The DIB of a metafile record, decoded by the project's bitmap reader within the picture's pixel
// budget (kMaxMetaBitmapPixels per bitmap, kMaxMetaPicturePixels for all together).
struct TMetaDibRequest {
  QByteArrayView info;  // BITMAPINFO: header, masks and colour table
  QByteArrayView bits;
  // DIB_RGB_COLORS (0), DIB_PAL_COLORS (1): the colour table holds 16-bit palette indices, or
  // DIB_PAL_INDICES (2): there is no table and the pixels are palette indices. The palette selected
  // when the bitmap draws resolves them: see palette.
  std::uint32_t usage = 0;
  // Where the palette indices of a DIB of palette colours go. Such a DIB decodes with the position in
  // its colour table as each pixel's red (MetaPalettePositions reads them back); without a place for
  // the indices, a palette DIB is decoded that way all the same.
  std::shared_ptr<TMetaPaletteImage>* palette = nullptr;
  bool alpha = false;       // a 32-bit bitmap carries alpha in its fourth byte
  bool monochrome = false;  // a 1-bit bitmap decodes black for bit 0 and white for bit 1
  // When positive and fewer than the header's rows: the bits hold only this band of rows, as
  // SetDIBitsToDevice records that draw a bitmap in pieces carry them.
  std::int64_t rows = 0;
};

// The decoded bitmap, or a null image when it is broken or over the budget; the pixels are counted
// against the builder's budget.
QImage DecodeMetaDib(const TMetaDibRequest& request, TMetaListBuilder& builder);

// The table positions of a palette DIB decoded as DecodeMetaDib does (and maybe prepared since: pixels
// made transparent have no position), as TMetaPaletteImage::positions.
QImage MetaPalettePositions(const QImage& decoded);

// The size of the BITMAPINFO at the start of a packed DIB (header, masks and a table of the usage's
// entries), or -1 when its header cannot be read.
std::int64_t PackedDibInfoSize(QByteArrayView packed, std::uint32_t usage);

// True when the DIB header's rows run bottom-up, so that source rectangles of StretchDIBits and
// SetDIBitsToDevice count from its last row.
bool DibIsBottomUp(QByteArrayView info);
// The number of rows the DIB header declares; 0 when it cannot be read.
std::int64_t DibHeight(QByteArrayView info);
// The bits per pixel the DIB header declares; 0 when it cannot be read.
int DibBitsPerPixel(QByteArrayView info);

// A device-dependent bitmap of old WMF records (BITMAP16: width, height, bytes per row, planes, bits
// per pixel) as a top-down DIB; empty when it is of a kind not drawn (several planes, palette
// depths) or larger than the bitmap budget.
QByteArray DibFromBitmap16(int width, int height, int widthBytes, int planes, int bitsPerPixel,
                           QByteArrayView bits);
