// Paints finished shapes as GDI draws them: mix modes, outline placement, hatch backgrounds, outlines
// from the stroke cache, and far geometry cut down to the view.
#include "metafile/play/MetaShapePainter.h"

#include <uemf.h>

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <vector>

#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/draw/MetaViewCut.h"
#include "metafile/play/MetaColour.h"
#include "metafile/play/MetaPen.h"
#include "metafile/play/MetaPlayView.h"
#include "metafile/play/MetaShapeGeometry.h"

namespace {

// Qt's stroker works over the whole extent of a shape, seen or not, so a pen millions of pixels wide
// could keep a paint busy for seconds: pens up to this radius in device pixels go to Qt as they are,
// wider ones are cut down to the visible area first.
constexpr double kMaxDirectPenRadius = 256;

// Hatch patterns repeat every eight pixels; their lines are one pixel of the picture wide.
bool Hatched(const QBrush& brush) {
  switch (brush.style()) {
    case Qt::HorPattern:
    case Qt::VerPattern:
    case Qt::CrossPattern:
    case Qt::BDiagPattern:
    case Qt::FDiagPattern:
    case Qt::DiagCrossPattern:
      return true;
    default:
      return false;
  }
}

QColor Inverted(const QColor& colour) {
  return QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
}

void Recolour(QPen& pen, QBrush& brush, const std::function<QColor(const QColor&)>& change) {
  if (pen.style() != Qt::NoPen) pen.setColor(change(pen.color()));
  if (brush.style() != Qt::NoBrush && brush.style() != Qt::TexturePattern)
    brush.setColor(change(brush.color()));
}

bool Within(const QRectF& inner, const QRectF& outer) {
  return inner.left() >= outer.left() && inner.right() <= outer.right() && inner.top() >= outer.top() &&
         inner.bottom() <= outer.bottom();
}

// True when a point follows itself: a path drops the repeat, where Qt's stroker of the points as they
// are sees a segment of no length, so the two need not end in the same outline.
bool RepeatsAPoint(const QPoint* points, int count) {
  for (int i = 1; i < count; ++i)
    if (points[i] == points[i - 1]) return true;
  return false;
}

}  // namespace

void TMetaShapePainter::Paint(std::size_t slot, const QPainterPath& path, const QBrush& fill,
                              const QRectF* box) {
  if (!DirectlyDrawable(path.controlPointRect())) {
    PaintCut(path, fill);
    return;
  }
  FillHatchBackground(path, fill);
  PaintMixed(
      StrokePen(), FillBrush(fill), [&] { PaintPath(slot, path); }, box);
}

void TMetaShapePainter::PaintPolygon(std::size_t slot, const QPoint* points, int count, const QRectF& bounds,
                                     const QBrush& fill) {
  if (!DirectlyDrawable(bounds)) {
    QPainterPath path = MetaPointsPath(points, count);
    path.setFillRule(dc_.fillRule);
    path.closeSubpath();
    PaintCut(path, fill);
    return;
  }
  if (dc_.bkOpaque && Hatched(fill)) {
    QPainterPath outline = MetaPointsPath(points, count);
    outline.closeSubpath();
    outline.setFillRule(dc_.fillRule);
    FillHatchBackground(outline, fill);
  }
  PaintMixed(StrokePen(), FillBrush(fill), [&] { PaintPoints(slot, points, count, true); });
}

void TMetaShapePainter::PaintPolyline(std::size_t slot, const QPoint* points, int count,
                                      const QRectF& bounds) {
  if (!DirectlyDrawable(bounds)) {
    PaintCut(MetaPointsPath(points, count), QBrush(Qt::NoBrush));
    return;
  }
  PaintMixed(StrokePen(), QBrush(Qt::NoBrush), [&] { PaintPoints(slot, points, count, false); });
}

void TMetaShapePainter::PaintPixel(const QRectF& dot, const QColor& colour) {
  QPainter* painter = view_.painter;
  painter->setTransform(view_.toTarget);
  PaintMixed(QPen(Qt::NoPen), QBrush(colour), [&] { painter->drawRect(dot); });
  painter->setTransform(view_.LogicalToTarget());
}

