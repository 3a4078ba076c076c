// What the EMF+ tests share: small EMF files written record by record, drawn into an image and
// checked by their pixels.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstdlib>
#include <functional>

#include "EmfPlusWriter.h"
#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "metafile/Metafile.h"

namespace emfplustest {

inline const QColor kRed(255, 0, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kGreen(0, 160, 0);
inline const QColor kWhite(255, 255, 255);

// A 100 x 100 EMF at 96 dpi whose body writes EMF+ and GDI records.
inline QByteArray EmfPlusFile(const std::function<void(TEmfWriter&, TEmfPlusWriter&)>& body) {
  TEmfWriter emf({0, 0, 100, 100}, 96);
  TEmfPlusWriter plus;
  body(emf, plus);
  plus.EndOfFile().Flush(emf);
  return emf.Finish();
}

// The file drawn at its natural size over a background, into an image of the format.
inline QImage Render(const QByteArray& bytes, const QColor& background = kWhite,
                     QImage::Format format = QImage::Format_RGB32) {
  return RenderMetafile(bytes, 100, background, format);
}

inline bool Near(const QColor& a, const QColor& b, int tolerance = 24) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

// The bounds of the dark pixels.
inline QRect DarkInkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).lightness() < 128) box = box.united(QRect(x, y, 1, 1));
  return box;
}

}  // namespace emfplustest
