// A bounds-checked little-endian view of metafile bytes, the one way readers take values from a file.
#pragma once

#include <QByteArray>
#include <cstdint>

// A bounds-checked little-endian view of a metafile's bytes or of one record in them. Every read
// outside the view throws EInvalidGraphic, so a parser built on it cannot read past a record's end
// whatever the sizes in the file claim.
class TMetaBytes {
 public:
  explicit TMetaBytes(const QByteArray& bytes) : data_(bytes.constData()), size_(bytes.size()) {}

  std::int64_t Size() const { return size_; }
  // True when count bytes from offset lie inside the view; offset and count may be any values.
  bool Has(std::int64_t offset, std::int64_t count) const {
    return offset >= 0 && count >= 0 && offset <= size_ && count <= size_ - offset;
  }
  // The part of this view from offset, count bytes long.
  TMetaBytes Sub(std::int64_t offset, std::int64_t count) const;
  const char* Data(std::int64_t offset, std::int64_t count) const;

  std::uint8_t U8(std::int64_t offset) const { return static_cast<std::uint8_t>(*Data(offset, 1)); }
  std::uint16_t U16(std::int64_t offset) const;
  std::int16_t I16(std::int64_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
  std::uint32_t U32(std::int64_t offset) const;
  std::int32_t I32(std::int64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

 private:
  TMetaBytes(const char* data, std::int64_t size) : data_(data), size_(size) {}

  const char* data_;
  std::int64_t size_;
};
