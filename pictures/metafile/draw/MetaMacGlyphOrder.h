// The characters of the standard Macintosh glyph order, which older TrueType fonts number glyphs by.
#pragma once

#include <cstdint>

// The standard Macintosh order names the first 258 glyphs of a TrueType font that follows it (its
// 'post' table gives their names by these numbers); the Windows core fonts number their glyphs so.
constexpr int kMacStandardGlyphs = 258;

// The character the glyph at index in the standard order draws; 0 for .notdef, the null and
// non-marking return glyphs, and for indices beyond the order.
char16_t MacStandardGlyphCharacter(int index);
