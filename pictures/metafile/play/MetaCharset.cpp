// Character sets and their code pages, and the decoding of ANSI text with them.
#include "metafile/play/MetaCharset.h"

#include <uemf.h>

#include <QStringDecoder>

namespace {

// A character set of later Windows versions that libuemf does not name.
constexpr std::uint8_t kVietnameseCharset = 163;

}  // namespace

const char* MetaCharsetCodePage(std::uint8_t charset) {
  switch (charset) {
    case U_SHIFTJIS_CHARSET:
      return "Shift_JIS";
    case U_HANGEUL_CHARSET:
      return "windows-949";
    case U_JOHAB_CHARSET:
      return "windows-1361";
    case U_GB2312_CHARSET:
      return "GBK";
    case U_CHINESEBIG5_CHARSET:
      return "Big5";
    case U_GREEK_CHARSET:
      return "windows-1253";
    case U_TURKISH_CHARSET:
      return "windows-1254";
    case kVietnameseCharset:
      return "windows-1258";
    case U_HEBREW_CHARSET:
      return "windows-1255";
    case U_ARABIC_CHARSET:
      return "windows-1256";
    case U_BALTIC_CHARSET:
      return "windows-1257";
    case U_RUSSIAN_CHARSET:
      return "windows-1251";
    case U_THAI_CHARSET:
      return "windows-874";
    case U_EE_CHARSET:
      return "windows-1250";
    default:
      return nullptr;
  }
}

QString DecodeMetaCodePage(const QByteArray& bytes, const char* codePage,
                           std::vector<std::int32_t>* advances) {
  QStringDecoder decoder(codePage);
  if (!decoder.isValid()) return {};
  const bool perByte = advances && static_cast<qsizetype>(advances->size()) >= bytes.size();
  if (!perByte) {
    if (advances) advances->clear();
    return decoder.decode(bytes);
  }
  // Byte by byte, so that each character collects the advances of the bytes that made it.
  QString text;
  std::vector<std::int32_t> merged;
  std::int64_t pending = 0;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    pending += (*advances)[static_cast<std::size_t>(i)];
    const QString part = decoder.decode(bytes.mid(i, 1));
    for (qsizetype k = 0; k < part.size(); ++k) {
      merged.push_back(k == 0 ? static_cast<std::int32_t>(pending) : 0);
      pending = 0;
    }
    text += part;
  }
  *advances = std::move(merged);
  return text;
}
