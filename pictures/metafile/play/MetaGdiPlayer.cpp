// The metafile player's pens, raster modes, pixels, gradients and regions.
#include <uemf.h>

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <functional>

#include "metafile/draw/MetaRegionPath.h"
#include "metafile/play/MetaBitmapPlayer.h"
#include "metafile/play/MetaPen.h"
#include "metafile/play/MetafilePlayer.h"

namespace {

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

QColor ColourRef(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

void Recolour(QPen& pen, QBrush& brush, const std::function<QColor(const QColor&)>& change) {
  if (pen.style() != Qt::NoPen) pen.setColor(change(pen.color()));
  if (brush.style() != Qt::NoBrush && brush.style() != Qt::TexturePattern)
    brush.setColor(change(brush.color()));
}

// Angles in 1/65536 degree.
double Degrees(std::int32_t fixed) {
  return static_cast<double>(fixed) / 65536.0;
}

// A clip region record of no region: back to the default clipping.
constexpr TMetaCommand kNoClipRegion(EMetaOp::SelectClipRegion,
                                     TMetaClipRects{.mode = U_RGN_COPY, .first = 0, .count = -1});

}  // namespace

double TMetafilePlayer::PixelSize() const {
  if (referencePixel_ > 0) {
    const double scale = std::sqrt(std::abs(toTarget_.determinant()));
    if (scale > 0 && std::isfinite(scale)) return referencePixel_ / scale;
  }
  if (list_.width <= 0 || !(list_.frame.width() > 0)) return 1;
  // GDI's thinnest line is a pixel of the recording device, never less than a screen pixel.
  return std::max(list_.frame.width() / list_.width, list_.devicePixel);
}

QRectF TMetafilePlayer::FramedBox(const QRectF& box) const {
  if (!dc_.penInsideFrame || dc_.pen.style() == Qt::NoPen) return box;
  const double half = dc_.pen.widthF() / 2;
  if (half <= 0.5) return box;
  // A pen wider than the box fills it: the shape shrinks to a line through its middle.
  const double dx = std::min(half, box.width() / 2), dy = std::min(half, box.height() / 2);
  return box.adjusted(dx, dy, -dx, -dy);
}

QPen TMetafilePlayer::StrokePen() const {
  // Drawings draw many shapes with each pen they select: the pen to draw with is made once for a pen
  // and mapping.
  if (!strokePenMade_ || !(strokePenOf_ == dc_.pen) || strokePenMapping_ != mappingChanges_) {
    strokePen_ = MetaPenForDrawing(dc_.pen, logicalToPicture_, PixelSize());
    strokePenOf_ = dc_.pen;
    strokePenMapping_ = mappingChanges_;
    strokePenMade_ = true;
  }
  return strokePen_;
}

QBrush TMetafilePlayer::FillBrush(const QBrush& brush) const {
  if (!Hatched(brush)) return brush;
  const double scale = std::sqrt(std::abs(logicalToPicture_.determinant()));
  if (!(scale > 0) || !std::isfinite(scale)) return brush;
  QBrush scaled = brush;
  const double unit = PixelSize() / scale;
  scaled.setTransform(QTransform::fromScale(unit, unit));
  return scaled;
}

bool TMetafilePlayer::BeginMix(QPen& pen, QBrush& brush) {
  if (!painter_) return true;
  const bool rasterOps =
      painter_->paintEngine() && painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
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
  painter_->setCompositionMode(mode);
  if (exact) painter_->setRenderHint(QPainter::Antialiasing, false);
  return true;
}

void TMetafilePlayer::PaintMixed(QPen pen, QBrush brush, const std::function<void()>& paint,
                                 const QRectF* logicalBox) {
  if (!BeginMix(pen, brush)) return;
  const QPainter::CompositionMode mode = painter_->compositionMode();
  // Hatch patterns scaled with the picture are sampled smoothly, so that shrunk ones grey out evenly
  // instead of breaking up.
  const bool smooth = painter_->testRenderHint(QPainter::SmoothPixmapTransform);
  if (Hatched(brush)) painter_->setRenderHint(QPainter::SmoothPixmapTransform, true);
  const auto pass = [&](const QPen& passPen, const QBrush& passBrush) {
    if (mode != QPainter::CompositionMode_SourceOver) {
      // The picture starts on transparent ground that stands for white paper. Where the shape falls
      // on it, it is made white first, so that the mix acts on it as on paper.
      QPen groundPen = passPen;
      if (groundPen.style() != Qt::NoPen) groundPen.setColor(QColor(255, 255, 255));
      painter_->setCompositionMode(QPainter::CompositionMode_DestinationOver);
      painter_->setPen(groundPen);
      painter_->setBrush(passBrush.style() == Qt::NoBrush ? QBrush(Qt::NoBrush)
                                                          : QBrush(QColor(255, 255, 255)));
      paint();
      painter_->setCompositionMode(mode);
    }
    painter_->setPen(passPen);
    painter_->setBrush(passBrush);
    paint();
  };
  if (pen.style() == Qt::NoPen || !Hairline(pen)) {
    pass(pen, brush);
  } else {
    if (brush.style() != Qt::NoBrush) pass(QPen(Qt::NoPen), brush);
    const QTransform shapeTransform = painter_->transform();
    painter_->setTransform(shapeTransform * StrokePlacement(logicalBox));
    pass(pen, QBrush(Qt::NoBrush));
    painter_->setTransform(shapeTransform);
  }
  // Setting a hint, even to what it is, makes the paint engine look at its state again.
  if (painter_->testRenderHint(QPainter::SmoothPixmapTransform) != smooth)
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  EndMix();
}

bool TMetafilePlayer::Hairline(const QPen& pen) const {
  if (pen.isCosmetic() || pen.widthF() == 0) return true;
  const double scale = std::sqrt(std::abs(logicalToPicture_.determinant()));
  return pen.widthF() * scale < 1.5 * PixelSize();
}

QPointF TMetafilePlayer::HalfPixel() const {
  const double pixelX = PixelSize();
  const double pixelY = referencePixel_ == 0 && list_.height > 0 && list_.frame.height() > 0
                            ? list_.frame.height() / list_.height
                            : pixelX;
  return toTarget_.map(QPointF(pixelX / 2, pixelY / 2)) - toTarget_.map(QPointF(0, 0));
}

QTransform TMetafilePlayer::StrokePlacement(const QRectF* logicalBox) const {
  const QPointF& half = halfPixel_;
  if (logicalBox == nullptr || !dc_.world.isIdentity()) return QTransform::fromTranslate(half.x(), half.y());
  const QRectF onTarget = (logicalToPicture_ * toTarget_).mapRect(*logicalBox);
  if (onTarget.width() <= 0 || onTarget.height() <= 0) return QTransform::fromTranslate(half.x(), half.y());
  // The box loses one pixel at its right and bottom, and its outline runs through the middle of the
  // pixels at its edges: the outline shrinks by half a pixel on every side.
  const double keepX = std::max(0.01, 1 - 2 * std::abs(half.x()) / onTarget.width());
  const double keepY = std::max(0.01, 1 - 2 * std::abs(half.y()) / onTarget.height());
  const QPointF centre = onTarget.center();
  return QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform::fromScale(keepX, keepY) *
         QTransform::fromTranslate(centre.x(), centre.y());
}

void TMetafilePlayer::EndMix() {
  if (!painter_) return;
  painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (!painter_->testRenderHint(QPainter::Antialiasing))
    painter_->setRenderHint(QPainter::Antialiasing, true);
}

void TMetafilePlayer::FillHatchBackground(const QPainterPath& logicalPath) {
  if (!painter_ || !dc_.bkOpaque || !Hatched(dc_.brush)) return;
  PaintMixed(QPen(Qt::NoPen), QBrush(ColourRef(dc_.bkColour)), [&] { painter_->drawPath(logicalPath); });
}

void TMetafilePlayer::ExecuteGdi(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::CreateExtPen: {
      const auto& pen = c.Args<TMetaExtPenArgs>();
      if (pen.slot < 0 || static_cast<std::size_t>(pen.slot) >= objects_.size()) break;
      TObject& object = objects_[static_cast<std::size_t>(pen.slot)];
      object = TObject();
      std::vector<std::uint32_t> dashes;
      if (pen.dashCount > 0 && pen.firstDash >= 0 &&
          static_cast<std::uint64_t>(pen.firstDash) + static_cast<std::uint64_t>(pen.dashCount) <=
              list_.penDashes.size())
        dashes.assign(list_.penDashes.begin() + pen.firstDash,
                      list_.penDashes.begin() + pen.firstDash + pen.dashCount);
      object.kind = TObject::EKind::Pen;
      object.pen = MetaExtPen(pen.style, pen.width, pen.colour, dashes);
      object.insideFrame = (pen.style & U_PS_STYLE_MASK) == U_PS_INSIDEFRAME;
      break;
    }
    case EMetaOp::CreateRegion: {
      const auto& region = c.Args<TMetaRegionArgs>();
      if (region.slot < 0 || static_cast<std::size_t>(region.slot) >= objects_.size()) break;
      TObject& object = objects_[static_cast<std::size_t>(region.slot)];
      object = TObject();
      object.kind = TObject::EKind::Region;
      object.regionFirst = region.first;
      object.regionCount = region.count;
      break;
    }
    case EMetaOp::SetTextJustification: {
      // A count of 0 or less clears the justification, as does no extra space.
      const auto& justification = c.Args<TMetaJustification>();
      const bool breaks = justification.breaks > 0;
      dc_.breakExtra = breaks ? std::clamp(justification.extra, -kMaxMetaFontUnits, kMaxMetaFontUnits) : 0;
      dc_.breakCount = breaks ? justification.breaks : 0;
      break;
    }
    case EMetaOp::SetRop2: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode >= U_R2_BLACK && mode <= U_R2_WHITE) dc_.rop2 = mode;
      break;
    }
    case EMetaOp::SetPixel: {
      const auto& pixelArgs = c.Args<TMetaPixel>();
      const QPointF at = logicalToPicture_.map(QPointF(pixelArgs.at.x, pixelArgs.at.y));
      const double pixel = PixelSize();
      const QRectF dot(at, QSizeF(pixel, pixel));
      if (!painter_) {
        bounds_ = measured_ ? bounds_.united(dot) : dot;
        measured_ = true;
        break;
      }
      painter_->setTransform(toTarget_);
      PaintMixed(QPen(Qt::NoPen), QBrush(ColourRef(pixelArgs.colour)), [&] { painter_->drawRect(dot); });
      painter_->setTransform(logicalToPicture_ * toTarget_);
      break;
    }
    case EMetaOp::GradientFill:
      PlayGradient(c.Args<TMetaIndex>().index);
      break;
    case EMetaOp::AngleArc:
      PlayAngleArc(c.Args<TMetaAngleArcArgs>());
      break;
    case EMetaOp::PolyDraw:
      PlayPolyDraw(c.Args<TMetaPolyDrawArgs>());
      break;
    case EMetaOp::FlattenPath:
    case EMetaOp::WidenPath:
      ReshapePath(c.Op());
      break;
    case EMetaOp::FillRegion:
    case EMetaOp::FrameRegion:
    case EMetaOp::PaintRegion:
    case EMetaOp::InvertRegion:
      PlayRegion(c);
      break;
    case EMetaOp::SelectClipObject: {
      const std::int32_t slot = c.Args<TMetaSlot>().slot;
      if (slot >= 0 && static_cast<std::size_t>(slot) < objects_.size() &&
          objects_[static_cast<std::size_t>(slot)].kind == TObject::EKind::Region) {
        ClipToRegion(objects_[static_cast<std::size_t>(slot)]);
      } else {
        // No region: back to the default clipping.
        ChangeClip(kNoClipRegion);
      }
      break;
    }
    default:
      break;
  }
}

