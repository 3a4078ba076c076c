// EMF+ strings: their lines laid out in the layout rectangle (wrapping, breaks, alignment, spacing,
// margins, whole lines only), and their outlines filled by pixels, clipped by the rectangle.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <cmath>

#include "EmfPlusTesting.h"
#include "metafile/emfplus/EmfPlusStringLayout.h"
#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

using namespace emfplustest;

constexpr double kEm = 100;

QFont LayoutFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(static_cast<int>(kEm));
  return font;
}

// A format of no margins, aligned near and near unless set.
TEmfPlusStringFormat Tight(int alignment = 0, int lineAlignment = 0, std::uint32_t flags = 0) {
  TEmfPlusStringFormat format;
  format.alignment = alignment;
  format.lineAlignment = lineAlignment;
  format.flags = flags;
  format.leadingMargin = format.trailingMargin = 0;
  return format;
}

QStringList Texts(const std::vector<TEmfPlusTextLine>& lines) {
  QStringList texts;
  for (const TEmfPlusTextLine& line : lines) texts.append(line.text);
  return texts;
}

}  // namespace

TEST(EmfPlusStringLayout, WrapsBetweenWordsAtTheBoxWidth) {
  const QFontMetricsF metrics(LayoutFont());
  const double width = metrics.horizontalAdvance(QStringLiteral("one two")) + 1;
  const auto lines = LayOutEmfPlusString(QStringLiteral("one two three four"), metrics, kEm,
                                         QRectF(0, 0, width, 1000), Tight());
  EXPECT_EQ(Texts(lines), QStringList({"one two", "three", "four"}));
  for (const TEmfPlusTextLine& line : lines) EXPECT_LE(line.width, width);
  // Lines follow each other by the font's line spacing, the first a full ascent below the top.
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_DOUBLE_EQ(lines[0].origin.y(), metrics.ascent());
  EXPECT_DOUBLE_EQ(lines[1].origin.y() - lines[0].origin.y(), metrics.lineSpacing());
  EXPECT_DOUBLE_EQ(lines[2].origin.y() - lines[1].origin.y(), metrics.lineSpacing());
  EXPECT_EQ(lines[1].origin.x(), 0);
}

TEST(EmfPlusStringLayout, ExplicitBreaksOfEveryKindStartNewLines) {
  const QFontMetricsF metrics(LayoutFont());
  const auto lines =
      LayOutEmfPlusString(QStringLiteral("a\r\nb\nc\rd\n\ne"), metrics, kEm, QRectF(0, 0, 5000, 0), Tight());
  EXPECT_EQ(Texts(lines), QStringList({"a", "b", "c", "d", "", "e"}));
}

TEST(EmfPlusStringLayout, AWordWiderThanTheBoxBreaksBetweenCharacters) {
  const QFontMetricsF metrics(LayoutFont());
  const double width = metrics.horizontalAdvance(QStringLiteral("MMM")) + 1;
  const auto lines =
      LayOutEmfPlusString(QStringLiteral("x MMMMMMMM y"), metrics, kEm, QRectF(0, 0, width, 0), Tight());
  EXPECT_EQ(Texts(lines), QStringList({"x", "MMM", "MMM", "MM y"}));
  // Narrower than one character: one a line.
  EXPECT_EQ(Texts(LayOutEmfPlusString(QStringLiteral("MM"), metrics, kEm, QRectF(0, 0, 5, 0), Tight())),
            QStringList({"M", "M"}));
}

TEST(EmfPlusStringLayout, NoWrapOrNoWidthKeepsEachParagraphOnOneLine) {
  const QFontMetricsF metrics(LayoutFont());
  const QString text = QStringLiteral("one two three");
  EXPECT_EQ(
      LayOutEmfPlusString(text, metrics, kEm, QRectF(0, 0, 50, 0), Tight(0, 0, EmfPlus::kStringFormatNoWrap))
          .size(),
      1u);
  EXPECT_EQ(LayOutEmfPlusString(text, metrics, kEm, QRectF(0, 0, 0, 0), Tight()).size(), 1u);
}

