#include "metafile/emfplus/EmfPlusPainter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "metafile/draw/MetaViewCut.h"
#include "metafile/emfplus/EmfPlusBrush.h"
#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusImage.h"
#include "metafile/emfplus/EmfPlusImageAttributes.h"
#include "metafile/emfplus/EmfPlusPen.h"
#include "metafile/emfplus/EmfPlusText.h"
#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

// Geometry within this many device pixels of the visible area goes to Qt as it is; beyond, it is cut
// down first, as Qt's cost grows with the whole extent of a shape.
constexpr double kNearMargin = 1024;
// Combining large shapes with a brush's area costs more than a picture may take; they are filled whole.
constexpr int kMaxAreaElements = 4000;
// A compound pen strokes each part alone: longer paths draw as one line.
constexpr int kMaxCompoundElements = 100000;
// Ends beyond this many lines are left plain: each is a shape of its own to fill.
constexpr qsizetype kMaxLineEnds = 10000;
// GDI+ draws a line at least one pixel of its device wide; QPen takes widths up to about this.
constexpr double kMinDeviceWidth = 0.4, kMaxDeviceWidth = 30000;
// Mirrored tiles of a bitmap larger than this many pixels (four times as large) repeat unmirrored.
constexpr std::int64_t kMaxMirroredTilePixels = std::int64_t{4} << 20;
// Compound parts thinner than this many device pixels are drawn this thin.
constexpr double kMinCompoundPartWidth = 0.25;

bool FiniteRect(const QRectF& r) {
  return EmfPlusFinite(r.left()) && EmfPlusFinite(r.right()) && EmfPlusFinite(r.top()) &&
         EmfPlusFinite(r.bottom());
}

bool Within(const QRectF& inner, const QRectF& outer) {
  return inner.left() >= outer.left() && inner.right() <= outer.right() && inner.top() >= outer.top() &&
         inner.bottom() <= outer.bottom();
}

bool Overlaps(const QRectF& a, const QRectF& b) {
  return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

const QRectF kUnitSquare(0, 0, 1, 1);

// Where the whole frame of a metafile image goes so that its source rectangle fills the unit square.
// The source is in the metafile's own pixels: its frame's units, which for a placeable WMF are those of
// its bounding box.
QRectF MetafileSourcePart(const TEmfPlusNestedMetafile& metafile, std::uint32_t unit, const QRectF& source) {
  const QRectF frame = metafile.Frame();
  const double perMm = metafile.UnitsPerMm() > 0 ? metafile.UnitsPerMm() : 96 / 25.4;
  const double scale = unit <= static_cast<std::uint32_t>(EmfPlus::kUnitPixel)
                           ? 1
                           : EmfPlus::UnitPixels(static_cast<int>(unit), perMm * 25.4);
  const QRectF src(source.x() * scale, source.y() * scale, source.width() * scale, source.height() * scale);
  if (!(src.width() > 0) || !(src.height() > 0) || !EmfPlusFinite(src.x()) || !EmfPlusFinite(src.y()) ||
      !EmfPlusFinite(src.width()) || !EmfPlusFinite(src.height()))
    return kUnitSquare;  // no usable source: the whole frame
  // A source that differs from the frame by rounding only is the whole frame: cropping it would cut
  // into lines along the frame's edges.
  constexpr double kRounding = 1;
  if (std::abs(src.left() - frame.left()) <= kRounding && std::abs(src.top() - frame.top()) <= kRounding &&
      std::abs(src.right() - frame.right()) <= kRounding &&
      std::abs(src.bottom() - frame.bottom()) <= kRounding)
    return kUnitSquare;
  const QRectF part((frame.x() - src.x()) / src.width(), (frame.y() - src.y()) / src.height(),
                    frame.width() / src.width(), frame.height() / src.height());
  // A source far smaller than the frame would blow the frame up beyond any use.
  if (!EmfPlusFinite(part.x()) || !EmfPlusFinite(part.y()) || !EmfPlusFinite(part.width()) ||
      !EmfPlusFinite(part.height()) || part.width() > 1e6 || part.height() > 1e6)
    return QRectF();
  return part;
}

}  // namespace

TEmfPlusPainter::TEmfPlusPainter(const TEmfPlusTarget& target, double dpi)
    : target_(target),
      dpi_(dpi),
      visible_(target.painter->window()),
      near_(visible_.adjusted(-kNearMargin, -kNearMargin, kNearMargin, kNearMargin)) {}