void TMetafilePlayer::ClipToRegion(const TObject& region) {
  if (region.regionFirst < 0 || region.regionCount < 0 ||
      static_cast<std::uint64_t>(region.regionFirst) + static_cast<std::uint64_t>(region.regionCount) >
          list_.regionRects.size())
    return;
  if (region.regionCount == 0) {
    ChangeClip(kNoClipRegion);
    return;
  }
  const QPainterPath shape =
      logicalToPicture_.map(RegionPath(list_.regionRects.data() + region.regionFirst, region.regionCount));
  if (CombineClip(shape, U_RGN_COPY)) ApplyClip();
}

bool TMetafilePlayer::RegionRects(const TMetaRegion& region, std::int32_t& first, std::int32_t& count) const {
  if (region.object >= 0) {
    if (static_cast<std::size_t>(region.object) >= objects_.size()) return false;
    const TObject& object = objects_[static_cast<std::size_t>(region.object)];
    if (object.kind != TObject::EKind::Region) return false;
    first = object.regionFirst, count = object.regionCount;
  } else {
    first = region.first, count = region.count;
  }
  return first >= 0 && count > 0 &&
         static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) <= list_.regionRects.size();
}

QBrush TMetafilePlayer::BrushByIndex(std::int32_t index) const {
  if (list_.enhanced && (static_cast<std::uint32_t>(index) & U_STOCK_OBJECT)) {
    switch (static_cast<std::uint32_t>(index) & ~U_STOCK_OBJECT) {
      case U_WHITE_BRUSH & ~U_STOCK_OBJECT:
        return QBrush(QColor(255, 255, 255));
      case U_LTGRAY_BRUSH & ~U_STOCK_OBJECT:
        return QBrush(QColor(192, 192, 192));
      case U_GRAY_BRUSH & ~U_STOCK_OBJECT:
        return QBrush(QColor(128, 128, 128));
      case U_DKGRAY_BRUSH & ~U_STOCK_OBJECT:
        return QBrush(QColor(64, 64, 64));
      case U_BLACK_BRUSH & ~U_STOCK_OBJECT:
        return QBrush(QColor(0, 0, 0));
      default:
        return QBrush(Qt::NoBrush);
    }
  }
  if (index < 0 || static_cast<std::size_t>(index) >= objects_.size()) return QBrush(Qt::NoBrush);
  const TObject& object = objects_[static_cast<std::size_t>(index)];
  if (object.kind != TObject::EKind::Brush) return QBrush(Qt::NoBrush);
  return object.pattern >= 0 ? MetaPatternBrush(list_.patterns[static_cast<std::size_t>(object.pattern)],
                                                dc_.textColour, dc_.bkColour)
                             : object.brush;
}

