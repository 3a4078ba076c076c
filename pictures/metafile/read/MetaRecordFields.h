// Record fields read by the names the format's structs give them: libuemf's U_RECTL, U_POINTL, U_SIZEL,
// U_POINT16 and U_XFORM at their offset in a record, and WMF coordinates by their field names whatever
// order the record stores them in. Every read is bounds-checked by TMetaBytes.
#pragma once

#include <uemf.h>
#include <uwmf.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "metafile/model/MetaBytes.h"
#include "metafile/model/MetaCommand.h"

// A U_RECTL (left, top, right, bottom) at `at`, e.g. ReadRectl(rec, offsetof(U_EMRRECTANGLE, rclBox)).
TMetaRect ReadRectl(const TMetaBytes& rec, std::int64_t at);
// A U_POINTL (x, y).
TMetaPoint ReadPointl(const TMetaBytes& rec, std::int64_t at);
// A U_SIZEL (cx, cy), as a point.
TMetaPoint ReadSizel(const TMetaBytes& rec, std::int64_t at);
// A U_POINT16 (x, y).
TMetaPoint ReadPoint16(const TMetaBytes& rec, std::int64_t at);
// A U_FLOAT.
double ReadFloat(const TMetaBytes& rec, std::int64_t at);
// A U_XFORM's eM11, eM12, eM21, eM22, eDx and eDy.
std::array<double, 6> ReadXform(const TMetaBytes& rec, std::int64_t at);

// WMF records store their parameters last first (y before x, bottom before top); these read the fields
// of the record's libuemf struct by name.
// The point of a record whose struct has fields x and y (U_WMRMOVETO, U_WMRSETWINDOWORG, ...).
template <class Record>
TMetaPoint WmfPoint(const TMetaBytes& rec) {
  return {rec.I16(offsetof(Record, x)), rec.I16(offsetof(Record, y))};
}

// The rectangle of a record whose struct has fields Left, Top, Right and Bottom (U_WMRRECTANGLE, ...).
template <class Record>
TMetaRect WmfBox(const TMetaBytes& rec) {
  return {rec.I16(offsetof(Record, Left)), rec.I16(offsetof(Record, Top)), rec.I16(offsetof(Record, Right)),
          rec.I16(offsetof(Record, Bottom))};
}

// The 32-bit raster operation that WMF bitmap records keep in two 16-bit words (rop3w), low word first.
template <class Record>
std::uint32_t WmfRop(const TMetaBytes& rec) {
  return rec.U32(offsetof(Record, rop3w));
}
