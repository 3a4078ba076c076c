// The checks under which a picture drawn ahead stands for drawing it, and copying or laying it over the
// target.
#include "DrawnImage.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>
#include <cstring>

namespace {
bool Whole(qreal value) {
  return std::abs(value - std::round(value)) < 1e-6;
}

// True when the device's pixels at the corner are those of the ground.
bool DeviceShows(const QPainter& painter, const QPoint& corner, const QImage& ground) {
  if (painter.device() == nullptr || painter.device()->devType() != QInternal::Image) return false;
  const auto& device = *static_cast<const QImage*>(painter.device());
  if (device.format() != ground.format() || !device.rect().contains(QRect(corner, ground.size())))
    return false;
  const auto rowBytes = static_cast<std::size_t>(ground.width()) * 4;
  for (int y = 0; y < ground.height(); ++y)
    if (std::memcmp(device.constScanLine(corner.y() + y) + std::size_t(corner.x()) * 4,
                    ground.constScanLine(y), rowBytes) != 0)
      return false;
  return true;
}
}  // namespace

TDrawnImage::TDrawnImage(QImage overTransparent, std::vector<TOver> overGrounds)
    : overTransparent_(std::move(overTransparent)), overGrounds_(std::move(overGrounds)) {}

qint64 TDrawnImage::Cost() const {
  qint64 cost = overTransparent_.sizeInBytes();
  for (const TOver& over : overGrounds_) cost += over.ground.sizeInBytes() + over.drawn.sizeInBytes();
  return cost;
}

const QImage* TDrawnImage::Sample(const QPainter& painter, const QRect& target) const {
  const QImage* sample = !overTransparent_.isNull() ? &overTransparent_
                         : overGrounds_.empty()     ? nullptr
                                                    : &overGrounds_.front().drawn;
  if (sample == nullptr || painter.device() == nullptr) return nullptr;
  const qreal ratio = painter.device()->devicePixelRatioF();
  if (sample->devicePixelRatio() != ratio) return nullptr;
  if (sample->size() != QSize(qRound(target.width() * ratio), qRound(target.height() * ratio)))
    return nullptr;
  // Scaled, turned or composed otherwise, drawing would give other pixels than these images.
  if (painter.worldTransform().type() > QTransform::TxTranslate) return nullptr;
  if (painter.compositionMode() != QPainter::CompositionMode_SourceOver || painter.opacity() != 1)
    return nullptr;
  // Between device pixels the images would be resampled; drawing there antialiases otherwise.
  const QPointF corner = painter.deviceTransform().map(QPointF(target.topLeft()));
  if (!Whole(corner.x()) || !Whole(corner.y())) return nullptr;
  return sample;
}

bool TDrawnImage::DrawInto(QPainter& painter, const QRect& target) const {
  if (Sample(painter, target) == nullptr) return false;
  const QPoint corner = painter.deviceTransform().map(QPointF(target.topLeft())).toPoint();
  for (const TOver& over : overGrounds_) {
    if (!DeviceShows(painter, corner, over.ground)) continue;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target.topLeft(), over.drawn);
    painter.restore();
    return true;
  }
  if (overTransparent_.isNull()) return false;
  painter.drawImage(target.topLeft(), overTransparent_);
  return true;
}
