// The ANSI text of a font's character set (LOGFONT lfCharSet) decoded by its code page.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// The ANSI text of a font's charset (LOGFONT lfCharSet) as Unicode.

// The code page name of a charset for QStringDecoder; nullptr for the ANSI, default and symbol
// charsets and for charsets that name no code page.
const char* MetaCharsetCodePage(std::uint8_t charset);

// Decodes the bytes in the charset's code page. Advances given one a byte (as ExtTextOutA's are) become
// one a character: a character of several bytes advances by all of theirs. Returns an empty string when
// the code page is not available here.
QString DecodeMetaCodePage(const QByteArray& bytes, const char* codePage,
                           std::vector<std::int32_t>* advances);
