#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <cmath>

#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "WmfWriter.h"
#include "metafile/Metafile.h"
#include "metafile/play/MetaSymbolFont.h"
#include "metafile/play/MetaTextPlayer.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
constexpr int kTaRight = 2, kTaCenter = 6, kTaBaseline = 24;

TMetaDrawing TextDrawing(const TMetaText& text) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 200, 200};
  drawing.texts.push_back(text);
  return drawing;
}

TMetaText RedText(std::string letters, QPoint at) {
  TMetaText text;
  text.text = std::move(letters);
  text.at = at;
  text.colour = kRed;
  return text;
}

QImage Render(const QByteArray& bytes) {
  return RenderMetafile(bytes, 200, kWhite);
}

// The bounding box of the pixels close to the colour; empty when there are none.
QRect InkBox(const QImage& image, const QColor& colour) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
              std::abs(c.blue() - colour.blue()) <
          120)
        box = box.united(QRect(x, y, 1, 1));
    }
  return box;
}

std::vector<QByteArray> BothForms(const TMetaDrawing& drawing) {
  return {WriteWmf(drawing), WriteEmf(drawing)};
}

TEST(MetaText, TextAppearsBelowAndRightOfATopLeftReference) {
  for (const QByteArray& bytes : BothForms(TextDrawing(RedText("HHHH", {40, 60})))) {
    const QRect ink = InkBox(Render(bytes), kRed);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 40);
    EXPECT_LE(ink.left(), 44);
    EXPECT_GE(ink.top(), 60);
    // A 20-unit character height: capitals some 14 units tall, four of them some 50 units wide.
    EXPECT_NEAR(ink.height(), 14, 3);
    EXPECT_NEAR(ink.width(), 52, 8);
  }
}

TEST(MetaText, AlignmentMovesTheTextAroundTheReference) {
  TMetaText centred = RedText("HHHH", {100, 100});
  centred.align = kTaCenter | kTaBaseline;
  TMetaText right = RedText("HHHH", {100, 100});
  right.align = kTaRight | kTaBaseline;
  for (const QByteArray& bytes : BothForms(TextDrawing(centred))) {
    const QRect ink = InkBox(Render(bytes), kRed);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 100, 3);
    EXPECT_NEAR(ink.bottom(), 99, 2);
  }
  for (const QByteArray& bytes : BothForms(TextDrawing(right))) {
    const QRect ink = InkBox(Render(bytes), kRed);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.right(), 98, 3);
    EXPECT_LT(ink.left(), 60);
  }
}

TEST(MetaText, PositiveHeightIsTheCellAndSmallerThanTheSameCharacterHeight) {
  TMetaText cell = RedText("HHHH", {20, 20});
  cell.height = 40;
  TMetaText character = RedText("HHHH", {20, 20});
  character.height = -40;
  const QRect cellInk = InkBox(Render(WriteEmf(TextDrawing(cell))), kRed);
  const QRect characterInk = InkBox(Render(WriteEmf(TextDrawing(character))), kRed);
  EXPECT_LT(cellInk.height(), characterInk.height());
  EXPECT_GT(cellInk.height(), characterInk.height() * 3 / 4);
}

TEST(MetaText, OpaqueBackgroundFillsTheCellTransparentDoesNot) {
  TMetaText text = RedText("HH", {50, 50});
  text.background = kBlue;
  text.opaque = true;
  for (const QByteArray& bytes : BothForms(TextDrawing(text))) {
    const QImage image = Render(bytes);
    const QRect back = InkBox(image, kBlue), ink = InkBox(image, kRed);
    ASSERT_FALSE(back.isEmpty());
    EXPECT_TRUE(back.contains(ink));
    EXPECT_NEAR(back.height(), 23, 3);  // the whole cell, ascent and descent
  }
  text.opaque = false;
  EXPECT_TRUE(InkBox(Render(WriteWmf(TextDrawing(text))), kBlue).isEmpty());
}