void TMetafilePlayer::PlayRegion(const TMetaCommand& c) {
  // The region, and for fills and frames the brush and frame size.
  TMetaFrameRegionArgs args;
  if (c.Op() == EMetaOp::FrameRegion) {
    args = c.Args<TMetaFrameRegionArgs>();
  } else if (c.Op() == EMetaOp::FillRegion) {
    const auto& fill = c.Args<TMetaFillRegionArgs>();
    args.region = fill.region, args.brush = fill.brush;
  } else {
    args.region = c.Args<TMetaRegion>();
  }
  std::int32_t first = 0, count = 0;
  if (!RegionRects(args.region, first, count)) return;
  const QPainterPath region = RegionPath(list_.regionRects.data() + first, count);
  if (!painter_) {
    Measure(region.boundingRect());
    return;
  }
  QPen pen(Qt::NoPen);
  QBrush brush = c.Op() == EMetaOp::PaintRegion    ? SelectedBrush()
                 : c.Op() == EMetaOp::InvertRegion ? QBrush(QColor(255, 255, 255))
                                                   : BrushByIndex(args.brush);
  if (brush.style() == Qt::NoBrush) return;
  QPainterPath shape = region;
  if (c.Op() == EMetaOp::FrameRegion) {
    // The frame is the region less the region shrunk by the frame's width and height on every side.
    const double w = std::abs(static_cast<double>(args.width)),
                 h = std::abs(static_cast<double>(args.height));
    QPainterPath inner;
    for (std::int32_t i = 0; i < count; ++i) {
      const QRect& r = list_.regionRects[static_cast<std::size_t>(first + i)];
      const QRectF shrunk =
          QRectF(QPointF(r.topLeft()), QPointF(r.bottomRight() + QPoint(1, 1))).adjusted(w, h, -w, -h);
      if (shrunk.isValid() && !shrunk.isEmpty()) inner.addRect(shrunk);
    }
    if (count <= 64) shape = region.subtracted(inner);
  }
  const int savedRop = dc_.rop2;
  if (c.Op() == EMetaOp::InvertRegion) dc_.rop2 = U_R2_NOT;
  brush = PatternInPictureSpace(FillBrush(brush), painter_->transform());
  PaintMixed(pen, brush, [&] { painter_->drawPath(shape); });
  dc_.rop2 = savedRop;
}

