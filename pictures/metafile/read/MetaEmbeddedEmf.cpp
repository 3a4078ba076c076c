#include "metafile/read/MetaEmbeddedEmf.h"

namespace {

constexpr std::uint16_t kMfComment = 0x000F;
constexpr std::uint32_t kWmfCommentId = 0x43464D57;  // "WMFC"
constexpr std::uint32_t kEmfChunk = 1;
constexpr std::uint32_t kChunkVersion = 0x00010000;
constexpr std::int64_t kChunkHeader = 44;  // record head, escape head and the chunk fields
constexpr std::int64_t kEscapeHead = 10;   // record head, escape function and byte count

}  // namespace

void TWmfEmbeddedEmf::Add(const TMetaBytes& rec) {
  if (broken_ || !rec.Has(0, kChunkHeader) || rec.U16(6) != kMfComment || rec.U32(10) != kWmfCommentId ||
      rec.U32(14) != kEmfChunk)
    return;
  const std::int64_t byteCount = rec.U16(8), chunks = rec.U32(28), current = rec.U32(32),
                     remaining = rec.U32(36), total = rec.U32(40);
  const bool fits = rec.U32(18) == kChunkVersion && current <= byteCount - (kChunkHeader - kEscapeHead) &&
                    rec.Has(kChunkHeader, current);
  if (!fits) {
    broken_ = true;
    return;
  }
  if (total_ < 0) {
    total_ = total;
    chunks_ = static_cast<std::uint32_t>(chunks);
  }
  const std::int64_t received = data_.size() + current;
  if (total != total_ || chunks != chunks_ || seen_ >= chunks_ || received > total_ ||
      remaining != total_ - received) {
    broken_ = true;
    data_.clear();
    return;
  }
  data_.append(rec.Data(kChunkHeader, current), static_cast<qsizetype>(current));
  ++seen_;
}

QByteArray TWmfEmbeddedEmf::Complete() const {
  if (broken_ || total_ <= 0 || seen_ != chunks_ || data_.size() != total_) return QByteArray();
  return data_;
}
