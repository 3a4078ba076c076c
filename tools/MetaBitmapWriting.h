#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <cstdint>

#include "EmfWriter.h"
#include "WmfWriter.h"

// Bitmap records for the metafile writers: DIBs drawn by raster operations, pattern brushes, and an
// EMF carried in a WMF's comments.

// A DIB as the records carry it: a BITMAPINFO (header and colour table) and the pixel rows.
struct TDibBytes {
  QByteArray info;
  QByteArray bits;
  int width = 0, height = 0;
};

// The image as a bottom-up DIB of 24 bits, of 32 bits with the alpha (premultiplied, as AlphaBlend
// takes it) in the fourth byte, or of 1 bit: black pixels 0 and the others 1, with the two colours
// as its table.
TDibBytes DibOf(const QImage& image, int bitsPerPixel, QColor zero = Qt::black, QColor one = Qt::white);

// The raster operations the tests use.
inline constexpr std::uint32_t kRopSrcCopy = 0x00CC0020, kRopSrcAnd = 0x008800C6, kRopSrcPaint = 0x00EE0086,
                               kRopSrcInvert = 0x00660046, kRopPatCopy = 0x00F00021,
                               kRopBlackness = 0x00000042, kRopDstInvert = 0x00550009;

void AddEmfStretchDib(TEmfWriter& writer, const TDibBytes& dib, const QRect& dest, const QRect& source,
                      std::uint32_t rop = kRopSrcCopy);
// A BitBlt; without a DIB it paints the destination by the operation alone.
void AddEmfBitBlt(TEmfWriter& writer, const TDibBytes* dib, const QRect& dest, std::uint32_t rop);
// An AlphaBlend of the whole DIB: constant alpha 0-255, and per-pixel alpha when perPixel is set.
void AddEmfAlphaBlend(TEmfWriter& writer, const TDibBytes& dib, const QRect& dest, int constantAlpha,
                      bool perPixel);
void AddEmfTransparentBlt(TEmfWriter& writer, const TDibBytes& dib, const QRect& dest, QColor transparent);
// Fills the box with a pattern brush of the DIB (EMR_CREATEMONOBRUSH when monochrome, else
// EMR_CREATEDIBPATTERNBRUSHPT) after setting the text and background colours; valid fillText and
// fillBackground colours replace those between selecting the brush and filling.
void AddEmfPatternFill(TEmfWriter& writer, const TDibBytes& dib, bool monochrome, const QRect& box,
                       QColor text, QColor background, QColor fillText = QColor(),
                       QColor fillBackground = QColor());

// The mapping records that make the box the window, as WriteWmf starts its files.
void AddWmfWindow(TWmfWriter& writer, const TMetaBox& box);
void AddWmfStretchDib(TWmfWriter& writer, const TDibBytes& dib, const QRect& dest, const QRect& source,
                      std::uint32_t rop = kRopSrcCopy);
void AddWmfDibStretchBlt(TWmfWriter& writer, const TDibBytes& dib, const QRect& dest, const QRect& source,
                         std::uint32_t rop);
void AddWmfPatBlt(TWmfWriter& writer, const QRect& dest, std::uint32_t rop);
// Fills the box with a META_DIBCREATEPATTERNBRUSH brush of the DIB after setting the text and
// background colours.
void AddWmfPatternFill(TWmfWriter& writer, const TDibBytes& dib, const QRect& box, QColor text,
                       QColor background);
// Appends the EMF in MFCOMMENT escapes of at most chunkSize bytes of it each.
void AddWmfEmbeddedEmf(TWmfWriter& writer, const QByteArray& emf, int chunkSize);
