#include "metafile/emfplus/EmfPlusCommandReader.h"

#include <cmath>
#include <vector>

#include "metafile/emfplus/EmfPlusBudget.h"
#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusImageEffect.h"
#include "metafile/emfplus/EmfPlusObject.h"
#include "metafile/model/MetaBytes.h"

namespace {

using EmfPlus::ERecord;

// A page scale must be above this.
constexpr double kMinPageScale = 1e-6;
constexpr std::int64_t kMaxTextChars = 1 << 16;

// Fill records start with their brush: an object slot, or an ARGB colour with the S flag. The other
// fields of each record are named where it is read, by their offset in the record's data.
constexpr std::int64_t kFillBrush = 0;

// A matrix that may act on the world: finite values below kMaxEmfPlusValue, and invertible.
bool Usable(const QTransform& m) {
  return m.isInvertible() && EmfPlusFinite(m.m11()) && EmfPlusFinite(m.m12()) && EmfPlusFinite(m.m21()) &&
         EmfPlusFinite(m.m22()) && EmfPlusFinite(m.dx()) && EmfPlusFinite(m.dy());
}

int Slot(std::uint16_t flags) {
  return flags & EmfPlus::kFlagObjectId;
}

QPainterPath RectPath(const QRectF& rect) {
  QPainterPath path;
  path.addRect(rect.normalized());
  return path;
}

QPainterPath EllipsePath(const QRectF& rect) {
  QPainterPath path;
  path.addEllipse(rect.normalized());
  return path;
}

QPainterPath PolygonPath(const std::vector<QPointF>& points, bool closed) {
  QPainterPath path;
  if (points.empty()) return path;
  path.moveTo(points.front());
  for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i]);
  if (closed) path.closeSubpath();
  return path;
}

QString ReadText(const TMetaBytes& b, std::int64_t at, std::int64_t length) {
  QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
  for (std::int64_t i = 0; i < length; ++i) text[static_cast<qsizetype>(i)] = QChar(b.U16(at + 2 * i));
  return text;
}

// Reads the records of one kind, with what they all need at hand.
class TRecordReader {
 public:
  TRecordReader(std::uint16_t flags, const TMetaBytes& b, const TEmfPlusObjectTable& objects,
                const TEmfPlusImageEffect* effect, TEmfPlusBudget* budget)
      : flags_(flags),
        b_(b),
        objects_(objects),
        effect_(effect),
        budget_(budget),
        compressed_(flags & EmfPlus::kFlagCompressed) {}

  std::optional<TEmfPlusCommand> State(ERecord type) const;
  std::optional<TEmfPlusCommand> Transform(ERecord type) const;
  std::optional<TEmfPlusCommand> Clip(ERecord type) const;
  std::optional<TEmfPlusCommand> Fill(ERecord type) const;
  std::optional<TEmfPlusCommand> Stroke(ERecord type) const;
  std::optional<TEmfPlusCommand> Curve(ERecord type) const;
  std::optional<TEmfPlusCommand> Image(ERecord type) const;
  std::optional<TEmfPlusCommand> String() const;
  std::optional<TEmfPlusCommand> DriverString() const;

 private:
  // The brush of a fill record: an ARGB colour when the S flag is set, else a brush object.
  std::optional<TEmfPlusFillStyle> FillStyle() const;
  std::optional<TEmfPlusCommand> Filled(QPainterPath shape) const;
  std::optional<TEmfPlusCommand> Stroked(std::int64_t penSlot, QPainterPath shape) const;
  // The points or the rectangles of a record, their count at countAt; false when they do not fit.
  bool Points(std::int64_t countAt, std::int64_t pointsAt, std::vector<QPointF>& points) const {
    return ReadEmfPlusPoints(b_, pointsAt, b_.U32(countAt), EmfPlusPointForm(flags_), points);
  }
  bool Rects(std::int64_t countAt, std::int64_t rectsAt, QPainterPath& path) const;
  // The image with the serialized effect applied to its bitmap, when the record asks for it.
  std::shared_ptr<const TEmfPlusImage> WithEffect(std::shared_ptr<const TEmfPlusImage> image) const;

