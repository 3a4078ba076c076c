#include "LcdDisplay.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <string>

namespace {
const QRgb kOlive = qRgb(128, 128, 0);
const QRgb kLime = qRgb(0, 255, 0);
const QRgb kGreen = qRgb(0, 128, 0);

// Paints the control as the screen would get it.
QImage Render(TLcdDisplay& display) {
  QImage image(display.size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  display.render(&image);
  return image;
}

// Reads the default-sized digit (20 x 30, lines 5) whose top-left pixel is at (x, y), by one pixel inside
// each segment, in the usual letters a to g: '0' to '9', '-' for the minus sign, ' ' for no segment lit,
// '?' for anything else.
char ReadDigit(const QImage& image, int x, int y, QRgb on = kLime, QRgb off = kGreen) {
  const QPoint probes[] = {{10, 2}, {17, 8}, {17, 22}, {10, 27}, {2, 22}, {2, 8}, {10, 15}};
  std::string lit;
  for (int segment = 0; segment < 7; ++segment) {
    const QRgb pixel = image.pixel(QPoint(x, y) + probes[segment]);
    if (pixel == on)
      lit += static_cast<char>('a' + segment);
    else if (pixel != off)
      return '?';
  }
  const char* patterns[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                            "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
  for (int digit = 0; digit < 10; ++digit)
    if (lit == patterns[digit]) return static_cast<char>('0' + digit);
  return lit == "g" ? '-' : lit.empty() ? ' ' : '?';
}

std::string ReadDigits(const QImage& image, int firstLeft, int cellWidth, int top, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += ReadDigit(image, firstLeft + i * cellWidth, top);
  return text;
}

bool AllOf(const QImage& image, QRect area, QRgb color) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixel(x, y) != color) return false;
  return true;
}

class TPressCounter : public QWidget {
 public:
  int presses = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};
}  // namespace

TEST(LcdDisplay, FreshControlShowsSixZeros) {
  TLcdDisplay display;
  ASSERT_EQ(display.size(), QSize(168, 36));
  EXPECT_EQ(display.property("NumDigits").toInt(), 6);
  EXPECT_EQ(display.property("LightOffColor").toUInt(), clGreen);
  const QImage image = Render(display);
  EXPECT_EQ(ReadDigits(image, 4, 28, 3, 6), "000000");
  for (int left = 4; left <= 144; left += 28) {
    EXPECT_TRUE(AllOf(image, QRect(left - 4, 0, 4, 36), kOlive)) << left;
    EXPECT_EQ(image.pixel(left, 11), kOlive);
    EXPECT_EQ(image.pixel(left + 1, 11), kLime);
    EXPECT_EQ(image.pixel(left + 18, 11), kLime);
    EXPECT_EQ(image.pixel(left + 19, 11), kOlive);
    EXPECT_EQ(image.pixel(left + 10, 3), kOlive);
    EXPECT_EQ(image.pixel(left + 10, 4), kLime);
    EXPECT_EQ(image.pixel(left + 10, 31), kLime);
    EXPECT_EQ(image.pixel(left + 10, 32), kOlive);
  }
  EXPECT_TRUE(AllOf(image, QRect(0, 0, 168, 3), kOlive));
  EXPECT_TRUE(AllOf(image, QRect(0, 33, 168, 3), kOlive));
  EXPECT_TRUE(AllOf(image, QRect(164, 0, 4, 36), kOlive));
}

TEST(LcdDisplay, ThreeDigitsOnTheTimeDisplay) {
  TLcdDisplay display;
  display.setProperty("Width", 82);
  display.SetHeight(39);
  display.SetNumDigits(3);
  const std::pair<int, const char*> cases[] = {{7, "007"}, {999, "999"}, {1000, "100"}, {220, "220"}};
  for (const auto& [value, shown] : cases) {
    display.SetValue(value);
    const QImage image = Render(display);
    EXPECT_EQ(ReadDigits(image, 3, 27, 4, 3), shown);
    EXPECT_TRUE(AllOf(image, QRect(0, 0, 3, 39), kOlive));
    EXPECT_TRUE(AllOf(image, QRect(77, 0, 5, 39), kOlive));
  }
}

TEST(LcdDisplay, WideDigitsOverlapAndTheLastIsClipped) {
  TLcdDisplay display;
  display.SetWidth(82);
  display.SetNumDigits(3);
  display.SetDigitWidth(40);  // cells of 27: digits at -6, 21 and 48
  const QImage image = Render(display);
  EXPECT_EQ(image.pixel(23, 3 + 8), kLime);   // second digit's upper left
  EXPECT_EQ(image.pixel(31, 3 + 8), kOlive);  // over the first digit's upper right
  EXPECT_EQ(image.pixel(50, 3 + 8), kLime);   // third digit's upper left
  EXPECT_EQ(image.pixel(81, 3 + 2), kLime);   // third digit's top bar, cut at the edge
  EXPECT_EQ(image.pixel(0, 3 + 2), kLime);    // first digit's top bar, cut at the edge
}

