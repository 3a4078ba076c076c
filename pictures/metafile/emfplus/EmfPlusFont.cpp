#include "metafile/emfplus/EmfPlusFont.h"

#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/model/MetaBytes.h"

namespace {

// The fields of a font object: its graphics version, then these.
constexpr std::int64_t kEmSize = 4, kSizeUnit = 8, kStyle = 12, kFamilyLength = 20, kFamily = 24;
// GDI+ writes family names of 32 characters at most; a length far beyond that names no family.
constexpr std::int64_t kMaxFamilyLength = 256;

QString ReadUtf16(const TMetaBytes& b, std::int64_t at, std::int64_t chars) {
  if (chars < 0 || !b.Has(at, 2 * chars)) return {};
  QString text(static_cast<qsizetype>(chars), Qt::Uninitialized);
  for (std::int64_t i = 0; i < chars; ++i) text[static_cast<qsizetype>(i)] = QChar(b.U16(at + 2 * i));
  return text;
}

}  // namespace

std::optional<TEmfPlusFont> TEmfPlusFont::Read(const TMetaBytes& b) {
  TEmfPlusFont font;
  font.emSize = EmfPlusObjectValue(EmfPlusFloat(b, kEmSize));
  font.unit = b.I32(kSizeUnit);
  font.style = b.I32(kStyle);
  const std::int64_t length = b.U32(kFamilyLength);
  if (length > kMaxFamilyLength || font.emSize <= 0) return std::nullopt;
  font.family = ReadUtf16(b, kFamily, length);
  return font;
}