void TMetafilePlayer::PlayGradient(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.gradients.size()) return;
  const TMetaGradient& gradient = list_.gradients[static_cast<std::size_t>(index)];
  if (gradient.vertices.empty()) return;
  if (!painter_) {
    QRectF box;
    for (const auto& shape : gradient.shapes)
      for (int k = 0; k < (gradient.mode == TMetaGradient::EMode::Triangle ? 3 : 2); ++k)
        if (shape[static_cast<std::size_t>(k)] < gradient.vertices.size()) {
          const QPointF p(gradient.vertices[shape[static_cast<std::size_t>(k)]]);
          box = box.isNull() ? QRectF(p, QSizeF(0, 0)) : box.united(QRectF(p, QSizeF(0, 0)));
        }
    if (!box.isNull()) Measure(box);
    return;
  }
  PaintMetaGradient(*painter_, gradient);
}

void TMetafilePlayer::PlayAngleArc(const TMetaAngleArcArgs& arc) {
  const double radius = static_cast<double>(arc.radius);
  const double start = Degrees(arc.start), sweep = Degrees(arc.sweep);
  const QPointF centre(arc.centre.x, arc.centre.y);
  const QRectF box(centre - QPointF(radius, radius), centre + QPointF(radius, radius));
  QPainterPath path(dc_.position);
  const double a = start * M_PI / 180;
  path.lineTo(centre + QPointF(radius * std::cos(a), -radius * std::sin(a)));
  if (radius > 0 && sweep != 0) path.arcTo(box, start, std::clamp(sweep, -720.0, 720.0));
  dc_.position = path.currentPosition();
  DrawConnected(path);
}

