#include "LcdFrame.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {
// The glyphs of a whole display as text, '-' for the minus sign.
std::string Shown(int value, int numDigits) {
  std::string text;
  for (int position = 0; position < numDigits; ++position) {
    const int glyph = DisplayGlyph(value, numDigits, position);
    text += glyph == kMinusGlyph ? '-' : static_cast<char>('0' + glyph);
  }
  return text;
}
}  // namespace

TEST(LcdFrame, TextHasLeadingZerosAndKeepsTheMostSignificantCharacters) {
  EXPECT_EQ(Shown(1234, 3), "123");
  EXPECT_EQ(Shown(-1234, 3), "-12");
  EXPECT_EQ(Shown(-7, 1), "-");
  EXPECT_EQ(Shown(INT_MIN, 11), "-2147483648");
  EXPECT_EQ(Shown(INT_MAX, 12), "002147483647");
  EXPECT_EQ(DisplayGlyph(5, 1000000, 999999), 5);
  EXPECT_EQ(DisplayGlyph(5, 3, -1), 0);
  EXPECT_EQ(DisplayGlyph(5, 3, 7), 0);
}
