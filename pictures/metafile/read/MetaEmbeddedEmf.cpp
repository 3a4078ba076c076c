// The EMF a WMF carries in its comment escapes, gathered chunk by chunk.
#include "metafile/read/MetaEmbeddedEmf.h"

#include <uwmf.h>

#include <cstddef>

namespace {

// META_ESCAPE_ENHANCED_METAFILE, which libuemf has no struct for: the escape's head, then the fields
// of one chunk of the EMF. Its 32-bit fields are not aligned, so they are kept as pairs of words.
struct TEnhancedMetafileEscape {
  U_METARECORD head;
  std::uint16_t escapeFunction;  // MFCOMMENT
  std::uint16_t byteCount;       // of what follows
  std::uint16_t commentIdentifier[2];
  std::uint16_t commentType[2];
  std::uint16_t version[2];
  std::uint16_t checksum;
  std::uint16_t flags[2];
  std::uint16_t commentRecordCount[2];
  std::uint16_t currentRecordSize[2];
  std::uint16_t remainingBytes[2];
  std::uint16_t enhancedMetafileDataSize[2];
};

using R = TEnhancedMetafileEscape;
constexpr std::uint32_t kWmfCommentId = 0x43464D57;  // "WMFC"
constexpr std::uint32_t kEmfChunk = 1;
constexpr std::uint32_t kChunkVersion = 0x00010000;
// The chunk's data follows its fields; byteCount counts from the comment identifier on.
constexpr std::int64_t kChunkHeader = sizeof(R);
constexpr std::int64_t kEscapeHead = offsetof(R, commentIdentifier);

}  // namespace

void TWmfEmbeddedEmf::Add(const TMetaBytes& rec) {
  if (broken_ || !rec.Has(0, kChunkHeader) ||
      rec.U16(offsetof(R, escapeFunction)) != U_MFE_META_ESCAPE_ENHANCED_METAFILE ||
      rec.U32(offsetof(R, commentIdentifier)) != kWmfCommentId ||
      rec.U32(offsetof(R, commentType)) != kEmfChunk)
    return;
  const std::int64_t byteCount = rec.U16(offsetof(R, byteCount)),
                     chunks = rec.U32(offsetof(R, commentRecordCount)),
                     current = rec.U32(offsetof(R, currentRecordSize)),
                     remaining = rec.U32(offsetof(R, remainingBytes)),
                     total = rec.U32(offsetof(R, enhancedMetafileDataSize));
  const bool fits = rec.U32(offsetof(R, version)) == kChunkVersion &&
                    current <= byteCount - (kChunkHeader - kEscapeHead) && rec.Has(kChunkHeader, current);
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
