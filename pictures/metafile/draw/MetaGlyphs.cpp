// Glyph indices of a record checked against the font file, or carried over to a substitute by
// character.
#include "metafile/draw/MetaGlyphs.h"

#include <QByteArray>
#include <QRawFont>
#include <QString>

#include "metafile/draw/MetaMacGlyphOrder.h"

namespace {

// The number of glyphs in the font file, from its maximum profile; 0 when it has none.
int GlyphCount(const QRawFont& font) {
  const QByteArray maxp = font.fontTable("maxp");
  if (maxp.size() < 6) return 0;
  return (static_cast<std::uint8_t>(maxp[4]) << 8) | static_cast<std::uint8_t>(maxp[5]);
}

// The substitute's glyph for the glyph at index in the standard Macintosh order: its missing glyph
// beyond the order, where the original draws some letter no table here can tell.
quint32 SubstituteGlyph(const QRawFont& font, std::uint16_t index) {
  if (index == 0 || index >= kMacStandardGlyphs) return 0;
  const char16_t character = MacStandardGlyphCharacter(index);
  if (character == 0) return kMetaNoGlyph;
  return font.glyphIndexesForString(QString(QChar(character))).value(0, 0);
}

}  // namespace

QList<quint32> MetaFontGlyphs(const QRawFont& font, const std::vector<std::uint16_t>& glyphs,
                              bool substitute) {
  const int count = substitute ? 0 : GlyphCount(font);
  QList<quint32> indexes;
  indexes.reserve(static_cast<qsizetype>(glyphs.size()));
  for (const std::uint16_t glyph : glyphs)
    indexes.push_back(substitute ? SubstituteGlyph(font, glyph) : glyph < count ? glyph : 0);
  return indexes;
}
