// Text in the Symbol font: its codes, and the characters they show.
#pragma once

#include <QString>

class QFont;

// Text in the Symbol font. Its glyphs are Greek letters and mathematical signs at the codes of ASCII
// letters (or at U+F020-F0FF, where Windows puts a symbol font's glyphs). A font with Symbol's own
// encoding (Symbol itself, or URW's Standard Symbols PS) draws those codes as they are; a Unicode font
// standing in for it needs the Unicode characters they show.

bool IsSymbolFontFace(const QString& face);

// The characters the Symbol font shows for the text's codes; codes it has no glyph for are kept.
QString SymbolFontText(QString text);

// The text to draw with the font that stands in for Symbol: its codes for a font in Symbol's encoding,
// else the characters they show.
QString SymbolFontTextFor(const QFont& font, QString text);
