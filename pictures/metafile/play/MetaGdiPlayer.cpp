// The metafile player's pens, raster modes, pixels, gradients and regions.
#include <uemf.h>

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <functional>

#include "metafile/play/MetaBitmapPlayer.h"
#include "metafile/play/MetaPen.h"
#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/MetaRegion.h"

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
  switch (c.op) {
    case EMetaOp::CreateExtPen:
    case EMetaOp::CreateRegion: {
      if (c.a < 0 || static_cast<std::size_t>(c.a) >= objects_.size()) break;
      TObject& object = objects_[static_cast<std::size_t>(c.a)];
      object = TObject();
      if (c.op == EMetaOp::CreateExtPen) {
        std::vector<std::uint32_t> dashes;
        if (c.f > 0 && c.e >= 0 &&
            static_cast<std::uint64_t>(c.e) + static_cast<std::uint64_t>(c.f) <= list_.penDashes.size())
          dashes.assign(list_.penDashes.begin() + c.e, list_.penDashes.begin() + c.e + c.f);
        object.kind = TObject::EKind::Pen;
        object.pen =
            MetaExtPen(static_cast<std::uint32_t>(c.b), c.c, static_cast<std::uint32_t>(c.d), dashes);
        object.insideFrame = (c.b & U_PS_STYLE_MASK) == U_PS_INSIDEFRAME;
      } else {
        object.kind = TObject::EKind::Region;
        object.regionFirst = c.b;
        object.regionCount = c.c;
      }
      break;
    }
    case EMetaOp::SetTextJustification:
      // A count of 0 or less clears the justification, as does no extra space.
      dc_.breakExtra = c.b > 0 ? std::clamp(c.a, -kMaxMetaFontUnits, kMaxMetaFontUnits) : 0;
      dc_.breakCount = c.b > 0 ? c.b : 0;
      break;
    case EMetaOp::SetRop2:
      if (c.a >= U_R2_BLACK && c.a <= U_R2_WHITE) dc_.rop2 = c.a;
      break;
    case EMetaOp::SetPixel: {
      const QPointF at = logicalToPicture_.map(QPointF(c.a, c.b));
      const double pixel = PixelSize();
      const QRectF dot(at, QSizeF(pixel, pixel));
      if (!painter_) {
        bounds_ = measured_ ? bounds_.united(dot) : dot;
        measured_ = true;
        break;
      }
      painter_->setTransform(toTarget_);
      PaintMixed(QPen(Qt::NoPen), QBrush(ColourRef(static_cast<std::uint32_t>(c.c))),
                 [&] { painter_->drawRect(dot); });
      painter_->setTransform(logicalToPicture_ * toTarget_);
      break;
    }
    case EMetaOp::GradientFill:
      PlayGradient(c);
      break;
    case EMetaOp::AngleArc:
      PlayAngleArc(c);
      break;
    case EMetaOp::PolyDraw:
      PlayPolyDraw(c);
      break;
    case EMetaOp::FlattenPath:
    case EMetaOp::WidenPath:
      ReshapePath(c.op);
      break;
    case EMetaOp::FillRegion:
    case EMetaOp::FrameRegion:
    case EMetaOp::PaintRegion:
    case EMetaOp::InvertRegion:
      PlayRegion(c);
      break;
    case EMetaOp::SelectClipObject:
      if (c.a >= 0 && static_cast<std::size_t>(c.a) < objects_.size() &&
          objects_[static_cast<std::size_t>(c.a)].kind == TObject::EKind::Region) {
        ClipToRegion(objects_[static_cast<std::size_t>(c.a)]);
      } else {
        // No region: back to the default clipping.
        ChangeClip({EMetaOp::SelectClipRegion, U_RGN_COPY, 0, -1});
      }
      break;
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
    ChangeClip({EMetaOp::SelectClipRegion, U_RGN_COPY, 0, -1});
    return;
  }
  const QPainterPath shape =
      logicalToPicture_.map(RegionPath(list_.regionRects.data() + region.regionFirst, region.regionCount));
  if (CombineClip(shape, U_RGN_COPY)) ApplyClip();
}

bool TMetafilePlayer::RegionRects(const TMetaCommand& c, std::int32_t& first, std::int32_t& count) const {
  if (c.a >= 0) {
    if (static_cast<std::size_t>(c.a) >= objects_.size()) return false;
    const TObject& object = objects_[static_cast<std::size_t>(c.a)];
    if (object.kind != TObject::EKind::Region) return false;
    first = object.regionFirst, count = object.regionCount;
  } else {
    first = c.b, count = c.c;
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
  std::int32_t first = 0, count = 0;
  if (!RegionRects(c, first, count)) return;
  const QPainterPath region = RegionPath(list_.regionRects.data() + first, count);
  if (!painter_) {
    Measure(region.boundingRect());
    return;
  }
  QPen pen(Qt::NoPen);
  QBrush brush = c.op == EMetaOp::PaintRegion    ? SelectedBrush()
                 : c.op == EMetaOp::InvertRegion ? QBrush(QColor(255, 255, 255))
                                                 : BrushByIndex(c.d);
  if (brush.style() == Qt::NoBrush) return;
  QPainterPath shape = region;
  if (c.op == EMetaOp::FrameRegion) {
    // The frame is the region less the region shrunk by the frame's width and height on every side.
    const double w = std::abs(static_cast<double>(c.e)), h = std::abs(static_cast<double>(c.f));
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
  if (c.op == EMetaOp::InvertRegion) dc_.rop2 = U_R2_NOT;
  brush = PatternInPictureSpace(FillBrush(brush), painter_->transform());
  PaintMixed(pen, brush, [&] { painter_->drawPath(shape); });
  dc_.rop2 = savedRop;
}

void TMetafilePlayer::PlayGradient(const TMetaCommand& c) {
  if (c.a < 0 || static_cast<std::size_t>(c.a) >= list_.gradients.size()) return;
  const TMetaGradient& gradient = list_.gradients[static_cast<std::size_t>(c.a)];
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

void TMetafilePlayer::PlayAngleArc(const TMetaCommand& c) {
  const double radius = static_cast<double>(c.c);
  const double start = Degrees(c.d), sweep = Degrees(c.e);
  const QPointF centre(c.a, c.b);
  const QRectF box(centre - QPointF(radius, radius), centre + QPointF(radius, radius));
  QPainterPath path(dc_.position);
  const double a = start * M_PI / 180;
  path.lineTo(centre + QPointF(radius * std::cos(a), -radius * std::sin(a)));
  if (radius > 0 && sweep != 0) path.arcTo(box, start, std::clamp(sweep, -720.0, 720.0));
  dc_.position = path.currentPosition();
  DrawConnected(path);
}

void TMetafilePlayer::PlayPolyDraw(const TMetaCommand& c) {
  if (!ValidPoints(c.a, c.b) || c.c < 0 ||
      static_cast<std::uint64_t>(c.c) + static_cast<std::uint64_t>(c.b) > list_.polyDrawTypes.size())
    return;
  constexpr std::uint8_t kClose = 0x01, kLine = 0x02, kBezier = 0x04, kMove = 0x06;
  const QPoint* p = list_.points.data() + c.a;
  const std::uint8_t* types = list_.polyDrawTypes.data() + c.c;
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
  for (std::int32_t i = 0; i < c.b; ++i) {
    const std::uint8_t type = types[i] & ~kClose;
    if (type == kMove) {
      finish(false);
      figure = QPainterPath(QPointF(p[i]));
      continuing = false;
    } else if (type == kLine) {
      figure.lineTo(p[i]);
    } else if (type == kBezier && i + 2 < c.b) {
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
