// The painting side of the EMF+ player: fills, strokes with compound lines and end shapes, images and
// text, each in the world as the player's state maps it at that moment.
#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include "metafile/emfplus/EmfPlusCommands.h"

class QPainter;
struct TEmfPlusPen;

// Where the EMF+ records draw: EMF+ device space is the picture space of the metafile player.
struct TEmfPlusTarget {
  QPainter* painter = nullptr;
  QTransform pictureToDevice;  // picture space to the painter's device, the painter's own transform included
  // The painter's clipping before the picture was drawn, which the picture's clipping narrows.
  bool outerClipped = false;
  QPainterPath outerClip;
  QTransform outerTransform;
  QRectF frame;  // the picture's frame in picture space
  // A pixel of the picture at its natural size on the painter's device, for the metafiles it draws.
  double pixelOnDevice = 0;
};

// How the world lands in picture space, and the device pixels of one page unit, which sizes given in
// physical units are converted with.
struct TEmfPlusView {
  QTransform worldToPicture;
  double pagePixels = 1;
};

class TEmfPlusPainter {
 public:
  // dpi is the reference device's resolution, which physical units are converted with.
  TEmfPlusPainter(const TEmfPlusTarget& target, double dpi);

  void Fill(const TEmfPlusFill& fill, const TEmfPlusView& view);
  void Stroke(const TEmfPlusStroke& stroke, const TEmfPlusView& view);
  // Returns true when it drew a metafile, which leaves the painter's compositing and clipping its own.
  bool DrawImage(const TEmfPlusDrawImage& image, const TEmfPlusView& view);
  void DrawString(const TEmfPlusDrawString& text, const TEmfPlusView& view);
  void DrawDriverString(const TEmfPlusDrawDriverString& text, const TEmfPlusView& view);

 private:
  // The brush of a fill, in world coordinates but for a hatch, which stays aligned to device pixels.
  QBrush FillBrush(const TEmfPlusFillStyle& style, const QTransform& worldToDevice) const;
  // The pen with its width in the painter's device pixels and its brush.
  QPen DevicePen(const TEmfPlusPen& pen, const TEmfPlusView& view) const;
  // The font's em size in world units.
  double EmSize(int unit, double emSize, const TEmfPlusView& view) const;
  // area, when given, is where the brush paints (world space).
  void FillPath(const QPainterPath& path, const QBrush& brush, const QPainterPath* area,
                const QTransform& worldToDevice);
  void StrokePath(const QPainterPath& path, const QPen& pen, const TEmfPlusPen& penObject,
                  const QTransform& worldToDevice);
  // A compound pen's parallel lines along a device-space line.
  void DrawCompound(const QPolygonF& line, const QPen& pen, const TEmfPlusPen& penObject);
  // The pen's end shapes at the open ends of device-space lines.
  void DrawCaps(const QList<QPolygonF>& lines, const QPen& pen, const TEmfPlusPen& penObject);

  TEmfPlusTarget target_;
  double dpi_;
  QRectF visible_;  // the painter's window, where drawing shows
  QRectF near_;     // geometry beyond it is cut down before it goes to Qt
};
