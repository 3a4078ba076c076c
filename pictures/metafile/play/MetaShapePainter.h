// Paints finished shapes as GDI draws them: in the device context's mix mode, outlines placed on GDI's
// pixels, hatch backgrounds, outlines from the stroke cache, and geometry far outside the view cut down
// to it first.
#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QPoint>
#include <QRectF>
#include <QTransform>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "metafile/model/MetaCommand.h"
#include "metafile/play/MetaDc.h"

class TMetaPlayView;
class TMetaStrokeCache;

// Shapes are in logical units and go to the view's painter; slot is the command being played, the slot
// of the stroke cache that keeps its outline. A fill brush is the selected brush, or no brush for a
// shape that is only stroked.
class TMetaShapePainter {
 public:
  // strokes, when given, keeps the outlines of stroked shapes from one drawing of the list to the next.
  TMetaShapePainter(const TMetaPlayView& view, const TMetaDc& dc, TMetaStrokeCache* strokes)
      : view_(view), dc_(dc), strokes_(strokes) {}

  // A path with the selected pen and the fill brush; box is the logical box of a boxed shape (rectangle,
  // ellipse, arc), null for others.
  void Paint(std::size_t slot, const QPainterPath& path, const QBrush& fill, const QRectF* box = nullptr);
  // A polygon or polyline through the points, whose logical bounds are given; polygons fill by the
  // state's fill rule.
  void PaintPolygon(std::size_t slot, const QPoint* points, int count, const QRectF& bounds,
                    const QBrush& fill);
  void PaintPolyline(std::size_t slot, const QPoint* points, int count, const QRectF& bounds);
  // A picture-space dot of a colour, as SetPixel lights it.
  void PaintPixel(const QRectF& dot, const QColor& colour);
  // A logical shape filled with the brush, without outline.
  void Fill(const QPainterPath& shape, const QBrush& brush);

  // The path of a run of LineTo commands (their points) from a point, valid until the next run: the
  // stroke cache's own shape when it is the same.
  const QPainterPath& LineRunPath(std::size_t slot, QPointF from, const TMetaCommand* lineTos,
                                  std::size_t run);
  // The selected pen as drawn under the current mapping: never thinner than a pixel of the picture.
  QPen StrokePen() const;
  // True for a pen that draws lines of about one pixel of the picture at its natural size.
  bool Hairline(const QPen& pen) const;

 private:
  // Sets the painter's composition for the mix mode and adapts the pen and brush to it; false when the
  // mode draws nothing. EndMix puts the painter back.
  bool BeginMix(QPen& pen, QBrush& brush);
  void EndMix();
  // Paints with the pen and brush in the current mix mode; paint only draws, the pen and brush are set.
  // The outline is placed as GDI places it (see StrokePlacement).
  void PaintMixed(QPen pen, QBrush brush, const std::function<void()>& paint,
                  const QRectF* logicalBox = nullptr);
  // GDI lights the pixel right of and below a point: a one-pixel line at x covers [x, x + 1) of the
  // reference device, while a fill from x0 to x1 covers [x0, x1). One-pixel outlines are therefore
  // drawn half a pixel of the picture's natural size to the right and down; wider ones are left
  // where they are, centred on their geometry as other viewers draw them. A boxed shape drawn without a
  // world transform leaves out its right and bottom edge, as compatible-mode GDI draws it. Returns the
  // change of target coordinates that places the outline, applied after the painter's transform.
  QTransform StrokePlacement(const QRectF* logicalBox) const;
  // The fill brush under the current mapping: hatches spaced in pixels of the picture, patterns in
  // picture space.
  QBrush FillBrush(const QBrush& brush) const;
  // Fills the area a hatched brush leaves open with the background colour, when that is opaque.
  void FillHatchBackground(const QPainterPath& logicalPath, const QBrush& fill);
  // True when the shape with these logical bounds may go to Qt as it is: near the visible area and
  // drawn with a pen of moderate width.
  bool DirectlyDrawable(const QRectF& logicalBounds) const;
  // Draws the shape cut down to the visible area, for geometry too far out or pens too wide for Qt.
  void PaintCut(const QPainterPath& path, const QBrush& fill);
  void StrokeCut(const QList<QPolygonF>& outline, const QPen& pen);
  // Paint the logical-space shape with the painter's pen and brush as drawPath and drawPolygon do,
  // taking the pen's outline from the stroke cache where Qt would make it with its general stroker.
  void PaintPath(std::size_t slot, const QPainterPath& path);
  void PaintPoints(std::size_t slot, const QPoint* points, int count, bool closed);
  // True when the painter's pen is one whose outline the stroke cache may stand in for.
  bool OutlineWanted() const;
  // The cached outline of the shape for the painter's pen, or null when the painter strokes it itself;
  // the same for the line through the points, closed for a polygon, also null for the point lists that
  // Qt strokes otherwise than their path.
  const QPainterPath* CachedOutline(std::size_t slot, const QPainterPath& path);
  const QPainterPath* PointsOutline(std::size_t slot, const QPoint* points, int count, bool closed);

  const TMetaPlayView& view_;
  const TMetaDc& dc_;
  TMetaStrokeCache* strokes_ = nullptr;
  // StrokePen's last result, for the pen and mapping it was made for.
  mutable bool strokePenMade_ = false;
  mutable QPen strokePen_, strokePenOf_;
  mutable std::uint64_t strokePenMapping_ = 0;
  QPainterPath linePath_;  // see LineRunPath
};