void TMetaShapePainter::Fill(const QPainterPath& shape, const QBrush& brush) {
  PaintMixed(QPen(Qt::NoPen), FillBrush(brush), [&] { view_.painter->drawPath(shape); });
}

QPen TMetaShapePainter::StrokePen() const {
  // Drawings draw many shapes with each pen they select: the pen to draw with is made once for a pen
  // and mapping.
  if (!strokePenMade_ || !(strokePenOf_ == dc_.pen) || strokePenMapping_ != view_.mappingChanges) {
    strokePen_ = MetaPenForDrawing(dc_.pen, view_.logicalToPicture, view_.PixelSize());
    strokePenOf_ = dc_.pen;
    strokePenMapping_ = view_.mappingChanges;
    strokePenMade_ = true;
  }
  return strokePen_;
}

QBrush TMetaShapePainter::FillBrush(const QBrush& brush) const {
  const QTransform& painterTransform = view_.painter->transform();
  if (!Hatched(brush)) return view_.PatternInPictureSpace(brush, painterTransform);
  const double scale = std::sqrt(std::abs(view_.logicalToPicture.determinant()));
  if (!(scale > 0) || !std::isfinite(scale)) return brush;
  QBrush scaled = brush;
  const double unit = view_.PixelSize() / scale;
  scaled.setTransform(QTransform::fromScale(unit, unit));
  return scaled;
}

bool TMetaShapePainter::BeginMix(QPen& pen, QBrush& brush) {
  QPainter* painter = view_.painter;
  if (!painter) return true;
  const bool rasterOps =
      painter->paintEngine() && painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  bool exact = false;  // bitwise modes go pixel by pixel, without antialiasing
  switch (dc_.rop2) {
    case U_R2_NOP:
      return false;
    case U_R2_BLACK:
      Recolour(pen, brush, [](const QColor&) { return QColor(0, 0, 0); });
      break;
    case U_R2_WHITE:
      Recolour(pen, brush, [](const QColor&) { return QColor(255, 255, 255); });
      break;
    case U_R2_NOTCOPYPEN:
      Recolour(pen, brush, Inverted);
      break;
    // The picture starts on transparent ground that stands for white paper: multiplying and lightening
    // leave it as AND and OR with white would, and act as AND and OR on what is drawn.
    case U_R2_MASKPEN:
      mode = QPainter::CompositionMode_Multiply;
      break;
    case U_R2_MASKNOTPEN:
      Recolour(pen, brush, Inverted);
      mode = QPainter::CompositionMode_Multiply;
      break;
    case U_R2_MERGEPEN:
      mode = QPainter::CompositionMode_Lighten;
      break;
    case U_R2_MERGENOTPEN:
      Recolour(pen, brush, Inverted);
      mode = QPainter::CompositionMode_Lighten;
      break;
    case U_R2_XORPEN:
      mode = QPainter::RasterOp_SourceXorDestination, exact = true;
      break;
    case U_R2_NOTXORPEN:
      mode = QPainter::RasterOp_NotSourceXorDestination, exact = true;
      break;
    case U_R2_NOT:
      mode = QPainter::RasterOp_NotDestination, exact = true;
      break;
    case U_R2_MASKPENNOT:
      mode = QPainter::RasterOp_SourceAndNotDestination, exact = true;
      break;
    case U_R2_MERGEPENNOT:
      mode = QPainter::RasterOp_SourceOrNotDestination, exact = true;
      break;
    case U_R2_NOTMERGEPEN:
      mode = QPainter::RasterOp_NotSourceAndNotDestination, exact = true;
      break;
    case U_R2_NOTMASKPEN:
      mode = QPainter::RasterOp_NotSourceOrNotDestination, exact = true;
      break;
    default:
      return true;
  }
  if (exact && !rasterOps) return true;
  painter->setCompositionMode(mode);
  if (exact) painter->setRenderHint(QPainter::Antialiasing, false);
  return true;
}

void TMetaShapePainter::EndMix() {
  QPainter* painter = view_.painter;
  if (!painter) return;
  painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (!painter->testRenderHint(QPainter::Antialiasing)) painter->setRenderHint(QPainter::Antialiasing, true);
}