QBrush TEmfPlusPainter::FillBrush(const TEmfPlusFillStyle& style, const QTransform& worldToDevice) const {
  if (!style.object) return QBrush(style.colour);
  QBrush brush = style.object->Brush();
  if (style.object->hatch) {
    // Hatch patterns are aligned to device pixels whatever the transform.
    bool invertible = false;
    const QTransform deviceToWorld = worldToDevice.inverted(&invertible);
    if (invertible) brush.setTransform(deviceToWorld);
  }
  return brush;
}

QPen TEmfPlusPainter::DevicePen(const TEmfPlusPen& object, const TEmfPlusView& view) const {
  QPen pen = object.pen;
  pen.setBrush(object.brush.Brush());
  double width = object.width;
  if (object.unit != EmfPlus::kUnitWorld)
    width = width * EmfPlus::UnitPixels(object.unit, dpi_) / view.pagePixels;
  // GDI+ draws a line at least one pixel of its device wide, which is one picture unit here, scaled
  // like the rest of the picture; on a small tile a line keeps the share of a pixel that a full-size
  // drawing scaled down would give it.
  const double pictureWidth = std::max(1.0, width * EmfPlusMaxScale(view.worldToPicture));
  const double deviceWidth =
      std::max(kMinDeviceWidth, pictureWidth * EmfPlusMaxScale(target_.pictureToDevice));
  pen.setWidthF(EmfPlusFinite(deviceWidth) ? std::min(deviceWidth, kMaxDeviceWidth) : 0);
  return pen;
}

double TEmfPlusPainter::EmSize(int unit, double emSize, const TEmfPlusView& view) const {
  if (unit == EmfPlus::kUnitWorld) return emSize;
  return emSize * EmfPlus::UnitPixels(unit, dpi_) / view.pagePixels;
}

void TEmfPlusPainter::Clear(const QColor& colour) {
  QPainter& painter = *target_.painter;
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.setTransform(target_.pictureToDevice);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawRect(target_.frame.normalized());
}

void TEmfPlusPainter::Fill(const TEmfPlusFill& fill, const TEmfPlusView& view) {
  const QTransform toDevice = view.worldToPicture * target_.pictureToDevice;
  const QPainterPath* area =
      fill.style.object && !fill.style.object->area.isEmpty() ? &fill.style.object->area : nullptr;
  if (!fill.everywhere) {
    FillPath(fill.shape, FillBrush(fill.style, toDevice), area, toDevice);
    return;
  }
  QPainterPath frame;
  frame.addRect(target_.frame.normalized());
  FillPath(view.worldToPicture.inverted().map(frame), FillBrush(fill.style, toDevice), area, toDevice);
}

void TEmfPlusPainter::FillPath(const QPainterPath& path, const QBrush& brush, const QPainterPath* area,
                               const QTransform& toDevice) {
  if (path.isEmpty() || brush.style() == Qt::NoBrush) return;
  if (area && path.elementCount() <= kMaxAreaElements) {
    FillPath(path.intersected(*area), brush, nullptr, toDevice);
    return;
  }
  QPainter& painter = *target_.painter;
  const QRectF bounds = toDevice.mapRect(path.controlPointRect());
  if (!FiniteRect(bounds) || !Overlaps(bounds, visible_)) return;
  painter.setPen(Qt::NoPen);
  if (Within(bounds, near_)) {
    painter.setTransform(toDevice);
    painter.setBrush(brush);
    painter.drawPath(path);
    return;
  }
  QPainterPath cut;
  cut.setFillRule(path.fillRule());
  for (const QPolygonF& polygon : path.toSubpathPolygons(toDevice)) {
    const QPolygonF clipped = ClipPolygonToRect(polygon, near_);
    if (clipped.size() >= 3) cut.addPolygon(clipped);
  }
  QBrush deviceBrush = brush;
  deviceBrush.setTransform(brush.transform() * toDevice);
  painter.setTransform(QTransform());
  painter.setBrush(deviceBrush);
  painter.drawPath(cut);
}

void TEmfPlusPainter::Stroke(const TEmfPlusStroke& stroke, const TEmfPlusView& view) {
  StrokePath(stroke.shape, DevicePen(*stroke.pen, view), *stroke.pen,
             view.worldToPicture * target_.pictureToDevice);
}

