// Region data of WMF and EMF records (the WMF Region object, the EMF RgnData block) as rectangles.
#pragma once

#include <QRect>
#include <cstdint>
#include <vector>

#include "metafile/model/MetaBytes.h"

// Regions of more rectangles than this are refused: combining them would cost more than they show.
inline constexpr std::int64_t kMaxRegionRects = 4096;

// The rectangles of a WMF Region object starting at offset at of the record. Writers disagree on the
// object's header (a 32- or 16-bit object count), so both layouts are tried and the one whose scans
// fit the record exactly is taken; a region without scans is its bounding box. Empty when neither fits.
std::vector<QRect> ReadWmfRegion(const TMetaBytes& rec, std::int64_t at);

// The rectangles of an EMF RgnData block of size bytes at offset at; empty when malformed.
std::vector<QRect> ReadEmfRegionData(const TMetaBytes& rec, std::int64_t at, std::int64_t size);
