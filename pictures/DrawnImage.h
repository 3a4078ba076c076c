// TDrawnImage: a picture already drawn at one target's device size, and when showing it is the same as
// drawing.
#pragma once

#include <QImage>
#include <QRect>
#include <vector>

class QPainter;

// A picture drawn ahead at the device size of one target (premultiplied ARGB, with the device pixel
// ratio it was drawn at), over one or more grounds: transparent ground, and the pixels a tile shows
// under the picture face down. Where the target's pixels are one of those grounds, copying the picture
// drawn over it gives exactly what drawing it there gives. Elsewhere the picture drawn over
// transparent ground is laid over, which shows the same up to the rounding of antialiased edges, unless
// the picture reads what lies under it. Used only where the painter's device has that pixel ratio, the
// target covers those pixels, and the painter only moves, by whole device pixels, and composes plainly.
class TDrawnImage {
 public:
  // The picture drawn over one ground: both the pixels under the target, of the same size.
  struct TOver {
    QImage ground;
    QImage drawn;
  };

  TDrawnImage() = default;
  // overTransparent: drawn over transparent ground, laid over other grounds unless null; the
  // versions over other grounds are only copied where their ground lies.
  TDrawnImage(QImage overTransparent, std::vector<TOver> overGrounds);

  // Shows the picture in the target and returns true where one of the images stands for drawing it
  // there; else draws nothing and returns false.
  bool DrawInto(QPainter& painter, const QRect& target) const;

  bool IsNull() const { return overTransparent_.isNull() && overGrounds_.empty(); }
  // True when it is laid over whatever lies under the target.
  bool LaysOver() const { return !overTransparent_.isNull(); }
  qint64 Cost() const;

 private:
  // The image of the painter's target size and ratio, or null when the painter draws otherwise.
  const QImage* Sample(const QPainter& painter, const QRect& target) const;

  QImage overTransparent_;
  std::vector<TOver> overGrounds_;
};