void TMetafilePlayer::PlayPolyDraw(const TMetaPolyDrawArgs& draw) {
  const std::int32_t count = draw.points.count;
  if (!ValidPoints(draw.points.first, count) || draw.firstType < 0 ||
      static_cast<std::uint64_t>(draw.firstType) + static_cast<std::uint64_t>(count) >
          list_.polyDrawTypes.size())
    return;
  constexpr std::uint8_t kClose = 0x01, kLine = 0x02, kBezier = 0x04, kMove = 0x06;
  const QPoint* p = list_.points.data() + draw.points.first;
  const std::uint8_t* types = list_.polyDrawTypes.data() + draw.firstType;
  QPainterPath figure(dc_.position);
  bool continuing = true;  // the first figure starts at the current position
  const auto finish = [&](bool close) {
    if (figure.elementCount() > 1) {
      if (!inPath_ && close) figure.closeSubpath();
      if (!continuing) figureOpen_ = false;
      DrawConnected(figure);
      if (inPath_ && close && figureOpen_) {
        path_.closeSubpath();
        figureOpen_ = false;
      }
    }
  };
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t type = types[i] & ~kClose;
    if (type == kMove) {
      finish(false);
      figure = QPainterPath(QPointF(p[i]));
      continuing = false;
    } else if (type == kLine) {
      figure.lineTo(p[i]);
    } else if (type == kBezier && i + 2 < count) {
      figure.cubicTo(p[i], p[i + 1], p[i + 2]);
      i += 2;
    } else {
      break;  // GDI fails the whole call on a bad type; what came before it is kept
    }
    dc_.position = p[i];
    if (types[i] & kClose) {
      finish(true);
      figure = QPainterPath(QPointF(p[i]));
      continuing = false;
    }
  }
  finish(false);
}

void TMetafilePlayer::ReshapePath(EMetaOp op) {
  if (path_.isEmpty()) return;
  if (op == EMetaOp::FlattenPath) {
    QPainterPath flat;
    flat.setFillRule(path_.fillRule());
    for (const QPolygonF& polygon : path_.toSubpathPolygons()) flat.addPolygon(polygon);
    path_ = flat;
    return;
  }
  // Widening outlines the path as the selected pen would draw it, in picture space.
  const QPen pen = StrokePen();
  if (pen.style() == Qt::NoPen) return;
  const double scale = std::sqrt(std::abs(logicalToPicture_.determinant()));
  QPainterPathStroker stroker(pen);
  stroker.setWidth(std::max(pen.widthF() * scale, PixelSize()));
  path_ = stroker.createStroke(path_);
  path_.setFillRule(Qt::WindingFill);
  figureOpen_ = false;
}
