#pragma once

#include <QByteArray>
#include <vector>

#include "CorpusFile.h"

// Small JPEGs as cameras and print tools write them: an Exif orientation of each of 1-8 (one of them
// in Motorola byte order, one after an XMP segment), and CMYK and YCCK files with and without
// Adobe's APP14 segment, one progressive and one turned.
std::vector<TCorpusFile> JpegSeeds();

// The JPEG with an APPn segment of this payload right after its start-of-image marker.
QByteArray WithSegment(const QByteArray& jpeg, int appNumber, const QByteArray& payload);