void TMetaShapePainter::PaintMixed(QPen pen, QBrush brush, const std::function<void()>& paint,
                                   const QRectF* logicalBox) {
  if (!BeginMix(pen, brush)) return;
  QPainter* painter = view_.painter;
  const QPainter::CompositionMode mode = painter->compositionMode();
  // Hatch patterns scaled with the picture are sampled smoothly, so that shrunk ones grey out evenly
  // instead of breaking up.
  const bool smooth = painter->testRenderHint(QPainter::SmoothPixmapTransform);
  if (Hatched(brush)) painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
  const auto pass = [&](const QPen& passPen, const QBrush& passBrush) {
    if (mode != QPainter::CompositionMode_SourceOver) {
      // The picture starts on transparent ground that stands for white paper. Where the shape falls
      // on it, it is made white first, so that the mix acts on it as on paper.
      QPen groundPen = passPen;
      if (groundPen.style() != Qt::NoPen) groundPen.setColor(QColor(255, 255, 255));
      painter->setCompositionMode(QPainter::CompositionMode_DestinationOver);
      painter->setPen(groundPen);
      painter->setBrush(passBrush.style() == Qt::NoBrush ? QBrush(Qt::NoBrush)
                                                         : QBrush(QColor(255, 255, 255)));
      paint();
      painter->setCompositionMode(mode);
    }
    painter->setPen(passPen);
    painter->setBrush(passBrush);
    paint();
  };
  if (pen.style() == Qt::NoPen || !Hairline(pen)) {
    pass(pen, brush);
  } else {
    if (brush.style() != Qt::NoBrush) pass(QPen(Qt::NoPen), brush);
    const QTransform shapeTransform = painter->transform();
    painter->setTransform(shapeTransform * StrokePlacement(logicalBox));
    pass(pen, QBrush(Qt::NoBrush));
    painter->setTransform(shapeTransform);
  }
  // Setting a hint, even to what it is, makes the paint engine look at its state again.
  if (painter->testRenderHint(QPainter::SmoothPixmapTransform) != smooth)
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  EndMix();
}

bool TMetaShapePainter::Hairline(const QPen& pen) const {
  if (pen.isCosmetic() || pen.widthF() == 0) return true;
  const double scale = std::sqrt(std::abs(view_.logicalToPicture.determinant()));
  return pen.widthF() * scale < 1.5 * view_.PixelSize();
}

QTransform TMetaShapePainter::StrokePlacement(const QRectF* logicalBox) const {
  const QPointF& half = view_.halfPixel;
  if (logicalBox == nullptr || !dc_.world.isIdentity()) return QTransform::fromTranslate(half.x(), half.y());
  const QRectF onTarget = view_.LogicalToTarget().mapRect(*logicalBox);
  if (onTarget.width() <= 0 || onTarget.height() <= 0) return QTransform::fromTranslate(half.x(), half.y());
  // The box loses one pixel at its right and bottom, and its outline runs through the middle of the
  // pixels at its edges: the outline shrinks by half a pixel on every side.
  const double keepX = std::max(0.01, 1 - 2 * std::abs(half.x()) / onTarget.width());
  const double keepY = std::max(0.01, 1 - 2 * std::abs(half.y()) / onTarget.height());
  const QPointF centre = onTarget.center();
  return QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform::fromScale(keepX, keepY) *
         QTransform::fromTranslate(centre.x(), centre.y());
}

void TMetaShapePainter::FillHatchBackground(const QPainterPath& logicalPath, const QBrush& fill) {
  if (!view_.painter || !dc_.bkOpaque || !Hatched(fill)) return;
  PaintMixed(QPen(Qt::NoPen), QBrush(MetaColourRef(dc_.bkColour)),
             [&] { view_.painter->drawPath(logicalPath); });
}

bool TMetaShapePainter::DirectlyDrawable(const QRectF& logicalBounds) const {
  if (!Within(view_.logicalToDevice.mapRect(logicalBounds), view_.nearArea)) return false;
  const QPen pen = StrokePen();
  return pen.style() == Qt::NoPen || pen.widthF() / 2 * view_.deviceScale <= kMaxDirectPenRadius;
}

