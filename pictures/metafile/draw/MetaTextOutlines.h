// The cache of a picture's text outlines, by font and text.
#pragma once

#include <QFont>
#include <QHash>
#include <QPainterPath>
#include <QString>
#include <cstdint>

// Outlines of a picture's text, kept from one drawing of the picture to the next.
//
// Text is filled from its glyphs' outlines: Qt's glyph images stand each line of text on a whole
// pixel, which on a small tile moves it by up to half a pixel. Taking outlines from a font is slow,
// as FreeType runs the font's hinting program for each request, so they are kept by font and text.
class TMetaTextOutlines {
 public:
  // The outline of the text in the font, its origin on the baseline at the start of the text.
  const QPainterPath& Outline(const QFont& font, const QString& text);

 private:
  QHash<QString, QPainterPath> outlines_;  // by the font's key and the text
  std::int64_t elements_ = 0;              // path elements kept, against a budget
};
