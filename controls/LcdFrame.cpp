// Composing one frame of the seven-segment display from its glyph images.
#include "LcdFrame.h"

#include <QPainter>
#include <algorithm>
#include <charconv>
#include <cstdint>

int DisplayGlyph(int value, int numDigits, int position) {
  const bool negative = value < 0;
  // Widened first: the magnitude of INT_MIN does not fit an int.
  const std::int64_t magnitude = negative ? -static_cast<std::int64_t>(value) : value;
  char digits[24];
  const int length = static_cast<int>(std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
  const int sign = negative ? 1 : 0;
  const int zeros = std::max(0, numDigits - sign - length);
  if (position < 0) return 0;
  if (position < sign) return kMinusGlyph;
  if (position < sign + zeros) return 0;
  const int index = position - sign - zeros;
  return index < length ? digits[index] - '0' : 0;
}

TDigitPlacement PlaceDigits(QSize displaySize, int numDigits, QSize digitSize) {
  const int cellWidth = displaySize.width() / numDigits;
  return {cellWidth, (cellWidth - digitSize.width()) / 2, (displaySize.height() - digitSize.height()) / 2};
}

void ComposeLcdFrame(QImage& frame, QSize size, TColor background, int value, int numDigits,
                     const TGlyphImages& glyphs, qreal devicePixelRatio) {
  const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  const QSize pixels = size.isEmpty() ? size : (QSizeF(size) * ratio).toSize();
  if (frame.size() != pixels || frame.devicePixelRatio() != ratio) {
    frame = size.isEmpty() ? QImage() : QImage(pixels, QImage::Format_RGB32);
    frame.setDevicePixelRatio(ratio);
  }
  if (frame.isNull()) return;
  QPainter painter(&frame);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(QPoint(0, 0), size), ToQColor(background));
  const QSize digitSize = glyphs[0].deviceIndependentSize().toSize();
  if (numDigits < 1 || digitSize.isEmpty()) return;

  const TDigitPlacement placement = PlaceDigits(size, numDigits, digitSize);
  // With more positions than pixels every cell is zero wide: all digits land on one spot, and the last,
  // copied opaque over the others, is all that shows.
  const int first = placement.cellWidth == 0 ? numDigits - 1 : 0;
  for (int position = first; position < numDigits; ++position) {
    const std::int64_t left = placement.firstLeft + static_cast<std::int64_t>(position) * placement.cellWidth;
    if (left >= size.width()) break;
    if (left + digitSize.width() <= 0) continue;
    painter.drawImage(QPoint(static_cast<int>(left), placement.top),
                      glyphs[DisplayGlyph(value, numDigits, position)]);
  }
}