  std::uint16_t flags_;
  const TMetaBytes& b_;
  const TEmfPlusObjectTable& objects_;
  const TEmfPlusImageEffect* effect_;
  TEmfPlusBudget* budget_;
  bool compressed_;
};

std::optional<TEmfPlusCommand> TRecordReader::State(ERecord type) const {
  // Save, Restore, EndContainer and BeginContainerNoParams hold the state's id alone.
  constexpr std::int64_t kId = 0;
  switch (type) {
    case ERecord::SetAntiAliasMode:
      return TEmfPlusSetAntialias{(flags_ & EmfPlus::kFlagAntiAlias) != 0};
    case ERecord::SetCompositingMode:
      return TEmfPlusSetCompositing{(flags_ & EmfPlus::kFlagModeMask) == EmfPlus::kCompositingSourceCopy};
    case ERecord::Save:
      return TEmfPlusSave{b_.U32(kId)};
    case ERecord::Restore:
    case ERecord::EndContainer:
      return TEmfPlusRestore{b_.U32(kId)};
    case ERecord::BeginContainerNoParams:
      return TEmfPlusBeginContainerNoParams{b_.U32(kId)};
    case ERecord::BeginContainer: {
      constexpr std::int64_t kDestination = 0, kSource = 16, kContainerId = 32;
      const QRectF to = ReadEmfPlusRect(b_, kDestination, false), from = ReadEmfPlusRect(b_, kSource, false);
      TEmfPlusBeginContainer container{b_.U32(kContainerId), std::nullopt};
      if (from.width() != 0 && from.height() != 0)
        container.sourceToDestination =
            QTransform::fromTranslate(-from.x(), -from.y()) *
            QTransform::fromScale(to.width() / from.width(), to.height() / from.height()) *
            QTransform::fromTranslate(to.x(), to.y());
      return std::make_unique<const TEmfPlusBeginContainer>(std::move(container));
    }
    default:
      return std::nullopt;
  }
}

std::optional<TEmfPlusCommand> TRecordReader::Transform(ERecord type) const {
  // A matrix; or x and y to translate or scale by; or an angle in degrees.
  constexpr std::int64_t kMatrix = 0, kX = 0, kY = 4, kAngle = 0;
  constexpr std::int64_t kPageScale = 0;
  QTransform matrix;
  switch (type) {
    case ERecord::SetWorldTransform:
      matrix = ReadEmfPlusMatrix(b_, kMatrix);
      if (!Usable(matrix) || !EmfPlusFinite(EmfPlusMaxScale(matrix))) return std::nullopt;
      return std::make_unique<const TEmfPlusSetWorld>(TEmfPlusSetWorld{matrix});
    case ERecord::ResetWorldTransform:
      return TEmfPlusResetWorld{};
    case ERecord::SetPageTransform: {
      const double scale = EmfPlusFloat(b_, kPageScale);
      if (!EmfPlusFinite(scale) || scale <= kMinPageScale) return std::nullopt;
      return TEmfPlusSetPage{flags_ & EmfPlus::kFlagModeMask, scale};
    }
    case ERecord::MultiplyWorldTransform:
      matrix = ReadEmfPlusMatrix(b_, kMatrix);
      break;
    case ERecord::TranslateWorldTransform:
      matrix = QTransform::fromTranslate(EmfPlusFloat(b_, kX), EmfPlusFloat(b_, kY));
      break;
    case ERecord::ScaleWorldTransform:
      matrix = QTransform::fromScale(EmfPlusFloat(b_, kX), EmfPlusFloat(b_, kY));
      break;
    case ERecord::RotateWorldTransform: {
      const double angle = EmfPlusFloat(b_, kAngle);
      if (!EmfPlusFinite(angle)) return std::nullopt;
      matrix.rotate(angle);
      break;
    }
    default:
      return std::nullopt;
  }
  if (!Usable(matrix)) return std::nullopt;
  return std::make_unique<const TEmfPlusMultiplyWorld>(
      TEmfPlusMultiplyWorld{matrix, (flags_ & EmfPlus::kFlagAppend) != 0});
}

