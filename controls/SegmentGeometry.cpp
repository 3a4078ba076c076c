// The polygons of a digit's seven segments and the digit image drawn from them.
#include "SegmentGeometry.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

TSegmentPolygons SegmentPolygons(int width, int height, int lineWidth) {
  const int w = width;
  const int l = lineWidth;
  const int h = height / 2;
  const int t = lineWidth / 2;
  const int bottom = height - 1;
  const int right = w - 1;
  return {
      QPolygon({{0, 0}, {right, 0}, {w - l, l - 1}, {l - 1, l - 1}}),
      QPolygon({{0, 0}, {l - 1, l - 1}, {l - 1, h - t}, {0, h}}),
      QPolygon({{right, 0}, {right, h}, {w - l, h - t}, {w - l, l - 1}}),
      QPolygon({{0, h}, {l - 1, h - t}, {w - l, h - t}, {right, h}, {w - l, h + t}, {l - 1, h + t}}),
      QPolygon({{0, h}, {l - 1, h + t}, {l - 1, height - l}, {0, bottom}}),
      QPolygon({{right, h}, {right, bottom}, {w - l, height - l}, {w - l, h + t}}),
      QPolygon({{0, bottom}, {l - 1, height - l}, {w - l, height - l}, {right, bottom}}),
  };
}

namespace {
// A logical length in device pixels, rounded and kept within limit; computed wide so that INT_MAX scales.
int ToDevicePixels(int logical, qreal ratio, int limit) {
  const double scaled = std::round(static_cast<double>(std::min(logical, limit)) * ratio);
  return static_cast<int>(std::min(scaled, static_cast<double>(limit)));
}
}  // namespace

QImage RenderDigitImage(int width, int height, int lineWidth, const TSegmentColors& colors, TColor background,
                        qreal devicePixelRatio) {
  if (width < 1 || height < 1) return QImage();
  const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  width = std::max(1, ToDevicePixels(width, ratio, kMaxDigitSide));
  height = std::max(1, ToDevicePixels(height, ratio, kMaxDigitSide));
  QImage image(width, height, QImage::Format_RGB32);
  const QColor backgroundColor = ToQColor(background);
  image.fill(backgroundColor);
  if (lineWidth < 1) {
    image.setDevicePixelRatio(ratio);
    return image;
  }
  lineWidth = std::max(1, ToDevicePixels(lineWidth, ratio, kMaxDigitLineWidth));

  // The ratio is set only after drawing, so that the painter works in device pixels.
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(backgroundColor, 1);
  pen.setCosmetic(true);
  painter.setPen(pen);
  const TSegmentPolygons polygons = SegmentPolygons(width, height, lineWidth);
  for (int slot = 0; slot < kSegmentCount; ++slot) {
    painter.setBrush(ToQColor(colors[slot]));
    painter.drawPolygon(polygons[slot]);
  }
  painter.end();
  image.setDevicePixelRatio(ratio);
  return image;
}
