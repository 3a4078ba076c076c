// Character sets and their code pages, and the decoding of ANSI text with them.
#include "metafile/play/MetaCharset.h"

#include <QStringDecoder>

const char* MetaCharsetCodePage(std::uint8_t charset) {
  switch (charset) {
    case 128:
      return "Shift_JIS";
    case 129:
      return "windows-949";
    case 130:
      return "windows-1361";  // Johab
    case 134:
      return "GBK";
    case 136:
      return "Big5";
    case 161:
      return "windows-1253";
    case 162:
      return "windows-1254";
    case 163:
      return "windows-1258";
    case 177:
      return "windows-1255";
    case 178:
      return "windows-1256";
    case 186:
      return "windows-1257";
    case 204:
      return "windows-1251";
    case 222:
      return "windows-874";
    case 238:
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
