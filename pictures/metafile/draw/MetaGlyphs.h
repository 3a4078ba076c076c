// Glyph indices of a record as indices into the font file that draws them.
#pragma once

#include <QList>
#include <cstdint>
#include <vector>

class QRawFont;

// Stands for a glyph that draws nothing (the null and non-marking return glyphs of the standard
// Macintosh order): the advance stays.
constexpr quint32 kMetaNoGlyph = 0xFFFFFFFF;

// Glyph indices a record names, as indices into the font file that draws them.
//
// When that file is the record's own font, an index beyond its glyphs becomes its missing glyph
// (index 0), as the record's own font would have no glyph there either. When it is a substitute, the
// indices were meant for another file: those below 258 are taken as the standard Macintosh order,
// which the Windows core fonts follow, and become the substitute's glyphs of the same characters
// (kMetaNoGlyph for those that draw nothing); the others name letters no table here can tell, and
// become the substitute's missing glyph, which keeps ink where the original draws a letter.
QList<quint32> MetaFontGlyphs(const QRawFont& font, const std::vector<std::uint16_t>& glyphs,
                              bool substitute = false);
