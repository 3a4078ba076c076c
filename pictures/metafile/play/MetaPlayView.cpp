// Where a play list lands: aiming at a target, the mapping in force, pixel sizes and the visible area.
#include "metafile/play/MetaPlayView.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "metafile/model/MetaPlayList.h"

namespace {

// Qt's stroker and rasteriser work over the whole extent of a shape, seen or not. Shapes within this
// many device pixels of the visible area go to Qt as they are; the rest are cut down to it first.
constexpr double kNearMargin = 1024;
// Cut edges stay this far outside the visible area, beyond the reach of antialiasing.
constexpr double kCutMargin = 4;

// How far the transform stretches a length at most.
double MaxScale(const QTransform& t) {
  return std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
}

}  // namespace

bool TMetaPlayView::Aim(QPainter& painter, const QRectF& target, double reference) {
  const QRectF& frame = list_.frame;
  if (frame.width() <= 0 || frame.height() <= 0 || target.isEmpty()) return false;
  // The painter's own transform (a widget offset, say) still applies after the target mapping.
  toTarget = QTransform::fromTranslate(-frame.left(), -frame.top()) *
             QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height()) *
             QTransform::fromTranslate(target.left(), target.top()) * painter.transform();
  devicePixelRatio = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1;
  referencePixel = std::isfinite(reference) && reference > 0 ? reference : 0;
  halfPixel = HalfPixel();
  QRectF visible = painter.window();
  if (painter.hasClipping())
    visible = visible.intersected(painter.transform().mapRect(painter.clipBoundingRect()));
  if (visible.isEmpty()) return false;
  deviceArea = QTransform::fromScale(devicePixelRatio, devicePixelRatio)
                   .mapRect(visible)
                   .adjusted(-kCutMargin, -kCutMargin, kCutMargin, kCutMargin);
  nearArea = deviceArea.adjusted(-kNearMargin, -kNearMargin, kNearMargin, kNearMargin);
  outerClipped = painter.hasClipping();
  outerClip = outerClipped ? painter.clipPath() : QPainterPath();
  outerTransform = painter.transform();
  return true;
}

void TMetaPlayView::SetMapping(const QTransform& mapping) {
  logicalToPicture = mapping;
  ++mappingChanges;
  logicalToDevice = logicalToPicture * toTarget * QTransform::fromScale(devicePixelRatio, devicePixelRatio);
  deviceScale = MaxScale(logicalToDevice);
  if (painter) painter->setTransform(logicalToPicture * toTarget);
}

double TMetaPlayView::PixelSize() const {
  if (referencePixel > 0) {
    const double scale = std::sqrt(std::abs(toTarget.determinant()));
    if (scale > 0 && std::isfinite(scale)) return referencePixel / scale;
  }
  if (list_.width <= 0 || !(list_.frame.width() > 0)) return 1;
  // GDI's thinnest line is a pixel of the recording device, never less than a screen pixel.
  return std::max(list_.frame.width() / list_.width, list_.devicePixel);
}

QPointF TMetaPlayView::HalfPixel() const {
  const double pixelX = PixelSize();
  const double pixelY = referencePixel == 0 && list_.height > 0 && list_.frame.height() > 0
                            ? list_.frame.height() / list_.height
                            : pixelX;
  return toTarget.map(QPointF(pixelX / 2, pixelY / 2)) - toTarget.map(QPointF(0, 0));
}

QRectF TMetaPlayView::VisibleArea() const {
  bool invertible = false;
  const QTransform back = toTarget.inverted(&invertible);
  if (!invertible) return QRectF();
  const double toLogical = 1 / devicePixelRatio;
  return back.mapRect(QTransform::fromScale(toLogical, toLogical).mapRect(deviceArea));
}

QTransform TMetaPlayView::DeviceToWindow() const {
  return QTransform::fromScale(1 / devicePixelRatio, 1 / devicePixelRatio);
}

QBrush TMetaPlayView::PatternInPictureSpace(const QBrush& brush, const QTransform& painterTransform) const {
  if (brush.style() != Qt::TexturePattern) return brush;
  bool invertible = false;
  const QTransform toPainter = painterTransform.inverted(&invertible);
  if (!invertible) return brush;
  // Pattern pixels are reference-device pixels of picture space, wherever the brush is used.
  QBrush placed = brush;
  placed.setTransform(toTarget * toPainter);
  return placed;
}

const QRectF& TMetaPlayView::Frame() const {
  return list_.frame;
}
