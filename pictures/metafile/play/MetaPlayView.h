// Where a play list lands: the painter, picture space on it, the visible area, and the mapping of the
// device context's logical space in force.
#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <cstdint>

class QPainter;
class TMetaPlayList;

// The player writes the view; the parts that paint for it read it.
class TMetaPlayView {
 public:
  explicit TMetaPlayView(const TMetaPlayList& list) : list_(list) {}

  // Aims the view at the target rectangle of the painter (its own transform still applying after it);
  // false when no part of the picture can show there. The painter itself is taken by the caller.
  bool Aim(QPainter& painter, const QRectF& target, double referencePixel);
  // Makes the mapping from logical space to picture space the one in force; the painter, when there is
  // one, draws in logical units from now on.
  void SetMapping(const QTransform& logicalToPicture);

  // One pixel of the picture at its natural size, in picture units.
  double PixelSize() const;
  // Half a pixel of the picture at its natural size, on the target.
  QPointF HalfPixel() const;
  // The part of picture space the painter can show, with a margin; empty when it cannot be told.
  QRectF VisibleArea() const;
  // The painter transform under which coordinates are in device space.
  QTransform DeviceToWindow() const;
  QTransform LogicalToTarget() const { return logicalToPicture * toTarget; }
  // The brush for a painter transform: patterns keep their pixels in picture space.
  QBrush PatternInPictureSpace(const QBrush& brush, const QTransform& painterTransform) const;
  const QRectF& Frame() const;

  QPainter* painter = nullptr;  // null while the list is only measured
  QTransform toTarget;          // picture space onto the painter's window
  double referencePixel = 0;    // device units; 0 for the picture's own natural pixel
  QPointF halfPixel;            // HalfPixel() for the current target
  // Device space: the painter's window coordinates at the device's pixel density. The visible area is
  // known there, and flattening curves there is exact to a device pixel.
  qreal devicePixelRatio = 1;
  QRectF deviceArea;  // the visible area in device space, with a small margin
  QRectF nearArea;    // where geometry may lie and still go to Qt uncut
  // The painter's clipping before the picture was drawn, which the picture's own clipping narrows.
  bool outerClipped = false;
  QPainterPath outerClip;
  QTransform outerTransform;

  QTransform logicalToPicture;
  QTransform logicalToDevice;
  double deviceScale = 1;            // how far logicalToDevice stretches a length at most
  std::uint64_t mappingChanges = 0;  // counts the changes of logicalToPicture

 private:
  const TMetaPlayList& list_;
};
