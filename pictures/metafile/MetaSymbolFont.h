#pragma once

#include <QString>

// Text in the Symbol font. Its glyphs are Greek letters and mathematical signs at the codes of ASCII
// letters (or at U+F020-F0FF, where Windows puts a symbol font's glyphs). The fonts that stand in for it
// here are Unicode fonts, so its text is turned into the Unicode characters it shows.

bool IsSymbolFontFace(const QString& face);

// The characters the Symbol font shows for the text's codes; codes it has no glyph for are kept.
QString SymbolFontText(QString text);
