#pragma once

#include <QByteArray>
#include <QImage>

// Writes the rows of a two-colour picture (pixel index 0 white, anything else black) as OS/2's
// one-dimensional modified Huffman data, last row first as a bottom-up bitmap stores them. With
// endOfLines every row is followed by an end-of-line code; the last byte is padded with zeros.
QByteArray EncodeHuffman1D(const QImage& indexed, bool endOfLines);
