// Fields of libuemf's record structs read from a record at their offset.
#include "metafile/read/MetaRecordFields.h"

#include <bit>

TMetaRect ReadRectl(const TMetaBytes& rec, std::int64_t at) {
  return {rec.I32(at + offsetof(U_RECTL, left)), rec.I32(at + offsetof(U_RECTL, top)),
          rec.I32(at + offsetof(U_RECTL, right)), rec.I32(at + offsetof(U_RECTL, bottom))};
}

TMetaPoint ReadPointl(const TMetaBytes& rec, std::int64_t at) {
  return {rec.I32(at + offsetof(U_POINTL, x)), rec.I32(at + offsetof(U_POINTL, y))};
}

TMetaPoint ReadSizel(const TMetaBytes& rec, std::int64_t at) {
  return {rec.I32(at + offsetof(U_SIZEL, cx)), rec.I32(at + offsetof(U_SIZEL, cy))};
}

TMetaPoint ReadPoint16(const TMetaBytes& rec, std::int64_t at) {
  return {rec.I16(at + offsetof(U_POINT16, x)), rec.I16(at + offsetof(U_POINT16, y))};
}

double ReadFloat(const TMetaBytes& rec, std::int64_t at) {
  static_assert(sizeof(U_FLOAT) == sizeof(std::uint32_t));
  return static_cast<double>(std::bit_cast<float>(rec.U32(at)));
}

std::array<double, 6> ReadXform(const TMetaBytes& rec, std::int64_t at) {
  return {ReadFloat(rec, at + offsetof(U_XFORM, eM11)), ReadFloat(rec, at + offsetof(U_XFORM, eM12)),
          ReadFloat(rec, at + offsetof(U_XFORM, eM21)), ReadFloat(rec, at + offsetof(U_XFORM, eM22)),
          ReadFloat(rec, at + offsetof(U_XFORM, eDx)),  ReadFloat(rec, at + offsetof(U_XFORM, eDy))};
}
