// The lines of an EMF+ string in its layout rectangle, as GDI+ sets them: broken at explicit line
// breaks, wrapped between words at the rectangle's width (within a word when it is wider alone),
// spaced by the font's line spacing and aligned as the string format says.
#pragma once

#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

#include "metafile/emfplus/EmfPlusStringFormat.h"

struct TEmfPlusTextLine {
  QString text;    // without the spaces that end it
  QPointF origin;  // the start of its baseline
  double width = 0;
};

// Lays the text out in the box, all in the units of the metrics' font, whose em is `em` of them. A box
// without width or height is a point the text is aligned on, and a box without width does not wrap.
std::vector<TEmfPlusTextLine> LayOutEmfPlusString(const QString& text, const QFontMetricsF& metrics,
                                                  double em, const QRectF& box,
                                                  const TEmfPlusStringFormat& format);
