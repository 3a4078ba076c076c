// TLcdDisplay: the seven-segment score display, drawn from glyph images made when its look changes.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>

#include "Align.h"
#include "Display.h"
#include "LcdFrame.h"
#include "SegmentGeometry.h"
#include "TColor.h"

// A row of seven-segment digits: lit segments in LightOnColor, unlit ones in LightOffColor, on
// BackgroundColor. The glyphs are drawn into images only when the geometry or a colour changes; a paint
// only copies them into OffscreenImage and puts that on the screen in one step.
class TLcdDisplay : public QWidget, public IDisplay {
  Q_OBJECT
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(int NumDigits READ NumDigits WRITE SetNumDigits)
  Q_PROPERTY(int Value READ Value WRITE SetValue)
  Q_PROPERTY(int DigitHeight READ DigitHeight WRITE SetDigitHeight)
  Q_PROPERTY(int DigitWidth READ DigitWidth WRITE SetDigitWidth)
  Q_PROPERTY(int DigitLineWidth READ DigitLineWidth WRITE SetDigitLineWidth)
  Q_PROPERTY(uint BackgroundColor READ BackgroundColor WRITE SetBackgroundColor)
  Q_PROPERTY(uint LightOnColor READ LightOnColor WRITE SetLightOnColor)
  Q_PROPERTY(uint LightOffColor READ LightOffColor WRITE SetLightOffColor)

 public:
  explicit TLcdDisplay(QWidget* parent = nullptr);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align) { align_ = align; }

  int Width() const { return width(); }
  void SetWidth(int width);
  int Height() const { return height(); }
  void SetHeight(int height);

  int NumDigits() const { return numDigits_; }
  void SetNumDigits(int numDigits);
  int Value() const { return value_; }
  // Also renames the display for assistive technology: "<AccessibleLabel> <Value>".
  void SetValue(int value) override;

  // What a screen reader says before the value, such as "Puntos"; empty reads the value alone.
  QString AccessibleLabel() const { return accessibleLabel_; }
  void SetAccessibleLabel(const QString& label);

  int DigitHeight() const { return digitHeight_; }
  void SetDigitHeight(int digitHeight);
  int DigitWidth() const { return digitWidth_; }
  void SetDigitWidth(int digitWidth);
  int DigitLineWidth() const { return digitLineWidth_; }
  void SetDigitLineWidth(int digitLineWidth);

  TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor color);
  TColor LightOnColor() const { return lightOnColor_; }
  void SetLightOnColor(TColor color);
  TColor LightOffColor() const { return lightOffColor_; }
  void SetLightOffColor(TColor color);

  // How many times the glyph images have been drawn; a paint draws them only when the screen's device
  // pixel ratio differs from the one they were made at.
  int BuildCount() const { return buildCount_; }
  const QImage& OffscreenImage() const { return offscreenImage_; }
  // The glyph image of a digit 0 to 9 or kMinusGlyph, made at the device pixel ratio.
  const QImage& DigitImage(int glyph) const { return digitImages_.at(static_cast<std::size_t>(glyph)); }
  // Composes the current frame into OffscreenImage at the device pixel ratio, resizing it only when the
  // control's size or that ratio changed.
  void ComposeOffscreenImage();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void SetDigitSegments(int digit, const TSegmentFlags& segments);
  void BuildDigitImages();
  // The writes that change the glyphs' look: store, redraw every glyph, repaint.
  void SetGlyphProperty(int& field, int value);
  void SetGlyphProperty(TColor& field, TColor value);
  void UpdateAccessibleName();

  TAlign align_ = TAlign::alNone;
  int numDigits_ = 6;
  int value_ = 0;
  int digitHeight_ = 30;
  int digitWidth_ = 20;
  int digitLineWidth_ = 5;
  TColor backgroundColor_ = clOlive;
  TColor lightOnColor_ = clLime;
  TColor lightOffColor_ = clGreen;
  TGlyphImages digitImages_;
  std::array<TSegmentColors, kGlyphCount> segmentColors_{};
  QImage offscreenImage_;
  int buildCount_ = 0;
  QString accessibleLabel_;
};