std::optional<TEmfPlusCommand> TRecordReader::Clip(ERecord type) const {
  const int mode = (flags_ >> EmfPlus::kFlagCombineModeShift) & EmfPlus::kFlagCombineModeMask;
  switch (type) {
    case ERecord::ResetClip:
      return TEmfPlusResetClip{};
    case ERecord::SetClipRect: {
      constexpr std::int64_t kRect = 0;
      return TEmfPlusSetClip{RectPath(ReadEmfPlusRect(b_, kRect, false)), false, mode};
    }
    case ERecord::SetClipPath: {
      const auto path = objects_.Get<TEmfPlusPath>(Slot(flags_));
      if (!path) return std::nullopt;
      return TEmfPlusSetClip{path->path, false, mode};
    }
    case ERecord::SetClipRegion: {
      const auto region = objects_.Get<TEmfPlusRegion>(Slot(flags_));
      if (!region) return std::nullopt;
      return TEmfPlusSetClip{region->path, region->infinite, mode};
    }
    case ERecord::OffsetClip: {
      constexpr std::int64_t kX = 0, kY = 4;
      const QPointF offset(EmfPlusFloat(b_, kX), EmfPlusFloat(b_, kY));
      if (!EmfPlusFinite(offset.x()) || !EmfPlusFinite(offset.y())) return std::nullopt;
      return TEmfPlusOffsetClip{offset};
    }
    default:
      return std::nullopt;
  }
}

std::optional<TEmfPlusFillStyle> TRecordReader::FillStyle() const {
  const std::uint32_t value = b_.U32(kFillBrush);
  if (flags_ & EmfPlus::kFlagColourBrush) return TEmfPlusFillStyle{EmfPlusColour(value), nullptr};
  auto brush = objects_.Get<TEmfPlusBrush>(value);
  if (!brush) return std::nullopt;
  return TEmfPlusFillStyle{QColor(), std::move(brush)};
}

std::optional<TEmfPlusCommand> TRecordReader::Filled(QPainterPath shape) const {
  std::optional<TEmfPlusFillStyle> style = FillStyle();
  if (!style) return std::nullopt;
  return TEmfPlusFill{std::move(*style), std::move(shape), false};
}

std::optional<TEmfPlusCommand> TRecordReader::Stroked(std::int64_t penSlot, QPainterPath shape) const {
  auto pen = objects_.Get<TEmfPlusPen>(penSlot);
  if (!pen) return std::nullopt;
  return TEmfPlusStroke{std::move(pen), std::move(shape)};
}

bool TRecordReader::Rects(std::int64_t countAt, std::int64_t rectsAt, QPainterPath& path) const {
  const std::int64_t count = b_.U32(countAt), size = EmfPlusRectSize(compressed_);
  if (count > (b_.Size() - rectsAt) / size) return false;
  for (std::int64_t i = 0; i < count; ++i) path.addRect(ReadEmfPlusRect(b_, rectsAt + size * i, compressed_));
  return true;
}

// Fill records: the brush, then the shape's fields.
std::optional<TEmfPlusCommand> TRecordReader::Fill(ERecord type) const {
  std::vector<QPointF> points;
  QPainterPath path;
  switch (type) {
    case ERecord::Clear: {
      constexpr std::int64_t kColour = 0;
      return TEmfPlusClear{ReadEmfPlusColour(b_, kColour)};
    }
    case ERecord::FillRects: {
      constexpr std::int64_t kCount = 4, kRects = 8;
      if (!Rects(kCount, kRects, path)) return std::nullopt;
      return Filled(std::move(path));
    }
    case ERecord::FillPolygon: {
      constexpr std::int64_t kCount = 4, kPoints = 8;
      if (!Points(kCount, kPoints, points)) return std::nullopt;
      return Filled(PolygonPath(points, true));
    }
    case ERecord::FillEllipse: {
      constexpr std::int64_t kRect = 4;
      return Filled(EllipsePath(ReadEmfPlusRect(b_, kRect, compressed_)));
    }
    case ERecord::FillPie: {
      constexpr std::int64_t kStartAngle = 4, kSweepAngle = 8, kRect = 12;
      return Filled(EmfPlusArc(ReadEmfPlusRect(b_, kRect, compressed_).normalized(),
                               EmfPlusFloat(b_, kStartAngle), EmfPlusFloat(b_, kSweepAngle), true));
    }
    case ERecord::FillRegion: {
      const auto region = objects_.Get<TEmfPlusRegion>(Slot(flags_));
      if (!region) return std::nullopt;
      std::optional<TEmfPlusCommand> fill = Filled(region->path);
      if (fill) std::get<TEmfPlusFill>(*fill).everywhere = region->infinite;
      return fill;
    }
    case ERecord::FillPath: {
      const auto object = objects_.Get<TEmfPlusPath>(Slot(flags_));
      if (!object) return std::nullopt;
      return Filled(object->path);
    }
    default:
      return std::nullopt;
  }
}

