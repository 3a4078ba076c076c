// Glyph indices of a record checked against the font file's glyph count.
#include "metafile/draw/MetaGlyphs.h"

#include <QByteArray>
#include <QRawFont>

namespace {

// The number of glyphs in the font file, from its maximum profile; 0 when it has none.
int GlyphCount(const QRawFont& font) {
  const QByteArray maxp = font.fontTable("maxp");
  if (maxp.size() < 6) return 0;
  return (static_cast<std::uint8_t>(maxp[4]) << 8) | static_cast<std::uint8_t>(maxp[5]);
}

}  // namespace

QList<quint32> MetaFontGlyphs(const QRawFont& font, const std::vector<std::uint16_t>& glyphs) {
  const int count = GlyphCount(font);
  QList<quint32> indexes;
  indexes.reserve(static_cast<qsizetype>(glyphs.size()));
  for (const std::uint16_t glyph : glyphs) indexes.push_back(glyph < count ? glyph : 0);
  return indexes;
}
