#include "Skyline.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

// The standard 16-colour palette, in the order of the VGA colour numbers.
QList<QRgb> StandardPalette() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
          qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

struct TBuilding {
  int left, top, width;
};

// The skyline on a 32-unit grid: every building reaches down to the inner edge of the border.
constexpr TBuilding kBuildings[] = {{2, 17, 5}, {7, 11, 5},  {12, 20, 3},
                                    {15, 7, 6}, {21, 15, 4}, {25, 12, 5}};

}  // namespace

QImage RenderSkyline(int size, bool smooth) {
  QImage image(size, size, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, smooth);
  const double u = size / 32.0;
  auto cell = [u](double x, double y, double w, double h) { return QRectF(x * u, y * u, w * u, h * u); };
  painter.fillRect(image.rect(), QColor(255, 0, 0));
  if (smooth) {
    QLinearGradient sky(0, 2 * u, 0, 30 * u);
    sky.setColorAt(0, QColor(0, 0, 100));
    sky.setColorAt(1, QColor(20, 60, 230));
    painter.fillRect(cell(2, 2, 28, 28), sky);
  } else {
    painter.fillRect(cell(2, 2, 28, 15), QColor(0, 0, 128));
    painter.fillRect(cell(2, 17, 28, 13), QColor(0, 0, 255));
  }
  for (const auto& [x, y] : {std::pair{4, 4}, {10, 6}, {13, 3}, {19, 4}, {24, 6}, {28, 3}, {5, 10}, {22, 10}})
    painter.fillRect(cell(x, y, 1, 1), QColor(255, 255, 255));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 0));
  if (smooth) {
    painter.drawEllipse(cell(25, 3, 4, 4));
  } else {
    painter.fillRect(cell(26, 4, 2, 2), QColor(255, 255, 0));
  }
  for (const TBuilding& b : kBuildings) {
    painter.fillRect(cell(b.left, b.top, b.width, 30 - b.top), QColor(0, 0, 0));
    // Lit windows in a checkered pattern, one cell apart.
    for (int y = b.top + 2; y < 29; y += 2)
      for (int x = b.left + 1; x < b.left + b.width - 1; x += 2)
        if ((x * 7 + y * 3 + b.left) % 5 != 0) painter.fillRect(cell(x, y, 1, 1), QColor(255, 255, 0));
  }
  painter.fillRect(cell(17, 5, 1, 2), QColor(0, 0, 0));  // the tallest tower's antenna
  return image;
}

QImage SkylineIcon16() {
  return RenderSkyline(32, false).convertToFormat(QImage::Format_Indexed8, StandardPalette(),
                                                  Qt::ThresholdDither);
}
