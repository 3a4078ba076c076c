// The cache of stroke outlines of a picture's shapes, by record.
#pragma once

#include <QPainterPath>
#include <QPen>
#include <QTransform>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

// Outlines of stroked shapes, kept from one drawing of a picture to the next.
//
// A pen that Qt cannot draw with its fast line drawer is turned into an outline to fill by its general
// stroker, for every line however thin; fitting a picture into a tile stretches one axis a little more
// than the other, which rules the fast line drawer out, and line drawings then spent most of each
// repaint in the stroker. The outline depends only on the shape and on the pen's width, ends and joins,
// not on where the picture is drawn, so it is made once per shape and filled at every drawing: the same
// outline, filled the same way, gives the same pixels.
class TMetaStrokeCache {
 public:
  // True where the cached outline, filled, gives exactly the pixels Qt's own stroke gives: solid pens
  // that are not cosmetic, drawn antialiased under a transform that does not scale both axes alike
  // (decided with a margin). Under an even scale Qt draws thin pens with its fast line drawer, and
  // fills the outline of a single line by another rasteriser, so the painter strokes those itself.
  static bool StrokedAsOutline(const QPen& pen, const QTransform& deviceTransform, bool antialiased);

  // The outline the stroker makes of the path with the pen, for the shape drawn in the given slot (one
  // per record of the picture); null when the outline is not kept: curves (flattened for the transform
  // in force), too large a shape, or the cache full. A slot that held another shape or pen gets the new
  // one.
  const QPainterPath* Outline(std::size_t slot, const QPainterPath& path, const QPen& pen);

  // The shape whose outline the slot keeps; null when it keeps none. Valid until the slot's next Outline.
  const QPainterPath* Shape(std::size_t slot) const;

  // Path elements kept, of shapes and outlines.
  std::int64_t Elements() const { return elements_; }

 private:
  struct TEntry {
    QPainterPath path;
    double width = 0;
    Qt::PenCapStyle cap = Qt::SquareCap;
    Qt::PenJoinStyle join = Qt::BevelJoin;
    double miterLimit = 0;
    QPainterPath outline;
    bool Matches(const QPainterPath& shape, const QPen& pen) const;
  };

  std::unordered_map<std::size_t, TEntry> entries_;  // by slot; few records of a picture stroke
  std::int64_t elements_ = 0;                        // against the budget
};