void TEmfPlusPainter::StrokePath(const QPainterPath& path, const QPen& pen, const TEmfPlusPen& penObject,
                                 const QTransform& toDevice) {
  if (path.isEmpty() || pen.style() == Qt::NoPen) return;
  QPainter& painter = *target_.painter;
  // Lines are drawn in device space, or where the pen's own transform leaves its nib round: world
  // units may be too small for QPen's width range.
  const TEmfPlusStrokeSpace space = EmfPlusStrokeSpace(penObject.transform, toDevice, pen.widthF());
  const QTransform toStroke = toDevice * space.fromDevice;
  const double radius = space.width * EmfPlusMaxScale(space.toDevice) / 2 + 2;
  if (!EmfPlusFinite(radius)) return;
  const QRectF bounds = toDevice.mapRect(path.controlPointRect()).adjusted(-radius, -radius, radius, radius);
  if (!FiniteRect(bounds) || !Overlaps(bounds, visible_)) return;
  QPen strokePen = pen;
  strokePen.setWidthF(space.width);
  QBrush brush = pen.brush();
  brush.setTransform(brush.transform() * toStroke);
  strokePen.setBrush(brush);
  painter.setTransform(space.toDevice);
  painter.setPen(strokePen);
  painter.setBrush(Qt::NoBrush);
  const TEmfPlusCapShape &startCap = penObject.startCap, &endCap = penObject.endCap;
  const bool caps = !startCap.shape.isEmpty() || !endCap.shape.isEmpty();
  const bool compound = !penObject.compound.empty() && path.elementCount() <= kMaxCompoundElements;
  const bool near = Within(bounds, near_);
  if (near && !compound && !caps) {
    painter.drawPath(toStroke.map(path));
    return;
  }
  const QList<QPolygonF> lines = path.toSubpathPolygons(toStroke);
  const bool ends = caps && lines.size() <= kMaxLineEnds;
  // Open lines stop short of the end shapes that cover their ends.
  const double startInset = ends && !startCap.shape.isEmpty() ? startCap.inset * space.width : 0;
  const double endInset = ends && !endCap.shape.isEmpty() ? endCap.inset * space.width : 0;
  const bool inset = startInset > 0 || endInset > 0;
  if (near && !compound && !inset) {
    painter.drawPath(toStroke.map(path));
  } else {
    // Far-reaching lines are cut down to the area they can show in.
    const QRectF reach = near_.adjusted(-radius, -radius, radius, radius);
    for (const QPolygonF& line : lines) {
      const QPolygonF drawn = inset && !line.isClosed() ? TrimPolyline(line, startInset, endInset) : line;
      for (const QPolygonF& piece : ClipPolylineToRect(space.toDevice.map(drawn), reach))
        compound ? DrawCompound(space.fromDevice.map(piece), strokePen, penObject)
                 : painter.drawPolyline(space.fromDevice.map(piece));
    }
  }
  if (ends) DrawCaps(lines, strokePen, penObject, space.toDevice);
}

void TEmfPlusPainter::DrawCompound(const QPolygonF& line, const QPen& pen, const TEmfPlusPen& penObject) {
  QPainter& painter = *target_.painter;
  const double width = pen.widthF();
  const bool closed = line.size() > 2 && line.isClosed();
  for (const auto& [from, to] : penObject.compound) {
    const QPolygonF offset = OffsetPolyline(line, ((from + to) / 2 - 0.5) * width);
    if (offset.size() < 2) continue;
    QPainterPath part;
    part.addPolygon(offset);
    if (closed) part.closeSubpath();
    QPen partPen = pen;
    partPen.setWidthF(std::max((to - from) * width, kMinCompoundPartWidth));
    painter.setPen(partPen);
    painter.drawPath(part);
  }
  painter.setPen(pen);
}

void TEmfPlusPainter::DrawCaps(const QList<QPolygonF>& lines, const QPen& pen, const TEmfPlusPen& penObject,
                               const QTransform& toDevice) {
  QPainter& painter = *target_.painter;
  const double width = pen.widthF() > 0 ? pen.widthF() : 1;
  const auto draw = [&](const TEmfPlusCapShape& cap, const QPolygonF& line, bool atEnd) {
    if (cap.shape.isEmpty() || line.size() < 2 || line.isClosed()) return;
    const QPointF tip = atEnd ? line.last() : line.first();
    if (!near_.contains(toDevice.map(tip))) return;
    // The direction comes from the nearest point that differs from the tip.
    for (qsizetype i = 1; i < line.size(); ++i) {
      const QPointF along = tip - (atEnd ? line[line.size() - 1 - i] : line[i]);
      const double distance = std::hypot(along.x(), along.y());
      if (!(distance > 0)) continue;
      const QPointF unit = along / distance;
      // Cap space: x across the line, y along it, in pen widths.
      const QTransform place(-unit.y() * width, unit.x() * width, unit.x() * width, unit.y() * width, tip.x(),
                             tip.y());
      QPen outline = pen;
      outline.setStyle(Qt::SolidLine);
      outline.setWidthF(cap.filled ? 0 : pen.widthF());
      painter.setPen(cap.filled ? QPen(Qt::NoPen) : outline);
      painter.setBrush(cap.filled ? pen.brush() : QBrush(Qt::NoBrush));
      painter.drawPath(place.map(cap.shape));
      return;
    }
  };
  for (const QPolygonF& line : lines) {
    draw(penObject.startCap, line, false);
    draw(penObject.endCap, line, true);
  }
}

