// The text of the play list: logical fonts and text runs as the records give them.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

// A logical font as a metafile creates it; sizes are in logical units.
struct TMetaFont {
  std::int32_t height = 0;      // < 0: character height, > 0: cell height, 0: a default size
  std::int32_t width = 0;       // average character width; 0 keeps the face's own proportions
  std::int32_t escapement = 0;  // tenths of a degree, counter-clockwise
  std::int32_t weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::uint8_t charset = 0;
  QString face;
};

// One text output record: where, what, and the optional rectangle and advances.
struct TMetaTextRun {
  QPoint reference;
  QString text;     // the wide forms' text
  QByteArray ansi;  // the ANSI forms' text, decoded with the selected font's charset when drawn
  // ETO_GLYPH_INDEX: glyphs of the selected font by their index in its font file, in place of text.
  std::vector<std::uint16_t> glyphs;
  bool isAnsi = false;
  std::vector<std::int32_t> dx;  // advances in logical units, one a character; empty when absent
  std::uint32_t options = 0;     // ETO_*
  QRectF rect;                   // the opaque/clip rectangle, when options ask for one
  bool hasRect = false;
  // ETO_PDY: each character's displacement along the font's vertical, up positive; empty when absent.
  std::vector<std::int32_t> dy;
};

// Font sizes beyond this many logical units are capped.
inline constexpr std::int32_t kMaxMetaFontUnits = 1'000'000;
