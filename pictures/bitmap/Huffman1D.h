// The CCITT one-dimensional modified Huffman decoder of 1-bit OS/2 2.x bitmaps.
#pragma once

#include <QByteArrayView>
#include <functional>

// One-dimensional modified Huffman data of a 1-bit OS/2 2.x bitmap: each row alternates runs of
// white (palette index 0) and black (index 1), starting with white, codes read most significant bit
// first. Ends of line (with fill bits before them) may separate rows or be left out.
//
// Calls fill(row, from, to, index) for every run inside width x height, rows in stored order, runs
// cut at the row's end. Decoding stops where the data ends or stops making sense; the pixels not
// reached are left to the caller. Work is bounded by the data's bits plus the rows.
void DecodeHuffman1D(QByteArrayView data, long long width, long long height,
                     const std::function<void(long long row, long long from, long long to, int index)>& fill);