void TMetaShapePainter::PaintCut(const QPainterPath& path, const QBrush& fill) {
  QPainter* painter = view_.painter;
  // Curves are flattened in device space, to the precision of a device pixel.
  const QList<QPolygonF> outline = path.toSubpathPolygons(view_.logicalToDevice);
  QPen pen = StrokePen();
  QBrush brush = fill;
  if (!BeginMix(pen, brush)) return;
  if (brush.style() != Qt::NoBrush) {
    painter->setTransform(view_.DeviceToWindow());
    painter->setPen(Qt::NoPen);
    painter->setBrush(view_.PatternInPictureSpace(brush, painter->transform()));
    painter->drawPath(CutDownFill(outline, view_.deviceArea, path.fillRule()));
  }
  if (pen.style() != Qt::NoPen && Hairline(pen)) {
    const QPointF half = view_.halfPixel * view_.devicePixelRatio;
    QList<QPolygonF> placed = outline;
    for (QPolygonF& line : placed) line.translate(half);
    StrokeCut(placed, pen);
  } else if (pen.style() != Qt::NoPen) {
    StrokeCut(outline, pen);
  }
  painter->setTransform(view_.LogicalToTarget());
  EndMix();
}

void TMetaShapePainter::StrokeCut(const QList<QPolygonF>& outline, const QPen& pen) {
  QPainter* painter = view_.painter;
  const QRectF& deviceArea = view_.deviceArea;
  if (pen.widthF() == 0) {
    // The one-pixel pen keeps its width in any transform, so its lines are simply cut.
    painter->setTransform(view_.DeviceToWindow());
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    for (const QPolygonF& line : outline)
      for (const QPolygonF& piece : ClipPolylineToRect(line, deviceArea)) painter->drawPolyline(piece);
    return;
  }
  // A wide pen is a disc of its width moved along the outline, in logical space (round caps and
  // joins), so what it covers of the visible area follows from the distances in logical space.
  bool invertible = false;
  const QTransform deviceToLogical = view_.logicalToDevice.inverted(&invertible);
  if (!invertible) return;
  std::vector<QPolygonF> logical;
  logical.reserve(static_cast<std::size_t>(outline.size()));
  for (const QPolygonF& line : outline) logical.push_back(deviceToLogical.map(line));
  const QRectF area = deviceToLogical.mapRect(deviceArea);
  const double radius = pen.widthF() / 2;
  const double halfDiagonal = std::hypot(area.width(), area.height()) / 2;
  const double distance = DistanceToPolylines(area.center(), logical);
  if (distance - halfDiagonal > radius) return;  // the pen never reaches the visible area
  if (distance + halfDiagonal <= radius) {       // the pen covers all of it
    painter->setTransform(view_.DeviceToWindow());
    painter->fillRect(deviceArea, pen.brush());
    return;
  }
  const double deviceRadius = radius * view_.deviceScale;
  if (deviceRadius <= kMaxDirectPenRadius) {
    // Cut in device space, where the visible area is small: under a squashed mapping the logical
    // bounds of that area can be millions of pixels long, and so would the lines Qt strokes.
    const std::vector<QPolygonF> inDevice(outline.begin(), outline.end());
    const double reach = deviceRadius + 1;
    const QPainterPath reachable =
        deviceToLogical.map(ReachablePart(inDevice, deviceArea.adjusted(-reach, -reach, reach, reach)));
    painter->setTransform(view_.LogicalToTarget());
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(reachable);
    return;
  }
  const QPainterPath reachable = ReachablePart(logical, area.adjusted(-radius, -radius, radius, radius));
  // Still a huge pen: its outline, flattened and cut down, is filled instead.
  const QPainterPath stroke = QPainterPathStroker(pen).createStroke(reachable);
  painter->setTransform(view_.DeviceToWindow());
  painter->setPen(Qt::NoPen);
  painter->setBrush(pen.brush());
  painter->drawPath(
      CutDownFill(stroke.toSubpathPolygons(view_.logicalToDevice), deviceArea, Qt::WindingFill));
}

