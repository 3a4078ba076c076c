// The CCITT one-dimensional modified Huffman decoder: a code lookup table, runs and ends of line.
#include "bitmap/Huffman1D.h"

#include <algorithm>
#include <array>

#include "bitmap/Huffman1DCodes.h"

namespace {

constexpr int kLongestCode = 13;

// Every 13-bit window mapped to the code it starts with: its length and run, length 0 for none.
struct TLookup {
  std::array<std::uint8_t, 1 << kLongestCode> length{};
  std::array<std::uint16_t, 1 << kLongestCode> run{};
};

template <std::size_t N>
constexpr void Enter(TLookup& lookup, const std::array<THuffmanCode, N>& codes) {
  for (const THuffmanCode& code : codes) {
    const int free = kLongestCode - code.length;
    for (int tail = 0; tail < (1 << free); ++tail) {
      const int window = (code.bits << free) | tail;
      lookup.length[window] = code.length;
      lookup.run[window] = code.run;
    }
  }
}

constexpr TLookup MakeLookup(bool black) {
  TLookup lookup;
  if (black)
    Enter(lookup, kBlackCodes);
  else
    Enter(lookup, kWhiteCodes);
  Enter(lookup, kExtendedMakeUpCodes);
  return lookup;
}

const TLookup& Lookup(int colour) {
  static constexpr TLookup kWhite = MakeLookup(false);
  static constexpr TLookup kBlack = MakeLookup(true);
  return colour == 0 ? kWhite : kBlack;
}

class TBitReader {
 public:
  explicit TBitReader(QByteArrayView data) : data_(data), bits_(static_cast<long long>(data.size()) * 8) {}

  long long Left() const { return bits_ - at_; }
  // The next count bits (at most 16), zeros past the end.
  int Peek(int count) const {
    int value = 0;
    for (int i = 0; i < count; ++i) value = (value << 1) | Bit(at_ + i);
    return value;
  }
  void Skip(long long count) { at_ = std::min(bits_, at_ + count); }

  // Consumes fill zeros and one end-of-line code if they come next.
  bool SkipEndOfLine() {
    long long zeros = 0;
    while (at_ + zeros < bits_ && Bit(at_ + zeros) == 0) ++zeros;
    if (zeros < kEndOfLineZeros || at_ + zeros >= bits_) return false;
    at_ += zeros + 1;
    return true;
  }

 private:
  int Bit(long long at) const {
    if (at >= bits_) return 0;
    return (static_cast<unsigned char>(data_[static_cast<qsizetype>(at / 8)]) >> (7 - at % 8)) & 1;
  }

  QByteArrayView data_;
  long long bits_;
  long long at_ = 0;
};

// One run's length (make-up codes summed with their terminating code), or -1 where no code fits.
long long ReadRun(TBitReader& reader, int colour) {
  const TLookup& lookup = Lookup(colour);
  long long run = 0;
  for (;;) {
    if (reader.Left() <= 0) return -1;
    const int window = reader.Peek(kLongestCode);
    const int length = lookup.length[window];
    if (length == 0 || length > reader.Left()) return -1;
    reader.Skip(length);
    run += lookup.run[window];
    if (lookup.run[window] < 64) return run;
  }
}

}  // namespace

void DecodeHuffman1D(QByteArrayView data, long long width, long long height,
                     const std::function<void(long long, long long, long long, int)>& fill) {
  TBitReader reader(data);
  for (long long row = 0; row < height; ++row) {
    while (reader.SkipEndOfLine()) {
    }
    long long x = 0;
    int colour = 0;
    while (x < width) {
      const long long run = ReadRun(reader, colour);
      // An end of line before the row is full leaves the rest of it white; anything else ends all.
      if (run < 0) {
        if (reader.SkipEndOfLine()) break;
        return;
      }
      const long long to = std::min(width, x + run);
      if (to > x) fill(row, x, to, colour);
      x = to;
      colour ^= 1;
    }
  }
}