TEST(LcdDisplay, TallDigitsAreCentredAboveTheTopEdge) {
  TLcdDisplay display;
  display.SetDigitHeight(41);  // (36 - 41) div 2 = -2
  const QImage image = Render(display);
  EXPECT_EQ(image.pixel(14, 1), kLime);
  EXPECT_EQ(image.pixel(14, 2), kOlive);
  EXPECT_EQ(image.pixel(14, 34), kOlive);
  EXPECT_EQ(image.pixel(14, 35), kLime);
}

TEST(LcdDisplay, LightOnColorRecoloursLitSegmentsOnly) {
  TLcdDisplay display;
  display.SetValue(18);
  display.SetLightOnColor(clRed);
  const QImage image = Render(display);
  const QRgb red = qRgb(255, 0, 0);
  EXPECT_EQ(ReadDigit(image, 116, 3, red), '1');
  EXPECT_EQ(ReadDigit(image, 144, 3, red), '8');
  EXPECT_EQ(ReadDigit(image, 4, 3, red), '0');
  EXPECT_EQ(image.pixel(4 + 10, 3 + 15), kGreen);
  EXPECT_EQ(image.pixel(0, 0), kOlive);
}

TEST(LcdDisplay, PaintDrawsNoSegmentAndResizeKeepsTheDigitImages) {
  TLcdDisplay display;
  const int builds = display.BuildCount();
  EXPECT_EQ(builds, 1);
  Render(display);
  const uchar* bits = display.OffscreenImage().constBits();
  display.SetValue(42);
  const QImage image = Render(display);
  EXPECT_EQ(display.OffscreenImage(), image);
  EXPECT_EQ(display.OffscreenImage().constBits(), bits);
  display.SetWidth(82);
  display.SetHeight(39);
  display.SetNumDigits(3);
  const QImage resized = Render(display);
  EXPECT_EQ(display.OffscreenImage().size(), QSize(82, 39));
  EXPECT_EQ(ReadDigits(resized, 3, 27, 4, 3), "042");
  EXPECT_EQ(display.BuildCount(), builds);
}

TEST(LcdDisplay, SameValueWritesStillRebuildAndRepaint) {
  TLcdDisplay display;
  display.SetDigitWidth(20);
  EXPECT_EQ(display.BuildCount(), 2);
  display.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&display));
  int paints = 0;
  struct TPaintCounter : QObject {
    int& count;
    explicit TPaintCounter(int& c) : count(c) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++count;
      return false;
    }
  } counter(paints);
  QCoreApplication::processEvents();
  display.installEventFilter(&counter);
  QCoreApplication::processEvents();
  EXPECT_EQ(paints, 0);
  display.SetValue(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(paints, 1);
}

TEST(LcdDisplay, OutOfRangeWritesShowSomethingSensible) {
  TLcdDisplay display;
  display.SetValue(-5);
  EXPECT_EQ(ReadDigits(Render(display), 4, 28, 3, 6), "-00005");
  display.SetValue(INT_MIN);
  EXPECT_EQ(ReadDigits(Render(display), 4, 28, 3, 6), "-21474");
  display.SetValue(150);
  display.SetWidth(560);
  display.SetNumDigits(20);
  EXPECT_EQ(ReadDigits(Render(display), 4, 28, 3, 20), "00000000000000000150");
  for (int numDigits : {0, -1}) {
    display.SetNumDigits(numDigits);
    EXPECT_TRUE(AllOf(Render(display), QRect(0, 0, 560, 36), kOlive));
  }
  // A million positions: all cells are zero wide, so only the last digit shows, its right half at x 0 to 9.
  display.SetNumDigits(1000000);
  const QImage crowded = Render(display);
  EXPECT_EQ(crowded.pixel(5, 3 + 2), kLime);
  EXPECT_TRUE(AllOf(crowded, QRect(10, 0, 550, 36), kOlive));
  display.SetNumDigits(20);
  display.SetDigitLineWidth(0);
  EXPECT_TRUE(AllOf(Render(display), QRect(0, 0, 560, 36), kOlive));
  display.SetDigitLineWidth(5);
  display.SetDigitWidth(-3);
  EXPECT_TRUE(AllOf(Render(display), QRect(0, 0, 560, 36), kOlive));
}

TEST(LcdDisplay, PressesReachTheParent) {
  TPressCounter parent;
  parent.resize(200, 50);
  TLcdDisplay display(&parent);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  QTest::mouseClick(&display, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(parent.presses, 1);
}