TEST(EmfPlusStringLayout, LinesAlignAlongAndAcrossTheBox) {
  const QFontMetricsF metrics(LayoutFont());
  const QRectF box(100, 200, 1000, 600);
  const QString text = QStringLiteral("wide line\nab");
  const double spacing = metrics.lineSpacing(), ab = metrics.horizontalAdvance(QStringLiteral("ab"));
  const auto centred = LayOutEmfPlusString(
      text, metrics, kEm, box, Tight(EmfPlus::kStringAlignmentCenter, EmfPlus::kStringAlignmentCenter));
  ASSERT_EQ(centred.size(), 2u);
  EXPECT_NEAR(centred[1].origin.x(), 600 - ab / 2, 1e-9);
  EXPECT_NEAR(centred[0].origin.y(), 500 - spacing + metrics.ascent(), 1e-9);
  const auto far = LayOutEmfPlusString(text, metrics, kEm, box,
                                       Tight(EmfPlus::kStringAlignmentFar, EmfPlus::kStringAlignmentFar));
  EXPECT_NEAR(far[1].origin.x(), 1100 - ab, 1e-9);
  EXPECT_NEAR(far[1].origin.y(), 800 - spacing + metrics.ascent(), 1e-9);
  // On a point: centred on it.
  const auto onPoint = LayOutEmfPlusString(QStringLiteral("ab"), metrics, kEm, QRectF(300, 0, 0, 0),
                                           Tight(EmfPlus::kStringAlignmentCenter));
  EXPECT_NEAR(onPoint[0].origin.x(), 300 - ab / 2, 1e-9);
}

TEST(EmfPlusStringLayout, MarginsInEmsNarrowTheLines) {
  const QFontMetricsF metrics(LayoutFont());
  const TEmfPlusStringFormat byDefault;  // a sixth of an em at each end
  const double word = metrics.horizontalAdvance(QStringLiteral("word"));
  const auto lines =
      LayOutEmfPlusString(QStringLiteral("word word"), metrics, kEm,
                          QRectF(10, 0, 2 * word + metrics.horizontalAdvance(' ') + 10, 0), byDefault);
  // Wide enough for both words, but not with the margins.
  EXPECT_EQ(Texts(lines), QStringList({"word", "word"}));
  EXPECT_NEAR(lines[0].origin.x(), 10 + kEm / 6, 1e-9);
}

TEST(EmfPlusStringLayout, ALineLimitKeepsOnlyWholeLines) {
  const QFontMetricsF metrics(LayoutFont());
  const QRectF box(0, 0, 5000, metrics.lineSpacing() * 2.5);
  const QString text = QStringLiteral("1\n2\n3\n4");
  EXPECT_EQ(LayOutEmfPlusString(text, metrics, kEm, box, Tight(0, 0, EmfPlus::kStringFormatLineLimit)).size(),
            2u);
  EXPECT_EQ(LayOutEmfPlusString(text, metrics, kEm, box, Tight()).size(), 4u);
}

TEST(EmfPlusStringLayout, ManyLinesStayBounded) {
  const QFontMetricsF metrics(LayoutFont());
  const QString text = QString(60000, QLatin1Char('M'));
  const auto lines = LayOutEmfPlusString(text, metrics, kEm, QRectF(0, 0, 1, 0), Tight());
  EXPECT_LE(lines.size(), 10001u);
  EXPECT_GE(lines.size(), 1000u);
}

namespace {

// Black text of a 10-unit Arial in the layout rectangle, with a format of the flags in slot 2.
QImage RenderString(const QString& text, const QRectF& layout, std::uint32_t flags = 0, double em = 10) {
  return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    TEmfPlusStringFormatData format;
    format.flags = flags;
    plus.Header(false).Font(1, static_cast<float>(em), EmfPlus::kUnitPixel, 0, QStringLiteral("Arial"));
    plus.StringFormat(2, format).DrawString(1, Qt::black, 2, layout, text).Flush(emf);
  }));
}

// The darkness-weighted mean row of the image's ink.
double InkRow(const QImage& image) {
  double sum = 0, weight = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const double dark = 255 - image.pixelColor(x, y).lightness();
      sum += dark * y;
      weight += dark;
    }
  return weight > 0 ? sum / weight : -1;
}

}  // namespace

