// The seven-segment display: its properties, the glyph images they call for, and the frame it paints.
#include "LcdDisplay.h"

#include <QPainter>

TLcdDisplay::TLcdDisplay(QWidget* parent) : QWidget(parent) {
  // Opaque: every pixel is painted here, so the parent never erases beneath. The display takes no part in
  // input: presses pass through to the parent, as they would past a control that handles no mouse event.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  resize(168, 36);
  BuildDigitImages();
  UpdateAccessibleName();
}

void TLcdDisplay::SetWidth(int width) {
  resize(width, height());
}

void TLcdDisplay::SetHeight(int height) {
  resize(width(), height);
}

void TLcdDisplay::SetNumDigits(int numDigits) {
  numDigits_ = numDigits;
  update();
}

void TLcdDisplay::SetValue(int value) {
  value_ = value;
  UpdateAccessibleName();
  update();
}

void TLcdDisplay::SetAccessibleLabel(const QString& label) {
  accessibleLabel_ = label;
  UpdateAccessibleName();
}

void TLcdDisplay::UpdateAccessibleName() {
  const QString number = QString::number(value_);
  setAccessibleName(accessibleLabel_.isEmpty() ? number : accessibleLabel_ + QLatin1Char(' ') + number);
}

void TLcdDisplay::SetDigitHeight(int digitHeight) {
  SetGlyphProperty(digitHeight_, digitHeight);
}

void TLcdDisplay::SetDigitWidth(int digitWidth) {
  SetGlyphProperty(digitWidth_, digitWidth);
}

void TLcdDisplay::SetDigitLineWidth(int digitLineWidth) {
  SetGlyphProperty(digitLineWidth_, digitLineWidth);
}

void TLcdDisplay::SetBackgroundColor(TColor color) {
  SetGlyphProperty(backgroundColor_, color);
}

void TLcdDisplay::SetLightOnColor(TColor color) {
  SetGlyphProperty(lightOnColor_, color);
}

void TLcdDisplay::SetLightOffColor(TColor color) {
  SetGlyphProperty(lightOffColor_, color);
}

void TLcdDisplay::SetGlyphProperty(int& field, int value) {
  field = value;
  BuildDigitImages();
  update();
}

void TLcdDisplay::SetGlyphProperty(TColor& field, TColor value) {
  field = value;
  BuildDigitImages();
  update();
}

void TLcdDisplay::SetDigitSegments(int digit, const TSegmentFlags& segments) {
  if (digit < 0 || digit >= kGlyphCount) return;
  for (int slot = 0; slot < kSegmentCount; ++slot)
    segmentColors_[digit][slot] = segments[slot] ? lightOnColor_ : lightOffColor_;
}

void TLcdDisplay::BuildDigitImages() {
  for (int glyph = 0; glyph < kGlyphCount; ++glyph) SetDigitSegments(glyph, kGlyphSegments[glyph]);
  for (int glyph = 0; glyph < kGlyphCount; ++glyph)
    digitImages_[glyph] = RenderDigitImage(digitWidth_, digitHeight_, digitLineWidth_, segmentColors_[glyph],
                                           backgroundColor_, devicePixelRatioF());
  ++buildCount_;
}

void TLcdDisplay::ComposeOffscreenImage() {
  // A window moved to a screen of another density needs glyphs made for it.
  const qreal ratio = devicePixelRatioF();
  if (!digitImages_[0].isNull() && digitImages_[0].devicePixelRatio() != ratio) BuildDigitImages();
  ComposeLcdFrame(offscreenImage_, size(), backgroundColor_, value_, numDigits_, digitImages_, ratio);
}

void TLcdDisplay::paintEvent(QPaintEvent*) {
  ComposeOffscreenImage();
  QPainter painter(this);
  painter.drawImage(0, 0, offscreenImage_);
}