// Line records: the pen in the flags, then the shape's fields.
std::optional<TEmfPlusCommand> TRecordReader::Stroke(ERecord type) const {
  std::vector<QPointF> points;
  QPainterPath path;
  switch (type) {
    case ERecord::DrawRects: {
      constexpr std::int64_t kCount = 0, kRects = 4;
      if (!Rects(kCount, kRects, path)) return std::nullopt;
      return Stroked(Slot(flags_), std::move(path));
    }
    case ERecord::DrawLines: {
      constexpr std::int64_t kCount = 0, kPoints = 4;
      if (!Points(kCount, kPoints, points)) return std::nullopt;
      return Stroked(Slot(flags_), PolygonPath(points, flags_ & EmfPlus::kFlagClosed));
    }
    case ERecord::DrawEllipse: {
      constexpr std::int64_t kRect = 0;
      return Stroked(Slot(flags_), EllipsePath(ReadEmfPlusRect(b_, kRect, compressed_)));
    }
    case ERecord::DrawPie:
    case ERecord::DrawArc: {
      constexpr std::int64_t kStartAngle = 0, kSweepAngle = 4, kRect = 8;
      return Stroked(Slot(flags_), EmfPlusArc(ReadEmfPlusRect(b_, kRect, compressed_).normalized(),
                                              EmfPlusFloat(b_, kStartAngle), EmfPlusFloat(b_, kSweepAngle),
                                              type == ERecord::DrawPie));
    }
    case ERecord::DrawPath: {
      // The path in the flags, the pen in the data.
      constexpr std::int64_t kPen = 0;
      const auto object = objects_.Get<TEmfPlusPath>(Slot(flags_));
      if (!object) return std::nullopt;
      return Stroked(b_.U32(kPen), object->path);
    }
    default:
      return std::nullopt;
  }
}

