#include "Huffman1DWriter.h"

#include <algorithm>
#include <vector>

#include "bitmap/Huffman1DCodes.h"

namespace {

class TBitWriter {
 public:
  void Put(unsigned bits, int length) {
    for (int i = length - 1; i >= 0; --i) {
      if (used_ % 8 == 0) out_.append('\0');
      if ((bits >> i) & 1u) out_[out_.size() - 1] = static_cast<char>(out_.back() | (0x80 >> (used_ % 8)));
      ++used_;
    }
  }
  QByteArray Bytes() const { return out_; }

 private:
  QByteArray out_;
  long long used_ = 0;
};

void PutCode(TBitWriter& writer, const THuffmanCode& code) {
  writer.Put(code.bits, code.length);
}

// Make-up codes for the multiples of 64 (the longest first), then the terminating code.
void PutRun(TBitWriter& writer, int run, bool black) {
  const auto& codes = black ? kBlackCodes : kWhiteCodes;
  while (run >= 64) {
    const int makeUp = std::min(run, 2560) / 64 * 64;
    if (makeUp <= 1728)
      PutCode(writer, codes[63 + makeUp / 64]);
    else
      PutCode(writer, kExtendedMakeUpCodes[(makeUp - 1792) / 64]);
    run -= makeUp;
  }
  PutCode(writer, codes[run]);
}

}  // namespace

QByteArray EncodeHuffman1D(const QImage& indexed, bool endOfLines) {
  const QImage image = indexed.convertToFormat(QImage::Format_Indexed8);
  TBitWriter writer;
  for (int y = image.height() - 1; y >= 0; --y) {
    const uchar* line = image.constScanLine(y);
    bool black = false;
    for (int x = 0; x < image.width();) {
      int end = x;
      while (end < image.width() && (line[end] != 0) == black) ++end;
      PutRun(writer, end - x, black);
      x = end;
      black = !black;
    }
    if (endOfLines) writer.Put(1, kEndOfLineZeros + 1);
  }
  return writer.Bytes();
}