TEST(MetaText, EscapementTurnsTheTextCounterClockwise) {
  TMetaText text = RedText("HHHHHH", {100, 150});
  text.escapement = 900;
  for (const QByteArray& bytes : BothForms(TextDrawing(text))) {
    const QRect ink = InkBox(Render(bytes), kRed);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_LE(ink.bottom(), 152);  // runs upwards from the reference
    EXPECT_LT(ink.top(), 100);
  }
}

TEST(MetaText, AdvancesSpreadTheCharacters) {
  TMetaText text = RedText("IIII", {20, 20});
  text.dx = {40, 40, 40, 40};
  for (const QByteArray& bytes : BothForms(TextDrawing(text))) {
    const QRect ink = InkBox(Render(bytes), kRed);
    EXPECT_NEAR(ink.width(), 125, 8);
  }
}

TEST(MetaText, AnsiFormsAndPlainTextOutDraw) {
  TMetaText ansi = RedText("Abc", {20, 20});
  ansi.wide = false;
  ansi.plainTextOut = true;
  for (const QByteArray& bytes : BothForms(TextDrawing(ansi)))
    EXPECT_FALSE(InkBox(Render(bytes), kRed).isEmpty());
}

TEST(MetaText, AnsiTextIsDecodedAsWindows1252) {
  EXPECT_EQ(DecodeMetaAnsi(QByteArray("\x80\x93\xe9", 3), 0), QString::fromUtf8("\u20ac\u201c\u00e9"));
  // Other charsets take their code page: Cyrillic, Greek, Japanese; unknown ones fall back to Latin-1.
  EXPECT_EQ(DecodeMetaAnsi(QByteArray("\xe9", 1), 204), QString::fromUtf8("\u0439"));
  EXPECT_EQ(DecodeMetaAnsi(QByteArray("\xe1", 1), 161), QString::fromUtf8("\u03b1"));
  EXPECT_EQ(DecodeMetaAnsi(QByteArray("\xe9", 1), 77), QString::fromUtf8("\u00e9"));
  // Shift_JIS: two bytes make one character, which advances by both bytes' advances.
  std::vector<std::int32_t> advances = {10, 0, 7};
  EXPECT_EQ(DecodeMetaAnsi(QByteArray("\x82\xa0"
                                      "a",
                                      3),
                           128, &advances),
            QString::fromUtf8("\u3042a"));
  EXPECT_EQ(advances, (std::vector<std::int32_t>{10, 7}));
}

TEST(MetaText, SymbolFontTextBecomesTheLettersItShows) {
  EXPECT_TRUE(IsSymbolFontFace(QStringLiteral("SYMBOL")));
  EXPECT_FALSE(IsSymbolFontFace(QStringLiteral("Symbol Sans")));
  // Letters and their private-use codes give Greek; digits and unmapped codes stay.
  EXPECT_EQ(SymbolFontText(QString::fromUtf8("abG\uf062\uf0b3\uf0302!")),
            QString::fromUtf8("\u03b1\u03b2\u0393\u03b2\u2265"
                              "02!"));
  EXPECT_EQ(SymbolFontText(QString::fromUtf8("\u00a5\u00f2")), QString::fromUtf8("\u221e\u222b"));
  EXPECT_EQ(SymbolFontText(QString::fromUtf8("\u4e2d")), QString::fromUtf8("\u4e2d"));
}

