#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMenuBar>
#include <QTest>
#include <filesystem>
#include <set>

#include "CBImage.h"
#include "Forms.h"
#include "LcdDisplay.h"
#include "Panel.h"
#include "SegmentGeometry.h"

namespace {

// Qt reads the scale factor once, when the application object is made in TestMain; static
// initialisation comes before that, so running this executable by hand doubles too.
const bool kScaleSet = qputenv("QT_SCALE_FACTOR", "2");

bool IsTwoByTwoUpscale(const QImage& image) {
  for (int y = 0; y + 1 < image.height(); y += 2)
    for (int x = 0; x + 1 < image.width(); x += 2) {
      const QRgb p = image.pixel(x, y);
      if (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p)
        return false;
    }
  return true;
}

QRect InWindow(QWidget* widget, QWidget* window) {
  return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

}  // namespace

TEST(HiDpi, TheApplicationRunsAtTwice) {
  ASSERT_TRUE(kScaleSet);
  ASSERT_DOUBLE_EQ(qApp->devicePixelRatio(), 2.0);
}

TEST(HiDpi, DigitsAreDrawnAtDevicePixels) {
  TLcdDisplay display;
  display.resize(168, 39);
  display.SetNumDigits(6);
  display.SetValue(8);
  ASSERT_DOUBLE_EQ(display.devicePixelRatioF(), 2.0);

  const QImage& eight = display.DigitImage(8);
  EXPECT_EQ(eight.size(), QSize(40, 60));
  EXPECT_DOUBLE_EQ(eight.devicePixelRatio(), 2.0);
  // Crisp: the glyph is the one drawn natively at double size (one-device-pixel outlines), not the small
  // glyph magnified.
  TSegmentColors lit;
  lit.fill(clLime);
  QImage native = RenderDigitImage(40, 60, 10, lit, clOlive);
  EXPECT_EQ(eight.convertToFormat(QImage::Format_RGB32), native);
  EXPECT_FALSE(IsTwoByTwoUpscale(eight));

  display.ComposeOffscreenImage();
  const QImage& frame = display.OffscreenImage();
  EXPECT_EQ(frame.size(), QSize(336, 78));
  EXPECT_DOUBLE_EQ(frame.devicePixelRatio(), 2.0);
  // The last digit's cell starts at logical 5 * 28 + 4 = 144, top (39 - 30) / 2 = 4: device (288, 8).
  EXPECT_EQ(frame.copy(288, 8, 40, 60), native);
}

TEST(HiDpi, TheMainWindowDoublesAndKeepsEveryPart) {
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    TForms forms(QStringLiteral(ZUM_APP_DIR));
    TForm1& f1 = *forms.Form1;
    f1.show();
    f1.Nuevapartida1->trigger();
    QApplication::processEvents();

    const QImage window = f1.grab().toImage();
    EXPECT_EQ(window.size(), f1.size() * 2);

    // The layout is the same in logical pixels; everything fits its parent.
    EXPECT_EQ(f1.Image[20]->geometry(), QRect(40 + 106 * 4, 8 + 104 * 3, 95, 95));
    EXPECT_TRUE(QRect(QPoint(0, 0), f1.Panel1->size()).contains(f1.Image[20]->geometry()));
    EXPECT_LE(f1.Image[20]->geometry().bottom(), f1.Panel3->geometry().top());
    EXPECT_TRUE(f1.rect().contains(InWindow(f1.marcadornivel, &f1)));
    for (QAction* action : f1.menuBar()->actions())
      EXPECT_TRUE(f1.menuBar()->rect().contains(f1.menuBar()->actionGeometry(action)))
          << action->text().toStdString();

    // The level counter's background reaches the screen in device pixels at twice its logical place.
    const QRect nivel = InWindow(f1.marcadornivel, &f1);
    EXPECT_EQ(window.pixelColor(2 * nivel.left() + 1, 2 * nivel.top() + 1), QColor(128, 128, 0));
    EXPECT_EQ(window.pixelColor(2 * nivel.right(), 2 * nivel.bottom()), QColor(128, 128, 0));

    // The tile's surface has a pixel for every device pixel, and a card back larger than the tile keeps
    // its detail instead of being magnified from the logical size.
    const QImage& surface = f1.Image[7]->Surface();
    EXPECT_EQ(surface.size(), QSize(190, 190));
    EXPECT_DOUBLE_EQ(surface.devicePixelRatio(), 2.0);
    EXPECT_FALSE(IsTwoByTwoUpscale(surface));
    std::set<QRgb> colours;
    for (int y = 0; y < surface.height(); y += 3)
      for (int x = 0; x < surface.width(); x += 3) colours.insert(surface.pixel(x, y));
    EXPECT_GT(colours.size(), 4u);
  }
  std::filesystem::current_path(saved);
}