bool TEmfPlusPainter::DrawImage(const TEmfPlusDrawImage& draw, const TEmfPlusView& view) {
  const TEmfPlusImage& image = *draw.image;
  const QTransform toDevice = draw.placement * view.worldToPicture * target_.pictureToDevice;
  const QRectF bounds = toDevice.mapRect(kUnitSquare);
  if (!toDevice.isInvertible() || !EmfPlusFinite(bounds.width()) || !EmfPlusFinite(bounds.height()) ||
      !Overlaps(bounds, visible_))
    return false;
  QPainter& painter = *target_.painter;
  painter.setTransform(toDevice);
  if (image.metafile) {
    const QRectF part = MetafileSourcePart(*image.metafile, draw.sourceUnit, draw.source);
    if (part.isEmpty()) return false;
    if (part != kUnitSquare) painter.setClipRect(kUnitSquare, Qt::IntersectClip);
    // The metafile's records blend with each other as they would on their own.
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    image.metafile->Draw(painter, part, target_.pixelOnDevice);
    return true;
  }
  const QRectF bitmap(image.bitmap.rect());
  const bool whole = draw.source.width() <= 0 || draw.source.height() <= 0;
  const QRectF source = whole ? bitmap : draw.source;
  if (!draw.attributes || bitmap.contains(source)) {
    painter.drawImage(kUnitSquare, image.bitmap, source);
    return false;
  }
  DrawWrapped(image.bitmap, source, *draw.attributes);
  return false;
}

void TEmfPlusPainter::DrawWrapped(const QImage& bitmap, const QRectF& source,
                                  const TEmfPlusImageAttributes& attributes) {
  if (!FiniteRect(source)) return;
  QPainter& painter = *target_.painter;
  // The bitmap's pixels onto the unit square.
  const QTransform pixels = QTransform::fromTranslate(-source.x(), -source.y()) *
                            QTransform::fromScale(1 / source.width(), 1 / source.height());
  const bool tiled = attributes.wrap >= EmfPlus::kWrapTile && attributes.wrap <= EmfPlus::kWrapTileFlipXY;
  const bool flips = EmfPlusWrapFlipsX(attributes.wrap) || EmfPlusWrapFlipsY(attributes.wrap);
  if (tiled && !(flips && bitmap.width() * std::int64_t{bitmap.height()} > kMaxMirroredTilePixels)) {
    QBrush tile(EmfPlusWrapTile(bitmap, attributes.wrap));
    tile.setTransform(pixels);
    painter.fillRect(kUnitSquare, tile);
    return;
  }
  // Clamped: the bitmap once, and the clamp colour around it.
  const QRectF inside = source.intersected(QRectF(bitmap.rect()));
  if (!inside.isEmpty()) painter.drawImage(pixels.mapRect(inside), bitmap, inside);
  if (attributes.clampColour.alpha() == 0) return;
  QPainterPath around, shown;
  around.addRect(kUnitSquare);
  shown.addRect(pixels.mapRect(QRectF(bitmap.rect())));
  painter.fillPath(around.subtracted(shown), attributes.clampColour);
}

void TEmfPlusPainter::DrawString(const TEmfPlusDrawString& text, const TEmfPlusView& view) {
  const QTransform toDevice = view.worldToPicture * target_.pictureToDevice;
  DrawEmfPlusString(*target_.painter, toDevice, text.text, text.layout, *text.font, text.format.get(),
                    EmSize(text.font->unit, text.font->emSize, view), FillBrush(text.style, toDevice),
                    textOutlines_);
}

void TEmfPlusPainter::DrawDriverString(const TEmfPlusDrawDriverString& text, const TEmfPlusView& view) {
  const QTransform toDevice = view.worldToPicture * target_.pictureToDevice;
  const double em = EmSize(text.font->unit, text.font->emSize, view);
  const QBrush brush = FillBrush(text.style, toDevice);
  if (text.byCharacters)
    DrawEmfPlusGlyphs(*target_.painter, text.matrix * toDevice, text.characters, text.origins, *text.font, em,
                      brush, textOutlines_);
  else
    DrawEmfPlusGlyphIndices(*target_.painter, text.matrix * toDevice, text.glyphs, text.origins, *text.font,
                            em, brush, textOutlines_);
}