// A font in Symbol's own encoding draws the codes as they are; a Unicode font gets the letters.
TEST(MetaText, SymbolTextKeepsItsCodesForAFontInSymbolsEncoding) {
  const QFont unicode(QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(SymbolFontTextFor(unicode, QStringLiteral("D")), QString::fromUtf8("\u0394"));
  const QFont symbols(QStringLiteral("Standard Symbols PS"));
  if (!QRawFont::fromFont(symbols).familyName().startsWith(QLatin1String("Standard Symbols PS")))
    GTEST_SKIP() << "URW's Standard Symbols PS is not installed";
  EXPECT_EQ(SymbolFontTextFor(symbols, QString::fromUtf8("D\uf061")), QStringLiteral("Da"));
}

// The indices of the glyphs that draw the letters in the face, as the font file numbers them.
std::vector<std::uint16_t> GlyphsOf(const QString& face, const QString& letters) {
  QFont font(face);
  font.setPixelSize(20);
  std::vector<std::uint16_t> glyphs;
  for (const quint32 glyph : QRawFont::fromFont(font).glyphIndexesForString(letters))
    glyphs.push_back(static_cast<std::uint16_t>(glyph));
  return glyphs;
}

TEST(MetaText, GlyphIndicesDrawTheFontsGlyphs) {
  TMetaText letters = RedText("HHHH", {20, 20});
  // The indices are those of the font file installed here: the record names that font.
  letters.face = "Liberation Sans";
  letters.dx = {30, 30, 30, 30};
  TMetaText glyphs = letters;
  glyphs.text.clear();
  glyphs.glyphs = GlyphsOf(QString::fromStdString(glyphs.face), QStringLiteral("HHHH"));
  ASSERT_EQ(glyphs.glyphs.size(), 4u);
  ASSERT_NE(glyphs.glyphs[0], 0);
  const QRect byLetter = InkBox(Render(WriteEmf(TextDrawing(letters))), kRed);
  const QRect byGlyph = InkBox(Render(WriteEmf(TextDrawing(glyphs))), kRed);
  ASSERT_FALSE(byGlyph.isEmpty());
  EXPECT_NEAR(byGlyph.left(), byLetter.left(), 2);
  EXPECT_NEAR(byGlyph.width(), byLetter.width(), 2);
  EXPECT_NEAR(byGlyph.top(), byLetter.top(), 2);
  EXPECT_NEAR(byGlyph.height(), byLetter.height(), 2);
  // Large glyphs are filled as outlines, in the same place as the letters.
  letters.height = glyphs.height = -120;
  letters.dx = glyphs.dx = {};
  const QRect largeLetters = InkBox(Render(WriteEmf(TextDrawing(letters))), kRed);
  const QRect largeGlyphs = InkBox(Render(WriteEmf(TextDrawing(glyphs))), kRed);
  ASSERT_FALSE(largeGlyphs.isEmpty());
  EXPECT_NEAR(largeGlyphs.left(), largeLetters.left(), 3);
  EXPECT_NEAR(largeGlyphs.right(), largeLetters.right(), 3);
  EXPECT_NEAR(largeGlyphs.bottom(), largeLetters.bottom(), 3);
}

TEST(MetaText, GlyphIndicesBeyondTheFontDrawNoGlyphOfIt) {
  TMetaText glyphs = RedText("", {20, 20});
  glyphs.glyphs = {65535, 65534, 65533};
  glyphs.dx = {30, 30, 30};
  const QRect ink = InkBox(Render(WriteEmf(TextDrawing(glyphs))), kRed);
  // At most the font's missing-glyph boxes, one an advance.
  EXPECT_LE(ink.width(), 3 * 30);
}

// How much red the image holds, in full red pixels.
double RedInk(const QImage& image) {
  double ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ink += (255 - image.pixelColor(x, y).green()) / 255.0;
  return ink;
}

// Indices meant for the record's font (Arial here, as the Windows core fonts number glyphs in the
// standard Macintosh order) draw the same characters with the font standing in for it.
TEST(MetaText, GlyphIndicesOfASubstitutedFontDrawTheirCharacters) {
  TMetaText letters = RedText("\xe9", {20, 20});  // e acute, 112 in the standard order
  letters.height = -80;
  letters.dx = {60};
  TMetaText glyphs = letters;
  glyphs.text.clear();
  glyphs.glyphs = {112};
  const QFont arial(QStringLiteral("Arial"));
  ASSERT_NE(QRawFont::fromFont(arial).familyName(), QStringLiteral("Arial")) << "Arial itself is installed";
  ASSERT_NE(GlyphsOf(QStringLiteral("Arial"), QString::fromUtf8("\u00e9")), std::vector<std::uint16_t>{112})
      << "the substitute numbers its glyphs in the same order: nothing to carry over";
  letters.wide = false;
  const QImage byLetter = Render(WriteEmf(TextDrawing(letters)));
  const QImage byGlyph = Render(WriteEmf(TextDrawing(glyphs)));
  const QRect letterBox = InkBox(byLetter, kRed), glyphBox = InkBox(byGlyph, kRed);
  ASSERT_FALSE(glyphBox.isEmpty());
  EXPECT_NEAR(glyphBox.left(), letterBox.left(), 1);
  EXPECT_NEAR(glyphBox.right(), letterBox.right(), 1);
  EXPECT_NEAR(glyphBox.top(), letterBox.top(), 1);
  EXPECT_NEAR(glyphBox.bottom(), letterBox.bottom(), 1);
  EXPECT_NEAR(RedInk(byGlyph), RedInk(byLetter), 0.03 * RedInk(byLetter));
  // The font's own index for the same letter draws it when the record names the installed font.
  glyphs.face = "Liberation Sans";
  glyphs.glyphs = GlyphsOf(QStringLiteral("Liberation Sans"), QString::fromUtf8("\u00e9"));
  const QImage own = Render(WriteEmf(TextDrawing(glyphs)));
  EXPECT_NEAR(RedInk(own), RedInk(byLetter), 0.03 * RedInk(byLetter));
}

// The null and non-marking return glyphs draw nothing, and the text after them keeps its place.
// Beyond the standard order no table says which letter a substituted font's index meant: the
// substitute's missing glyph keeps ink in its place, not whatever glyph the substitute has there.
TEST(MetaText, GlyphIndicesOfASubstitutedFontBeyondTheStandardOrderDrawItsMissingGlyph) {
  TMetaText glyphs = RedText("", {20, 20});
  glyphs.height = -60;
  glyphs.glyphs = {1, 2, 43};  // .null, nonmarkingreturn, H
  glyphs.dx = {30, 30, 30};
  const QRect ink = InkBox(Render(WriteEmf(TextDrawing(glyphs))), kRed);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left(), 20 + 2 * 30);
  EXPECT_LE(ink.left(), 20 + 2 * 30 + 8);
  glyphs.glyphs = {300};
  glyphs.dx = {40};
  const QImage beyond = Render(WriteEmf(TextDrawing(glyphs)));
  glyphs.glyphs = {0};
  const QImage missing = Render(WriteEmf(TextDrawing(glyphs)));
  EXPECT_FALSE(InkBox(missing, kRed).isEmpty());
  EXPECT_EQ(beyond, missing);
  glyphs.glyphs = {300};
  glyphs.face = "Liberation Sans";
  EXPECT_NE(Render(WriteEmf(TextDrawing(glyphs))), missing) << "the installed font's own glyph 300";
}

