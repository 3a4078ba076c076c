// Bounds-checked little-endian reads of metafile bytes.
#include "metafile/model/MetaBytes.h"

#include "Graphic.h"

const char* TMetaBytes::Data(std::int64_t offset, std::int64_t count) const {
  if (!Has(offset, count)) throw EInvalidGraphic("Metafile record is shorter than its content");
  return data_ + offset;
}

TMetaBytes TMetaBytes::Sub(std::int64_t offset, std::int64_t count) const {
  return TMetaBytes(Data(offset, count), count);
}

std::uint16_t TMetaBytes::U16(std::int64_t offset) const {
  const auto* p = reinterpret_cast<const unsigned char*>(Data(offset, 2));
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t TMetaBytes::U32(std::int64_t offset) const {
  const auto* p = reinterpret_cast<const unsigned char*>(Data(offset, 4));
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