const QPainterPath& TMetaShapePainter::LineRunPath(std::size_t slot, QPointF from,
                                                   const TMetaCommand* lineTos, std::size_t run) {
  const auto point = [&](std::size_t i) {
    if (i == 0) return from;
    const auto& to = lineTos[i - 1].Args<TMetaPoint>();
    return QPointF(to.x, to.y);
  };
  // The run kept with its stroke's outline when it is this one, else the one path reused for lines:
  // drawings of thousands of lines spent much of their time making paths. Points are compared
  // exactly: QPointF's own comparison allows for rounding.
  const QPainterPath* kept = strokes_ != nullptr ? strokes_->Shape(slot) : nullptr;
  bool same = kept != nullptr && kept->elementCount() == static_cast<int>(run + 1);
  for (std::size_t i = 0; same && i <= run; ++i) {
    const QPainterPath::Element& e = kept->elementAt(static_cast<int>(i));
    same = (i == 0 ? e.isMoveTo() : e.isLineTo()) && e.x == point(i).x() && e.y == point(i).y();
  }
  if (same) return *kept;
  linePath_.clear();
  linePath_.moveTo(from);
  for (std::size_t i = 1; i <= run; ++i) linePath_.lineTo(point(i));
  return linePath_;
}

bool TMetaShapePainter::OutlineWanted() const {
  const QPainter* painter = view_.painter;
  const QPen& pen = painter->pen();
  return strokes_ != nullptr && pen.brush().style() != Qt::NoBrush &&
         TMetaStrokeCache::StrokedAsOutline(pen, painter->deviceTransform(),
                                            painter->testRenderHint(QPainter::Antialiasing));
}

const QPainterPath* TMetaShapePainter::CachedOutline(std::size_t slot, const QPainterPath& path) {
  return OutlineWanted() ? strokes_->Outline(slot, path, view_.painter->pen()) : nullptr;
}

void TMetaShapePainter::PaintPath(std::size_t slot, const QPainterPath& path) {
  QPainter* painter = view_.painter;
  const QPainterPath* outline = CachedOutline(slot, path);
  if (outline == nullptr) {
    painter->drawPath(path);
    return;
  }
  // What drawPath does: the fill with the brush, then the pen's outline filled with the pen's brush.
  if (painter->brush().style() != Qt::NoBrush) painter->fillPath(path, painter->brush());
  painter->fillPath(*outline, painter->pen().brush());
}

const QPainterPath* TMetaShapePainter::PointsOutline(std::size_t slot, const QPoint* points, int count,
                                                     bool closed) {
  // A closed line: Qt's stroker of the points as they are joins its ends otherwise than a path's does;
  // a polygon's last point on its first gives Qt's closing segment no length.
  if (RepeatsAPoint(points, count) || points[0] == points[count - 1] || !OutlineWanted()) return nullptr;
  // The shape the cache keeps, when it is these points: long polylines took long to make into paths.
  const QPainterPath* kept = strokes_->Shape(slot);
  const int elements = count + (closed ? 1 : 0);
  bool same = kept != nullptr && kept->elementCount() == elements;
  for (int i = 0; same && i < elements; ++i) {
    const QPainterPath::Element& e = kept->elementAt(i);
    const QPoint p = points[i < count ? i : 0];
    same = (i == 0 ? e.isMoveTo() : e.isLineTo()) && e.x == p.x() && e.y == p.y();
  }
  const QPen& pen = view_.painter->pen();
  if (same) return strokes_->Outline(slot, *kept, pen);
  QPainterPath figure = MetaPointsPath(points, count);
  if (closed) figure.closeSubpath();
  return strokes_->Outline(slot, figure, pen);
}

void TMetaShapePainter::PaintPoints(std::size_t slot, const QPoint* points, int count, bool closed) {
  QPainter* painter = view_.painter;
  const QPainterPath* outline = PointsOutline(slot, points, count, closed);
  if (outline == nullptr) {
    if (closed)
      painter->drawPolygon(points, count, dc_.fillRule);
    else
      painter->drawPolyline(points, count);
    return;
  }
  if (!closed) {
    painter->fillPath(*outline, painter->pen().brush());
    return;
  }
  const QPen pen = painter->pen();
  if (painter->brush().style() != Qt::NoBrush) {
    painter->setPen(Qt::NoPen);
    painter->drawPolygon(points, count, dc_.fillRule);
    painter->setPen(pen);
  }
  painter->fillPath(*outline, pen.brush());
}
