// Glyph indices of a record as indices into the font file that draws them.
#pragma once

#include <QList>
#include <cstdint>
#include <vector>

class QRawFont;

// Glyph indices a record names, as indices into the font file that draws them: an index beyond the
// file's glyphs becomes its missing glyph (index 0), as the record's own font would have no glyph there
// either.
QList<quint32> MetaFontGlyphs(const QRawFont& font, const std::vector<std::uint16_t>& glyphs);