// GDI fills glyphs with the winding rule: letters pushed into each other leave no hole where they
// overlap, by characters or by glyph indices, in WMF and EMF.
TEST(MetaText, OverlappingGlyphsLeaveNoHoles) {
  TMetaText letters = RedText("II", {20, 20});
  letters.face = "Liberation Sans";
  letters.height = -120;
  letters.dx = {4, 4};  // far less than the letter's width: the second stem lies half over the first
  TMetaText glyphs = letters;
  glyphs.text.clear();
  glyphs.glyphs = GlyphsOf(QStringLiteral("Liberation Sans"), QStringLiteral("II"));
  std::vector<QByteArray> forms = BothForms(TextDrawing(letters));
  forms.push_back(WriteEmf(TextDrawing(glyphs)));
  for (const QByteArray& bytes : forms) {
    const QImage image = Render(bytes);
    const QRect ink = InkBox(image, kRed);
    ASSERT_FALSE(ink.isEmpty());
    // Both stems together: wider than one stem by the shift.
    EXPECT_GE(ink.width(), 14);
    const int y = ink.center().y();
    int holes = 0;
    for (int x = ink.left() + 2; x <= ink.right() - 2; ++x)
      if (image.pixelColor(x, y).green() > 128) ++holes;
    EXPECT_EQ(holes, 0) << "ink from " << ink.left() << " to " << ink.right();
  }
}

