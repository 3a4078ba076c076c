// The one reader of device-independent bitmaps, for BMP files, icons and the DIBs inside metafile records.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

// Device-independent bitmaps as BMP files, icons and metafile records carry them: a BITMAPINFO
// header (OS/2 core, OS/2 v2, Windows v3 to v5), masks, colour table and pixel data in one block.

struct TDibDecodeOptions {
  // Images above this many pixels are refused before any pixel is decoded.
  long long maxPixels = 64ll * 1024 * 1024;
  // An icon's bitmap declares twice its height: the colour rows, then a 1-bit AND mask whose set
  // bits make a pixel transparent.
  bool heightIncludesMask = false;
  // The size an icon's directory gives; it stands in for a bitmap header whose size is absurd.
  QSize fallbackSize;
  // A plain 32-bit bitmap leaves its fourth byte unused; metafile AlphaBlend records keep alpha there.
  bool alphaInFourthByte = false;
};

struct TDibResult {
  QImage image;  // null when the block was refused
  QString error;
};

// Decodes `block`: the header starts at offset 0 and the pixels at `bitsOffset`. Plain rows must
// be complete; run-length data may end early (the rest stays colour 0).
TDibResult DecodeDib(QByteArrayView block, qsizetype bitsOffset, const TDibDecodeOptions& options = {});

// Where the pixels of a packed DIB (header, masks and colour table, then the pixels) start, or -1
// when the header cannot be read.
qsizetype PackedDibBitsOffset(QByteArrayView block);

// A BMP file: the 14-byte file header ("BM", size, pixel offset) followed by a DIB, or an OS/2
// bitmap array ("BA") whose first bitmap is shown.
TDibResult DecodeBmpFile(QByteArrayView file, const TDibDecodeOptions& options = {});