TEST(EmfPlusStrings, WrappedLinesStayInsideTheRectangle) {
  const QImage image = RenderString(QStringLiteral("HHH HHH HHH HHH"), QRectF(10, 10, 40, 80));
  const QRect ink = DarkInkBox(image);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left(), 10);
  EXPECT_LE(ink.right(), 50);
  // Four lines of about 11.5 units each.
  EXPECT_GE(ink.height(), 38);
  EXPECT_LE(ink.bottom(), 60);
}

TEST(EmfPlusStrings, TheRectangleClipsUnlessTheFormatSaysNot) {
  // One long line in a rectangle a third of its width.
  const QString text = QStringLiteral("HHHHHHHHHHHH");
  const QImage clipped = RenderString(text, QRectF(10, 10, 30, 20), EmfPlus::kStringFormatNoWrap);
  const QImage free =
      RenderString(text, QRectF(10, 10, 30, 20), EmfPlus::kStringFormatNoWrap | EmfPlus::kStringFormatNoClip);
  EXPECT_LE(DarkInkBox(clipped).right(), 40);
  EXPECT_GT(DarkInkBox(free).right(), 60);
}

TEST(EmfPlusStrings, SmallTextMovesByFractionsOfAPixel) {
  // Filled from outlines, text half a pixel lower darkens the rows half a pixel lower: glyph images
  // would stand it on a whole pixel.
  const double high = InkRow(RenderString(QStringLiteral("Hxg"), QRectF(10, 20, 80, 40)));
  const double low = InkRow(RenderString(QStringLiteral("Hxg"), QRectF(10, 20.5, 80, 40)));
  EXPECT_NEAR(low - high, 0.5, 0.15);
}

TEST(EmfPlusStrings, SmallDriverStringsMoveByFractionsOfAPixel) {
  // Driver strings are filled from outlines too, each character exactly at its origin.
  const auto render = [](double y) {
    return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
      plus.Header(false).Font(1, 10, EmfPlus::kUnitPixel, 0, QStringLiteral("Arial"));
      plus.DrawDriverString(1, Qt::black, QStringLiteral("Hxg"), {{10, y}, {18, y}, {26, y}}).Flush(emf);
    }));
  };
  const double high = InkRow(render(40)), low = InkRow(render(40.5));
  ASSERT_GT(high, 0);
  EXPECT_NEAR(low - high, 0.5, 0.15);
}

// The colour of solid ink along row y, as the share of blue in red and blue, against the share the
// gradient from red at x = 0 to blue at x = 100 gives there; counts the solid pixels.
int ExpectGradientInk(const QImage& image, int y) {
  int solid = 0;
  for (int x = 0; x < 100; ++x) {
    const QColor c = image.pixelColor(x, y);
    if (c.red() + c.blue() < 230 || c.green() > 40) continue;
    ++solid;
    EXPECT_NEAR(c.blueF() / (c.redF() + c.blueF()), x / 100.0, 0.1) << x;
  }
  return solid;
}

TEST(EmfPlusStrings, DriverStringsAreBrushedInWorldCoordinates) {
  // Small capitals, drawn once as glyph images would be, across the gradient.
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).Font(1, 30, EmfPlus::kUnitPixel, 0, QStringLiteral("Arial"));
    plus.LinearGradientBrush(2, QRectF(0, 0, 100, 100), kRed, kBlue);
    plus.DrawDriverStringWithBrush(1, 2, QStringLiteral("MMM"), {{2, 55}, {34, 55}, {66, 55}}).Flush(emf);
  }));
  EXPECT_GE(ExpectGradientInk(image, 45), 10);
}

TEST(EmfPlusStrings, BrushesPaintTheTextInWorldCoordinates) {
  // A gradient from red at x = 0 to blue at x = 100 under large capitals across most of the picture.
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).Font(1, 30, EmfPlus::kUnitPixel, 0, QStringLiteral("Arial"));
    plus.LinearGradientBrush(2, QRectF(0, 0, 100, 100), kRed, kBlue);
    plus.DrawStringWithBrush(1, 2, -1, QRectF(0, 20, 100, 60), QStringLiteral("MMM")).Flush(emf);
  }));
  // Where the ink is solid, its colour is the gradient's at that x.
  EXPECT_GE(ExpectGradientInk(image, 45), 10);
}
