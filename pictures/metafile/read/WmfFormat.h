// The heads of a WMF file that libuemf does not name: the key that opens a placeable WMF, and the sizes of
// the placeable header, the standard header and a record's head.
#pragma once

#include <uwmf.h>

#include <cstdint>

// META_PLACEABLE's Key, the first four bytes of a placeable WMF.
inline constexpr std::uint32_t kPlaceableWmfKey = 0x9AC6CDD7u;
// The placeable header as it lies in the file (U_WMRPLACEABLE is padded beyond it).
inline constexpr std::int64_t kPlaceableWmfSize = U_SIZE_WMRPLACEABLE;
// The standard header (META_HEADER) that follows it, or opens a plain WMF.
inline constexpr std::int64_t kWmfHeaderSize = U_SIZE_WMRHEADER;
// A record's size and type, before its parameters.
inline constexpr std::int64_t kWmfRecordHeadSize = U_SIZE_METARECORD;
