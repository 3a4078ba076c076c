#include "metafile/emfplus/EmfPlusStringFormat.h"

#include <algorithm>

#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/model/MetaBytes.h"

namespace {

// The fields of a string format object: its graphics version, then these, with the language, digit
// substitution, first tab offset and hotkey prefix between them.
constexpr std::int64_t kFlags = 4, kAlignment = 12, kLineAlignment = 16, kLeadingMargin = 36,
                       kTrailingMargin = 40;
// Margins beyond this many ems are taken as this.
constexpr double kMaxMargin = 100;

double Margin(const TMetaBytes& b, std::int64_t at) {
  if (!b.Has(at, 4)) return 0;
  const double margin = EmfPlusObjectValue(EmfPlusFloat(b, at));
  return margin > 0 ? std::min(margin, kMaxMargin) : 0;
}

}  // namespace

TEmfPlusStringFormat TEmfPlusStringFormat::Read(const TMetaBytes& b) {
  TEmfPlusStringFormat format;
  format.flags = b.U32(kFlags);
  format.alignment = b.I32(kAlignment);
  format.lineAlignment = b.I32(kLineAlignment);
  format.leadingMargin = Margin(b, kLeadingMargin);
  format.trailingMargin = Margin(b, kTrailingMargin);
  return format;
}
