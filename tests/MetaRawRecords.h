// Metafile records written word by word, for records the writers have no function for.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// A raw record for a writer to append, which frees it: the words after the size. A WMF record's words
// are 16-bit, the function first; an EMF record's are 32-bit, its type first.
inline char* RawRecord(const std::vector<std::uint32_t>& words, bool wmf) {
  QByteArray record;
  const auto put16 = [&](std::uint32_t v) {
    record.append(static_cast<char>(v & 0xFF)).append(static_cast<char>((v >> 8) & 0xFF));
  };
  const auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  if (wmf) {
    put32(static_cast<std::uint32_t>(2 + words.size()));  // size in 16-bit words
    for (std::uint32_t w : words) put16(w);
  } else {
    put32(words.front());
    put32(static_cast<std::uint32_t>(4 * (words.size() + 1)));
    for (std::size_t i = 1; i < words.size(); ++i) put32(words[i]);
  }
  char* out = static_cast<char*>(std::malloc(static_cast<std::size_t>(record.size())));
  std::memcpy(out, record.constData(), static_cast<std::size_t>(record.size()));
  return out;
}
