#include "metafile/emfplus/EmfPlusBrush.h"

#include <QImage>
#include <QLinearGradient>
#include <QTransform>
#include <algorithm>
#include <vector>

#include "metafile/emfplus/EmfPlusBudget.h"
#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/emfplus/EmfPlusImage.h"
#include "metafile/emfplus/EmfPlusPath.h"
#include "metafile/emfplus/EmfPlusPathGradient.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

namespace {

using EmfPlus::EBrushType;

// The fields of a brush object: its graphics version, then these; the data depend on the type.
constexpr std::int64_t kBrushType = 4, kBrushData = 8;
// Hatch data.
constexpr std::int64_t kHatchStyle = 0, kHatchForeColour = 4, kHatchBackColour = 8, kHatchSize = 12;
// Texture data: flags and wrap mode, then an optional transform and the image.
constexpr std::int64_t kTextureFlags = 0, kTextureOptional = 8;
// Linear gradient data: the optional data (transform, then preset colours or blend factors) follow.
constexpr std::int64_t kLinearFlags = 0, kLinearWrap = 4, kLinearRect = 8, kLinearStartColour = 24,
                       kLinearEndColour = 28, kLinearOptional = 40;
// Path gradient data: the surrounding colours, then the boundary (a path of that size, or a count of
// points and the points), then the optional data (transform, preset colours or blend factors, focus
// scales).
constexpr std::int64_t kPathFlags = 0, kPathWrap = 4, kPathCentreColour = 8, kPathCentre = 12,
                       kPathSurroundingCount = 20, kPathSurroundingColours = 24;
// Focus scales: a count, which is always 2, then x and y.
constexpr std::uint32_t kFocusScaleCount = 2;
constexpr std::int64_t kFocusScaleX = 4, kFocusScaleY = 8;

// Gradients with more stops than this are refused.
constexpr std::int64_t kMaxGradientStops = 4096;
// Boundaries of more points are refused.
constexpr std::int64_t kMaxBoundaryPoints = std::int64_t{1} << 20;

QGradient::Spread Spread(std::int32_t wrap) {
  if (wrap == EmfPlus::kWrapTile) return QGradient::RepeatSpread;
  if (wrap >= EmfPlus::kWrapTileFlipX && wrap <= EmfPlus::kWrapTileFlipXY) return QGradient::ReflectSpread;
  return QGradient::PadSpread;
}

// Preset colours (positions then ARGB colours) or blend factors (positions then factors between the
// two colours) become the gradient's stops.
bool ReadStops(const TMetaBytes& b, std::int64_t& at, bool preset, const QColor& from, const QColor& to,
               QGradientStops& stops) {
  const std::int64_t count = b.U32(at);
  if (count < 1 || count > kMaxGradientStops || !b.Has(at + 4, 8 * count)) return false;
  stops.clear();
  for (std::int64_t i = 0; i < count; ++i) {
    double position = std::clamp(EmfPlusObjectValue(EmfPlusFloat(b, at + 4 + 4 * i)), 0.0, 1.0);
    if (!stops.isEmpty() && position < stops.last().first) position = stops.last().first;
    const std::int64_t valueAt = at + 4 + 4 * count + 4 * i;
    const QColor colour = preset ? ReadEmfPlusColour(b, valueAt)
                                 : EmfPlusMix(from, to, EmfPlusObjectValue(EmfPlusFloat(b, valueAt)));
    stops.append({position, colour});
  }
  at += 4 + 8 * count;
  return true;
}

// An 8 x 8 pattern of a hatch style, set bits in the fore colour.
QImage HatchPattern(std::uint32_t style, const QColor& fore, const QColor& back) {
  static constexpr std::uint8_t kRows[EmfPlus::kHatchDiagonalCross + 1][8] = {
      {0xFF, 0, 0, 0, 0, 0, 0, 0},                       // horizontal
      {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // vertical
      {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
      {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
      {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // cross
      {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
  };
  QImage pattern(8, 8, QImage::Format_ARGB32);
  if (style <= EmfPlus::kHatchDiagonalCross) {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) pattern.setPixelColor(x, y, (kRows[style][y] >> (7 - x)) & 1 ? fore : back);
    return pattern;
  }
  // Percentage styles 5 % to 90 % mix the colours; the many pattern styles beyond them draw as half.
  static constexpr double kPercents[] = {0.05, 0.10, 0.20, 0.25, 0.30, 0.40,
                                         0.50, 0.60, 0.70, 0.75, 0.80, 0.90};
  const double share = style >= EmfPlus::kHatch05Percent && style <= EmfPlus::kHatch90Percent
                           ? kPercents[style - EmfPlus::kHatch05Percent]
                           : 0.5;
  pattern.fill(EmfPlusMix(back, fore, share));
  return pattern;
}

bool ReadHatch(const TMetaBytes& b, std::int64_t at, TEmfPlusBrush& brush) {
  brush.brush = QBrush(HatchPattern(b.U32(at + kHatchStyle), ReadEmfPlusColour(b, at + kHatchForeColour),
                                    ReadEmfPlusColour(b, at + kHatchBackColour)));
  brush.hatch = true;
  return true;
}

bool ReadTexture(const TMetaBytes& b, std::int64_t at, TEmfPlusBudget& budget, TEmfPlusBrush& brush) {
  const std::uint32_t flags = b.U32(at + kTextureFlags);
  std::int64_t imageAt = at + kTextureOptional;
  QTransform matrix;
  if ((flags & EmfPlus::kBrushDataTransform) && !ReadEmfPlusObjectMatrix(b, imageAt, matrix)) return false;
  const QImage image = ReadEmfPlusBitmap(b, imageAt, budget);
  if (image.isNull()) return false;
  brush.brush = QBrush(image);
  brush.brush.setTransform(matrix);
  return true;
}

bool ReadLinearGradient(const TMetaBytes& b, std::int64_t at, TEmfPlusBrush& brush) {
  const std::uint32_t flags = b.U32(at + kLinearFlags);
  const std::int32_t wrap = b.I32(at + kLinearWrap);
  const QRectF rect = ReadEmfPlusRect(b, at + kLinearRect, false);
  const QColor start = ReadEmfPlusColour(b, at + kLinearStartColour);
  const QColor end = ReadEmfPlusColour(b, at + kLinearEndColour);
  at += kLinearOptional;
  QTransform matrix;
  if ((flags & EmfPlus::kBrushDataTransform) && !ReadEmfPlusObjectMatrix(b, at, matrix)) return false;
  QGradientStops stops{{0.0, start}, {1.0, end}};
  bool vertical = false;
  if (flags & EmfPlus::kBrushDataPresetColors) {
    if (!ReadStops(b, at, true, start, end, stops)) return false;
  } else if (flags & EmfPlus::kBrushDataBlendFactorsH) {
    if (!ReadStops(b, at, false, start, end, stops)) return false;
  } else if (flags & EmfPlus::kBrushDataBlendFactorsV) {
    if (!ReadStops(b, at, false, start, end, stops)) return false;
    vertical = true;
  }
  if (stops.first().first > 0) stops.prepend({0.0, stops.first().second});
  if (stops.last().first < 1) stops.append({1.0, stops.last().second});
  // The colours run from the rectangle's left edge to its right; the transform turns them.
  QLinearGradient gradient(rect.topLeft(), vertical ? rect.bottomLeft() : rect.topRight());
  gradient.setStops(stops);
  gradient.setSpread(Spread(wrap));
  brush.brush = QBrush(gradient);
  brush.brush.setTransform(matrix);
  return true;
}

// The boundary of a path gradient: a path, or the polygon of its points.
bool ReadBoundary(const TMetaBytes& b, std::int64_t& at, bool isPath, QPainterPath& boundary) {
  if (isPath) {
    const std::int64_t size = b.U32(at);
    if (!b.Has(at + 4, size)) return false;
    std::int64_t inner = 0;
    if (!ReadEmfPlusPath(b.Sub(at + 4, size), inner, boundary)) return false;
    at += 4 + size;
    return true;
  }
  std::vector<QPointF> points;
  std::int64_t end = 0;
  if (!ReadEmfPlusPoints(b, at + 4, b.U32(at), EEmfPlusPointForm::Float, points, &end, kMaxBoundaryPoints))
    return false;
  if (points.size() < 3) return false;
  boundary.addPolygon(QPolygonF(points.begin(), points.end()));
  boundary.closeSubpath();
  at = end;
  return true;
}

bool ReadPathGradient(const TMetaBytes& b, std::int64_t at, TEmfPlusBudget& budget, TEmfPlusBrush& brush) {
  const std::uint32_t flags = b.U32(at + kPathFlags);
  const std::int32_t wrap = b.I32(at + kPathWrap);
  const QColor centreColour = ReadEmfPlusColour(b, at + kPathCentreColour);
  const QPointF centre(EmfPlusObjectValue(EmfPlusFloat(b, at + kPathCentre)),
                       EmfPlusObjectValue(EmfPlusFloat(b, at + kPathCentre + 4)));
  const std::int64_t surrounding = b.U32(at + kPathSurroundingCount);
  if (surrounding < 1 || surrounding > kMaxGradientStops ||
      !b.Has(at + kPathSurroundingColours, 4 * surrounding))
    return false;
  // One colour for the whole boundary: the first.
  const QColor edgeColour = ReadEmfPlusColour(b, at + kPathSurroundingColours);
  at += kPathSurroundingColours + 4 * surrounding;
  QPainterPath boundary;
  if (!ReadBoundary(b, at, flags & EmfPlus::kBrushDataPath, boundary)) return false;
  QTransform matrix;
  if ((flags & EmfPlus::kBrushDataTransform) && !ReadEmfPlusObjectMatrix(b, at, matrix)) return false;
  QGradientStops stops{{0.0, edgeColour}, {1.0, centreColour}};
  if (flags & (EmfPlus::kBrushDataPresetColors | EmfPlus::kBrushDataBlendFactorsH)) {
    // Positions count from the boundary (0) to the centre (1).
    if (!ReadStops(b, at, flags & EmfPlus::kBrushDataPresetColors, edgeColour, centreColour, stops))
      return false;
  }
  QPointF focus(0, 0);
  if (flags & EmfPlus::kBrushDataFocusScales) {
    if (b.U32(at) != kFocusScaleCount) return false;
    focus = QPointF(EmfPlusObjectValue(EmfPlusFloat(b, at + kFocusScaleX)),
                    EmfPlusObjectValue(EmfPlusFloat(b, at + kFocusScaleY)));
  }
  auto gradient = std::make_shared<TEmfPlusPathGradient>(boundary, centre, stops, focus, matrix);
  if (!gradient->HasArea()) return false;
  // The image is painted at the first draw that needs it, but what it costs is decided here, in file
  // order, so that the same gradients are painted whatever is drawn first.
  if (gradient->Pixels() > budget.pixelsLeft || gradient->Work() > budget.gradientWorkLeft) {
    brush.brush = QBrush(gradient->MiddleColour());
  } else {
    budget.pixelsLeft -= gradient->Pixels();
    budget.gradientWorkLeft -= gradient->Work();
    brush.pathGradient = std::move(gradient);
  }
  // Clamped it paints nothing beyond the boundary; other wrap modes repeat it.
  if (wrap == EmfPlus::kWrapClamp) brush.area = matrix.map(boundary);
  return true;
}

}  // namespace

std::optional<TEmfPlusBrush> TEmfPlusBrush::Read(const TMetaBytes& b, std::int64_t& at,
                                                 TEmfPlusBudget& budget) {
  const auto type = static_cast<EBrushType>(b.U32(at + kBrushType));
  const std::int64_t data = at + kBrushData;
  TEmfPlusBrush brush;
  switch (type) {
    case EBrushType::SolidColor:
      brush.brush = QBrush(ReadEmfPlusColour(b, data));
      at = data + 4;
      return brush;
    case EBrushType::HatchFill:
      ReadHatch(b, data, brush);
      at = data + kHatchSize;
      return brush;
    // The other brushes run to the end of the data.
    case EBrushType::TextureFill:
      if (!ReadTexture(b, data, budget, brush)) return std::nullopt;
      at = b.Size();
      return brush;
    case EBrushType::PathGradient:
      if (!ReadPathGradient(b, data, budget, brush)) return std::nullopt;
      at = b.Size();
      return brush;
    case EBrushType::LinearGradient:
      if (!ReadLinearGradient(b, data, brush)) return std::nullopt;
      at = b.Size();
      return brush;
  }
  return std::nullopt;
}

QBrush TEmfPlusBrush::Brush() const {
  return pathGradient ? pathGradient->Brush() : brush;
}