std::optional<TEmfPlusCommand> TRecordReader::Curve(ERecord type) const {
  std::vector<QPointF> points;
  switch (type) {
    case ERecord::FillClosedCurve: {
      constexpr std::int64_t kTension = 4, kCount = 8, kPoints = 12;
      if (!Points(kCount, kPoints, points)) return std::nullopt;
      QPainterPath path = CardinalSpline(points, EmfPlusFloat(b_, kTension), true);
      path.setFillRule(flags_ & EmfPlus::kFlagWinding ? Qt::WindingFill : Qt::OddEvenFill);
      return Filled(std::move(path));
    }
    case ERecord::DrawClosedCurve: {
      constexpr std::int64_t kTension = 0, kCount = 4, kPoints = 8;
      if (!Points(kCount, kPoints, points)) return std::nullopt;
      return Stroked(Slot(flags_), CardinalSpline(points, EmfPlusFloat(b_, kTension), true));
    }
    case ERecord::DrawCurve: {
      constexpr std::int64_t kTension = 0, kOffset = 4, kSegments = 8, kCount = 12, kPoints = 16;
      const std::int64_t offset = b_.U32(kOffset), segments = b_.U32(kSegments);
      if (!Points(kCount, kPoints, points)) return std::nullopt;
      const auto count = static_cast<std::int64_t>(points.size());
      if (offset >= count || segments > count) return std::nullopt;
      return Stroked(Slot(flags_), CardinalSplinePart(points, EmfPlusFloat(b_, kTension),
                                                      static_cast<int>(offset), static_cast<int>(segments)));
    }
    case ERecord::DrawBeziers: {
      // A start point, then three for each curve.
      constexpr std::int64_t kCount = 0, kPoints = 4;
      if (!Points(kCount, kPoints, points) || points.size() < 4) return std::nullopt;
      QPainterPath path(points[0]);
      for (std::size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
      return Stroked(Slot(flags_), std::move(path));
    }
    default:
      return std::nullopt;
  }
}

std::optional<TEmfPlusCommand> TRecordReader::Image(ERecord type) const {
  // The image attributes, the source's unit and rectangle, then where it goes.
  constexpr std::int64_t kAttributes = 0, kSourceUnit = 4, kSource = 8, kDestination = 24;
  constexpr std::int64_t kPointCount = 24, kPoints = 28;
  auto image = objects_.Get<TEmfPlusImage>(Slot(flags_));
  if (!image) return std::nullopt;
  TEmfPlusDrawImage draw{std::move(image), ReadEmfPlusRect(b_, kSource, false), b_.U32(kSourceUnit),
                         QTransform(), objects_.Get<TEmfPlusImageAttributes>(b_.U32(kAttributes))};
  if (type == ERecord::DrawImage) {
    const QRectF to = ReadEmfPlusRect(b_, kDestination, compressed_);
    draw.placement = QTransform(to.width(), 0, 0, to.height(), to.x(), to.y());
    return std::make_unique<const TEmfPlusDrawImage>(std::move(draw));
  }
  // DrawImagePoints: where the source's top-left, top-right and bottom-left corners go.
  std::vector<QPointF> points;
  if (!Points(kPointCount, kPoints, points) || points.size() != 3) return std::nullopt;
  draw.image = WithEffect(std::move(draw.image));
  const QPointF x = points[1] - points[0], y = points[2] - points[0];
  draw.placement = QTransform(x.x(), x.y(), y.x(), y.y(), points[0].x(), points[0].y());
  return std::make_unique<const TEmfPlusDrawImage>(std::move(draw));
}

std::shared_ptr<const TEmfPlusImage> TRecordReader::WithEffect(
    std::shared_ptr<const TEmfPlusImage> image) const {
  if (!(flags_ & EmfPlus::kFlagEffect) || effect_ == nullptr || budget_ == nullptr || image->bitmap.isNull())
    return image;
  // The recoloured copy is kept with the command: its pixels count against the file's budget.
  const std::int64_t pixels = static_cast<std::int64_t>(image->bitmap.width()) * image->bitmap.height();
  if (pixels > budget_->pixelsLeft) return image;
  budget_->pixelsLeft -= pixels;
  auto recoloured = std::make_shared<TEmfPlusImage>(*image);
  recoloured->bitmap = ApplyEmfPlusImageEffect(image->bitmap, *effect_);
  return recoloured;
}

std::optional<TEmfPlusCommand> TRecordReader::String() const {
  // The brush, the string format's slot, the length, the layout rectangle, then the text.
  constexpr std::int64_t kFormat = 4, kLength = 8, kLayout = 12, kText = 28;
  auto font = objects_.Get<TEmfPlusFont>(Slot(flags_));
  std::optional<TEmfPlusFillStyle> style = FillStyle();
  if (!font || !style) return std::nullopt;
  const std::int64_t length = b_.U32(kLength);
  if (length > kMaxTextChars || !b_.Has(kText, 2 * length)) return std::nullopt;
  return std::make_unique<const TEmfPlusDrawString>(TEmfPlusDrawString{
      std::move(font), std::move(*style), objects_.Get<TEmfPlusStringFormat>(b_.U32(kFormat)),
      ReadEmfPlusRect(b_, kLayout, false), ReadText(b_, kText, length)});
}

std::optional<TEmfPlusCommand> TRecordReader::DriverString() const {
  // The brush, options, whether a matrix follows the positions, the count, then the glyphs.
  constexpr std::int64_t kOptions = 4, kMatrixPresent = 8, kCount = 12, kGlyphs = 16;
  auto font = objects_.Get<TEmfPlusFont>(Slot(flags_));
  std::optional<TEmfPlusFillStyle> style = FillStyle();
  if (!font || !style) return std::nullopt;
  const std::uint32_t options = b_.U32(kOptions);
  const std::int64_t count = b_.U32(kCount);
  if (count > kMaxTextChars || !b_.Has(kGlyphs, 2 * count)) return std::nullopt;
  TEmfPlusDrawDriverString draw{std::move(font), std::move(*style), false, QString(), {}, {}, QTransform()};
  draw.byCharacters = options & EmfPlus::kDriverStringCmapLookup;
  if (draw.byCharacters) {
    draw.characters = ReadText(b_, kGlyphs, count);
  } else {
    draw.glyphs.resize(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
      draw.glyphs[static_cast<std::size_t>(i)] = b_.U16(kGlyphs + 2 * i);
  }
  // The positions follow the glyphs: one for each, or the first alone.
  std::int64_t end = 0;
  const bool realized = options & EmfPlus::kDriverStringRealizedAdvance;
  if (!ReadEmfPlusPoints(b_, kGlyphs + 2 * count, realized ? 1 : count, EEmfPlusPointForm::Float,
                         draw.origins, &end))
    return std::nullopt;
  // Then the matrix, when the record says it is there and it is.
  if (b_.U32(kMatrixPresent) != 0 && b_.Has(end, kEmfPlusMatrixSize)) {
    draw.matrix = ReadEmfPlusMatrix(b_, end);
    if (!draw.matrix.isInvertible() || !EmfPlusFinite(EmfPlusMaxScale(draw.matrix)))
      draw.matrix = QTransform();
  }
  return std::make_unique<const TEmfPlusDrawDriverString>(std::move(draw));
}

}  // namespace

std::optional<TEmfPlusCommand> ReadEmfPlusCommand(ERecord type, std::uint16_t flags, const TMetaBytes& data,
                                                  const TEmfPlusObjectTable& objects,
                                                  const TEmfPlusImageEffect* effect, TEmfPlusBudget* budget) {
  const TRecordReader read(flags, data, objects, effect, budget);
  switch (type) {
    case ERecord::SetAntiAliasMode:
    case ERecord::SetCompositingMode:
    case ERecord::Save:
    case ERecord::Restore:
    case ERecord::BeginContainer:
    case ERecord::BeginContainerNoParams:
    case ERecord::EndContainer:
      return read.State(type);
    case ERecord::SetWorldTransform:
    case ERecord::ResetWorldTransform:
    case ERecord::MultiplyWorldTransform:
    case ERecord::TranslateWorldTransform:
    case ERecord::ScaleWorldTransform:
    case ERecord::RotateWorldTransform:
    case ERecord::SetPageTransform:
      return read.Transform(type);
    case ERecord::ResetClip:
    case ERecord::SetClipRect:
    case ERecord::SetClipPath:
    case ERecord::SetClipRegion:
    case ERecord::OffsetClip:
      return read.Clip(type);
    case ERecord::Clear:
    case ERecord::FillRects:
    case ERecord::FillPolygon:
    case ERecord::FillEllipse:
    case ERecord::FillPie:
    case ERecord::FillRegion:
    case ERecord::FillPath:
      return read.Fill(type);
    case ERecord::DrawRects:
    case ERecord::DrawLines:
    case ERecord::DrawEllipse:
    case ERecord::DrawPie:
    case ERecord::DrawArc:
    case ERecord::DrawPath:
      return read.Stroke(type);
    case ERecord::FillClosedCurve:
    case ERecord::DrawClosedCurve:
    case ERecord::DrawCurve:
    case ERecord::DrawBeziers:
      return read.Curve(type);
    case ERecord::DrawImage:
    case ERecord::DrawImagePoints:
      return read.Image(type);
    case ERecord::DrawString:
      return read.String();
    case ERecord::DrawDriverString:
      return read.DriverString();
    default:
      return std::nullopt;
  }
}