// Text records cut or garbled anywhere must neither crash nor read outside the file.
TEST(MetaText, DamagedTextRecordsAreSafe) {
  TMetaText text = RedText("Damaged text", {20, 20});
  text.dx = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  text.opaque = true;
  TMetaText glyphs = text;
  glyphs.glyphs = {36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47};
  std::vector<QByteArray> forms = BothForms(TextDrawing(text));
  forms.push_back(WriteEmf(TextDrawing(glyphs)));
  for (const QByteArray& good : forms) {
    for (int at = 0; at < good.size(); ++at) {
      for (const char value : {'\x00', '\x7f', '\xff'}) {
        QByteArray bad = good;
        bad[at] = value;
        TMetafile metafile;
        try {
          metafile.LoadFromBytes(bad);
        } catch (const std::exception&) {
          continue;
        }
        QImage image(64, 64, QImage::Format_RGB32);
        QPainter painter(&image);
        metafile.Draw(painter, QRect(0, 0, 64, 64));
      }
    }
  }
}

}  // namespace

TEST(MetaText, LargeTextKeepsItsPlaceAndSize) {
  TMetaText large = RedText("HH", {20, 30});
  large.height = -100;
  TMetaText spaced = large;
  spaced.dx = {90, 90};
  for (const TMetaText& text : {large, spaced})
    for (const QByteArray& bytes : BothForms(TextDrawing(text))) {
      const QRect ink = InkBox(Render(bytes), kRed);
      ASSERT_FALSE(ink.isEmpty());
      EXPECT_NEAR(ink.left(), 28, 6);
      // Capitals some 72 % of the character height, below the cell's internal leading.
      EXPECT_NEAR(ink.height(), 72, 6);
      EXPECT_GT(ink.top(), 30);
      EXPECT_NEAR(ink.width(), text.dx.empty() ? 130 : 160, 15);
    }
}

// Text drawn at half the picture's size moves by half a pixel when its reference moves by one unit:
// no line of text is stood on a whole pixel.
TEST(MetaText, SmallTextLandsBetweenPixelsAsTheMappingPlacesIt) {
  const auto inkRow = [](int referenceY) {
    TMetaText text = RedText("Hxh", {20, referenceY});
    text.height = -16;
    TMetafile metafile;
    metafile.LoadFromBytes(WriteEmf(TextDrawing(text)));
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    metafile.Draw(painter, QRect(0, 0, 100, 100));
    double ink = 0, sum = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const double darkness = 255 - image.pixelColor(x, y).green();
        ink += darkness;
        sum += darkness * y;
      }
    return ink > 0 ? sum / ink : -1.0;
  };
  const double at31 = inkRow(31), at32 = inkRow(32), at33 = inkRow(33);
  ASSERT_GT(at31, 0);
  EXPECT_NEAR(at32 - at31, 0.5, 0.1);
  EXPECT_NEAR(at33 - at32, 0.5, 0.1);
}

namespace {

// A plain WMF of labelled lines as office programs write it: a 757 x 174 window, a bold Arial letter
// of 21 units' character height at the start of a line, and a bold System label of the stock object's
// size, a 16-unit cell and 7 units wide, at its end. The fonts' heights and widths are in the window's
// units, like the lines.
QByteArray LabelledLines() {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 757, 174};
  TMetaShape line;
  line.kind = TMetaShape::EKind::Polyline;
  line.points = {QPoint(40, 100), QPoint(290, 100)};
  drawing.shapes.push_back(line);
  TMetaText arial = RedText("A", {20, 100});
  arial.height = -21;
  arial.weight = 700;
  arial.align = kTaBaseline;
  TMetaText system = arial;
  system.text = "OH";
  system.at = {300, 100};
  system.height = 16;
  system.width = 7;
  system.face = "System";
  drawing.texts = {arial, system};
  return WriteWmf(drawing, false);
}

// The bounding box of the pixels where red shows, however faint; empty when there are none.
QRect ReddishBox(const QImage& image) {
  constexpr int kVisible = 60;
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() - c.green() > kVisible) box = box.united(QRect(x, y, 1, 1));
    }
  return box;
}

// The ink of the letter and of the label, in window units, of the picture drawn into a target of the
// size; the window maps onto all of it.
struct TLabelInk {
  QRectF letter, label;
};

