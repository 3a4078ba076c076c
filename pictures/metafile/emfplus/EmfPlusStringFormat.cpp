#include "metafile/emfplus/EmfPlusStringFormat.h"

#include "metafile/model/MetaBytes.h"

namespace {

// The fields of a string format object: its graphics version, then these.
constexpr std::int64_t kFlags = 4, kAlignment = 12, kLineAlignment = 16;

}  // namespace

TEmfPlusStringFormat TEmfPlusStringFormat::Read(const TMetaBytes& b) {
  TEmfPlusStringFormat format;
  format.flags = b.U32(kFlags);
  format.alignment = b.I32(kAlignment);
  format.lineAlignment = b.I32(kLineAlignment);
  return format;
}
