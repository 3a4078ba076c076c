// A WMF or EMF that an EMF+ image object carries. EMF+ reads and plays only its own records: the
// metafile code that runs it hands in a reader for nested metafiles, which gives back something to draw.
#pragma once

#include <QByteArray>
#include <QRectF>
#include <functional>
#include <memory>

class QPainter;

class TEmfPlusNestedMetafile {
 public:
  virtual ~TEmfPlusNestedMetafile() = default;

  // The rectangle of its picture space that it draws, and how many of those units make a millimetre.
  virtual QRectF Frame() const = 0;
  virtual double UnitsPerMm() const = 0;
  // Draws its frame scaled into target, in the painter's coordinates. referencePixel is a pixel of the
  // outer picture at its natural size on the painter's device: one-pixel lines follow the outer picture's.
  virtual void Draw(QPainter& painter, const QRectF& target, double referencePixel) const = 0;
};

// Reads the bytes of a nested WMF or EMF; null when they do not make a picture that draws.
using TEmfPlusMetafileReader =
    std::function<std::shared_ptr<const TEmfPlusNestedMetafile>(const QByteArray&)>;