TLabelInk LabelInk(QSize size) {
  TMetafile metafile;
  metafile.LoadFromBytes(LabelledLines());
  EXPECT_EQ(metafile.Width(), 757);
  EXPECT_EQ(metafile.Height(), 174);
  QImage image(size, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter painter(&image);
  metafile.Draw(painter, image.rect());
  painter.end();
  const double sx = size.width() / 757.0, sy = size.height() / 174.0;
  const auto inWindow = [&](int from, int to) {
    const int left = static_cast<int>(from * sx), right = static_cast<int>(std::ceil(to * sx));
    const QRect ink = ReddishBox(image.copy(left, 0, right - left, size.height()));
    if (ink.isEmpty()) return QRectF();
    return QRectF((ink.left() + left) / sx, ink.top() / sy, ink.width() / sx, ink.height() / sy);
  };
  return {inWindow(0, 80), inWindow(295, 395)};
}

}  // namespace

TEST(MetaText, PlainWmfTextIsSizedByItsWindowAsItsLinesAre) {
  const TLabelInk ink = LabelInk(QSize(757, 174));
  ASSERT_FALSE(ink.letter.isEmpty());
  ASSERT_FALSE(ink.label.isEmpty());
  // A capital of a 21-unit character height is some 15 units tall and stands on the line's level.
  EXPECT_NEAR(ink.letter.height(), 15, 2);
  EXPECT_NEAR(ink.letter.bottom(), 100, 1);
  // Two bold capitals some 8 units wide each, side by side, no taller than the cell's capitals.
  EXPECT_NEAR(ink.label.width(), 18, 5);
  EXPECT_LE(ink.label.height(), 12);
  EXPECT_NEAR(ink.label.bottom(), 100, 1);
}

// On a tile the picture shrinks whole: the letters keep their size against the lines.
TEST(MetaText, PlainWmfTextShrinksWithItsLinesOnATile) {
  for (const QSize tile : {QSize(256, 59), QSize(128, 29)}) {
    const TLabelInk ink = LabelInk(tile);
    ASSERT_FALSE(ink.letter.isEmpty()) << tile.width();
    ASSERT_FALSE(ink.label.isEmpty()) << tile.width();
    // Antialiasing spreads the ink by up to a pixel on each side: 757 / 128 units at the smaller size.
    const double pixel = 757.0 / tile.width();
    EXPECT_NEAR(ink.letter.height(), 15, 2 * pixel) << tile.width();
    EXPECT_LE(ink.label.height(), 12 + 2 * pixel) << tile.width();
    EXPECT_LE(ink.label.width(), 23 + 2 * pixel) << tile.width();
    EXPECT_NEAR(ink.label.bottom(), 100, pixel + 1) << tile.width();
  }
}

// Stretched unevenly, GDI maps a font's height by the vertical scale and a width it is given by the
// horizontal one; a font without a width keeps its own proportions at its mapped height.
TEST(MetaText, AnisotropicMappingScalesHeightsByYAndGivenWidthsByX) {
  const TLabelInk plain = LabelInk(QSize(757, 174));
  const TLabelInk tall = LabelInk(QSize(757, 348));
  ASSERT_FALSE(tall.letter.isEmpty());
  ASSERT_FALSE(tall.label.isEmpty());
  // In window units the heights stay, the Arial letter widens with its height, the label does not.
  EXPECT_NEAR(tall.letter.height(), plain.letter.height(), 1);
  EXPECT_NEAR(tall.letter.width(), 2 * plain.letter.width(), 2);
  EXPECT_NEAR(tall.label.height(), plain.label.height(), 1);
  EXPECT_NEAR(tall.label.width(), plain.label.width(), 1.5);
  const TLabelInk wide = LabelInk(QSize(1514, 174));
  ASSERT_FALSE(wide.letter.isEmpty());
  EXPECT_NEAR(wide.letter.height(), plain.letter.height(), 1);
  EXPECT_NEAR(wide.letter.width(), plain.letter.width() / 2, 1.5);
  EXPECT_NEAR(wide.label.width(), plain.label.width(), 1.5);
}
