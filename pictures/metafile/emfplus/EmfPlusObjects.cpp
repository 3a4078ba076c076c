#include "metafile/emfplus/EmfPlusObjects.h"

#include <QLinearGradient>
#include <QTransform>
#include <bit>
#include <cmath>

#include "Graphic.h"
#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusImages.h"
#include "metafile/emfplus/EmfPlusPathGradient.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

namespace {

// Paths with more points are refused; real drawings stay far below.
constexpr std::int64_t kMaxPathPoints = std::int64_t{1} << 20;
// Gradients with more stops than this are refused.
constexpr std::int64_t kMaxGradientStops = 4096;
// Combining region shapes costs time with their size; larger ones keep their first operand.
constexpr int kMaxRegionElements = 4000;
constexpr int kMaxRegionDepth = 64;
constexpr double kMaxCoordinate = 1e7;

double Finite(float value, double fallback = 0) {
  return std::isfinite(value) && std::abs(value) < kMaxCoordinate ? static_cast<double>(value) : fallback;
}

QColor Argb(std::uint32_t value) {
  return QColor::fromRgba(value);
}

bool ReadMatrix(const TMetaBytes& b, std::int64_t& at, QTransform& matrix) {
  double m[6];
  for (int i = 0; i < 6; ++i) {
    const float v = EmfPlusFloat(b, at + 4 * i);
    if (!std::isfinite(v) || std::abs(v) > kMaxCoordinate) return false;
    m[i] = v;
  }
  at += 24;
  matrix = QTransform(m[0], m[1], m[2], m[3], m[4], m[5]);
  return matrix.isInvertible();
}

// --- Paths and regions ------------------------------------------------------------------------

bool ReadTypes(const TMetaBytes& b, std::int64_t& at, std::int64_t count, bool runLength,
               std::vector<std::uint8_t>& types) {
  types.reserve(static_cast<std::size_t>(count));
  while (static_cast<std::int64_t>(types.size()) < count) {
    if (runLength) {
      const auto* run = reinterpret_cast<const std::uint8_t*>(b.Data(at, 2));
      const int length = run[0] & 0x3F;
      for (int i = 0; i < length && static_cast<std::int64_t>(types.size()) < count; ++i)
        types.push_back(run[1]);
      at += 2;
    } else {
      types.push_back(static_cast<std::uint8_t>(*b.Data(at, 1)));
      at += 1;
    }
  }
  return true;
}

enum class ERegionOp : std::uint32_t {
  And = 1,
  Union = 2,
  Xor = 3,
  Exclude = 4,
  Complement = 5,
  Rect = 0x10000000,
  Path = 0x10000001,
  Empty = 0x10000002,
  Infinite = 0x10000003,
};

struct TRegionShape {
  QPainterPath path;
  bool infinite = false;
};

QPainterPath Everything() {
  QPainterPath path;
  path.addRect(QRectF(-kMaxCoordinate, -kMaxCoordinate, 2 * kMaxCoordinate, 2 * kMaxCoordinate));
  return path;
}

TRegionShape Combine(const TRegionShape& left, const TRegionShape& right, ERegionOp op,
                     TEmfPlusImageBudget& budget) {
  TRegionShape result;
  if (op == ERegionOp::And && left.infinite) return right;
  if (op == ERegionOp::And && right.infinite) return left;
  if (op == ERegionOp::Union && (left.infinite || right.infinite)) return TRegionShape{{}, true};
  const int elements = left.path.elementCount() + right.path.elementCount();
  if (elements > kMaxRegionElements || elements > budget.regionWorkLeft) return left;
  budget.regionWorkLeft -= elements + 10;
  const QPainterPath a = left.infinite ? Everything() : left.path;
  const QPainterPath b = right.infinite ? Everything() : right.path;
  switch (op) {
    case ERegionOp::And:
      result.path = a.intersected(b);
      break;
    case ERegionOp::Union:
      result.path = a.united(b);
      break;
    case ERegionOp::Xor:
      result.path = a.united(b).subtracted(a.intersected(b));
      break;
    case ERegionOp::Exclude:
      result.path = a.subtracted(b);
      break;
    case ERegionOp::Complement:
      result.path = b.subtracted(a);
      break;
    default:
      return left;
  }
  return result;
}

bool ParseRegionNode(const TMetaBytes& b, std::int64_t& at, int depth, int& nodesLeft, TRegionShape& shape,
                     TEmfPlusImageBudget& budget) {
  if (depth > kMaxRegionDepth || --nodesLeft < 0) return false;
  const auto op = static_cast<ERegionOp>(b.U32(at));
  at += 4;
  switch (op) {
    case ERegionOp::Rect: {
      const QRectF rect = ReadEmfPlusRect(b, at, false);
      at += 16;
      shape.path = QPainterPath();
      shape.path.addRect(rect.normalized());
      return true;
    }
    case ERegionOp::Path: {
      const std::int64_t length = b.U32(at);
      at += 4;
      if (!b.Has(at, length)) return false;
      std::int64_t inner = 0;
      const TMetaBytes pathBytes = b.Sub(at, length);
      if (!ParseEmfPlusPath(pathBytes, inner, shape.path)) return false;
      shape.path.setFillRule(Qt::WindingFill);
      at += length;
      return true;
    }
    case ERegionOp::Empty:
      shape = TRegionShape();
      return true;
    case ERegionOp::Infinite:
      shape = TRegionShape{{}, true};
      return true;
    case ERegionOp::And:
    case ERegionOp::Union:
    case ERegionOp::Xor:
    case ERegionOp::Exclude:
    case ERegionOp::Complement: {
      TRegionShape left, right;
      if (!ParseRegionNode(b, at, depth + 1, nodesLeft, left, budget) ||
          !ParseRegionNode(b, at, depth + 1, nodesLeft, right, budget))
        return false;
      shape = Combine(left, right, op, budget);
      return true;
    }
  }
  return false;
}

// --- Brushes and pens -------------------------------------------------------------------------

QGradient::Spread Spread(std::int32_t wrap) {
  if (wrap == 0) return QGradient::RepeatSpread;
  if (wrap >= 1 && wrap <= 3) return QGradient::ReflectSpread;
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
    double position = std::clamp(Finite(EmfPlusFloat(b, at + 4 + 4 * i)), 0.0, 1.0);
    if (!stops.isEmpty() && position < stops.last().first) position = stops.last().first;
    const std::int64_t valueAt = at + 4 + 4 * count + 4 * i;
    const QColor colour =
        preset ? Argb(b.U32(valueAt)) : EmfPlusMix(from, to, Finite(EmfPlusFloat(b, valueAt)));
    stops.append({position, colour});
  }
  at += 4 + 8 * count;
  return true;
}

constexpr std::uint32_t kBrushPath = 0x01;
constexpr std::uint32_t kBrushTransform = 0x02;
constexpr std::uint32_t kBrushPresetColours = 0x04;
constexpr std::uint32_t kBrushBlendH = 0x08;
constexpr std::uint32_t kBrushBlendV = 0x10;
constexpr std::uint32_t kBrushFocusScales = 0x40;

// An 8 x 8 pattern of a hatch style, set bits in the fore colour.
QImage HatchPattern(std::uint32_t style, const QColor& fore, const QColor& back) {
  static constexpr std::uint8_t kRows[6][8] = {
      {0xFF, 0, 0, 0, 0, 0, 0, 0},                       // horizontal
      {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // vertical
      {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
      {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
      {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // cross
      {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
  };
  QImage pattern(8, 8, QImage::Format_ARGB32);
  if (style < 6) {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) pattern.setPixelColor(x, y, (kRows[style][y] >> (7 - x)) & 1 ? fore : back);
    return pattern;
  }
  // Percentage styles 5 % to 90 % mix the colours; the many pattern styles beyond them draw as half.
  static constexpr double kPercents[] = {0.05, 0.10, 0.20, 0.25, 0.30, 0.40,
                                         0.50, 0.60, 0.70, 0.75, 0.80, 0.90};
  const double share = style >= 6 && style < 18 ? kPercents[style - 6] : 0.5;
  pattern.fill(EmfPlusMix(back, fore, share));
  return pattern;
}

void ReadLinearGradient(const TMetaBytes& b, std::int64_t at, TEmfPlusObject& brush) {
  const std::uint32_t flags = b.U32(at);
  const std::int32_t wrap = b.I32(at + 4);
  const QRectF rect = ReadEmfPlusRect(b, at + 8, false);
  const QColor start = Argb(b.U32(at + 24)), end = Argb(b.U32(at + 28));
  at += 40;
  QTransform matrix;
  if ((flags & kBrushTransform) && !ReadMatrix(b, at, matrix)) return;
  QGradientStops stops{{0.0, start}, {1.0, end}};
  bool vertical = false;
  if (flags & kBrushPresetColours) {
    if (!ReadStops(b, at, true, start, end, stops)) return;
  } else if (flags & kBrushBlendH) {
    if (!ReadStops(b, at, false, start, end, stops)) return;
  } else if (flags & kBrushBlendV) {
    if (!ReadStops(b, at, false, start, end, stops)) return;
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
  brush.kind = EmfPlus::kObjectBrush;
}

void ReadPathGradient(const TMetaBytes& b, std::int64_t at, TEmfPlusObject& brush,
                      TEmfPlusImageBudget& budget) {
  const std::uint32_t flags = b.U32(at);
  const std::int32_t wrap = b.I32(at + 4);
  const QColor centreColour = Argb(b.U32(at + 8));
  const QPointF centre(Finite(EmfPlusFloat(b, at + 12)), Finite(EmfPlusFloat(b, at + 16)));
  const std::int64_t surrounding = b.U32(at + 20);
  if (surrounding < 1 || surrounding > kMaxGradientStops || !b.Has(at + 24, 4 * surrounding)) return;
  const QColor edgeColour = Argb(b.U32(at + 24));
  at += 24 + 4 * surrounding;
  QPainterPath boundary;
  if (flags & kBrushPath) {
    const std::int64_t size = b.U32(at);
    if (!b.Has(at + 4, size)) return;
    std::int64_t inner = 0;
    if (!ParseEmfPlusPath(b.Sub(at + 4, size), inner, boundary)) return;
    at += 4 + size;
  } else {
    std::vector<QPointF> points;
    std::int64_t end = 0;
    if (!ReadEmfPlusPoints(b, at + 4, b.U32(at), EEmfPlusPointForm::Float, points, &end, kMaxPathPoints))
      return;
    if (points.size() < 3) return;
    boundary.addPolygon(QPolygonF(points.begin(), points.end()));
    boundary.closeSubpath();
    at = end;
  }
  QTransform matrix;
  if ((flags & kBrushTransform) && !ReadMatrix(b, at, matrix)) return;
  QGradientStops stops{{0.0, edgeColour}, {1.0, centreColour}};
  if (flags & (kBrushPresetColours | kBrushBlendH)) {
    // Positions count from the boundary (0) to the centre (1).
    if (!ReadStops(b, at, flags & kBrushPresetColours, edgeColour, centreColour, stops)) return;
  }
  QPointF focus(0, 0);
  if (flags & kBrushFocusScales) {
    if (b.U32(at) != 2) return;
    focus = QPointF(Finite(EmfPlusFloat(b, at + 4)), Finite(EmfPlusFloat(b, at + 8)));
  }
  const QBrush painted = EmfPlusPathGradientBrush(boundary, centre, stops, focus, matrix, budget.pixelsLeft,
                                                  budget.gradientWorkLeft);
  if (painted.style() == Qt::NoBrush) return;
  brush.brush = painted;
  // Clamped (wrap mode 4) it paints nothing beyond the boundary; other modes repeat it.
  if (wrap == 4) brush.brushArea = matrix.map(boundary);
  brush.kind = EmfPlus::kObjectBrush;
}

QString ReadUtf16(const TMetaBytes& b, std::int64_t at, std::int64_t chars) {
  if (chars < 0 || !b.Has(at, 2 * chars)) return {};
  QString text(static_cast<qsizetype>(chars), Qt::Uninitialized);
  for (std::int64_t i = 0; i < chars; ++i) text[static_cast<qsizetype>(i)] = QChar(b.U16(at + 2 * i));
  return text;
}

void ParseFont(const TMetaBytes& b, std::int64_t at, TEmfPlusObject& font) {
  font.emSize = Finite(EmfPlusFloat(b, at + 4));
  font.unit = b.I32(at + 8);
  font.fontStyle = b.I32(at + 12);
  const std::int64_t length = b.U32(at + 20);
  if (length > 256 || font.emSize <= 0) return;
  font.family = ReadUtf16(b, at + 24, length);
  font.kind = EmfPlus::kObjectFont;
}

}  // namespace

bool ParseEmfPlusPath(const TMetaBytes& b, std::int64_t& at, QPainterPath& path) {
  const std::int64_t count = b.U32(at + 4);
  const std::uint32_t flags = b.U32(at + 8);
  if (count > kMaxPathPoints) return false;
  std::vector<QPointF> points;
  std::int64_t end = 0;
  const EEmfPlusPointForm form = (flags & 0x0800)   ? EEmfPlusPointForm::Relative
                                 : (flags & 0x4000) ? EEmfPlusPointForm::Int16
                                                    : EEmfPlusPointForm::Float;
  if (!ReadEmfPlusPoints(b, at + 12, count, form, points, &end, kMaxPathPoints)) return false;
  if (count > b.Size() - end) return false;  // each point has a type byte at least
  std::vector<std::uint8_t> types;
  at = end;
  ReadTypes(b, at, count, flags & 0x1000, types);
  at = (at + 3) / 4 * 4;
  path = EmfPlusPathFromTypes(points, types);
  return true;
}

bool ParseEmfPlusBrush(const TMetaBytes& b, std::int64_t& at, TEmfPlusObject& brush,
                       TEmfPlusImageBudget& budget) {
  const std::uint32_t type = b.U32(at + 4);
  const std::int64_t data = at + 8;
  switch (type) {
    case 0:
      brush.brush = QBrush(Argb(b.U32(data)));
      brush.kind = EmfPlus::kObjectBrush;
      at = data + 4;
      return true;
    case 1: {
      const std::uint32_t style = b.U32(data);
      brush.brush = QBrush(HatchPattern(style, Argb(b.U32(data + 4)), Argb(b.U32(data + 8))));
      brush.hatch = true;
      brush.kind = EmfPlus::kObjectBrush;
      at = data + 12;
      return true;
    }
    case 2: {
      const std::uint32_t flags = b.U32(data);
      std::int64_t imageAt = data + 8;
      QTransform matrix;
      if ((flags & kBrushTransform) && !ReadMatrix(b, imageAt, matrix)) return false;
      const QImage image = ParseEmfPlusImage(b, imageAt, budget);
      if (image.isNull()) return false;
      brush.brush = QBrush(image);
      brush.brush.setTransform(matrix);
      brush.kind = EmfPlus::kObjectBrush;
      at = b.Size();  // the image runs to the end of the data
      return true;
    }
    case 3:
      ReadPathGradient(b, data, brush, budget);
      at = b.Size();
      return brush.kind != 0;
    case 4:
      ReadLinearGradient(b, data, brush);
      at = b.Size();
      return brush.kind != 0;
    default:
      return false;
  }
}

TEmfPlusObject ParseEmfPlusObject(int type, const QByteArray& data, TEmfPlusImageBudget& budget) {
  TEmfPlusObject object;
  const TMetaBytes b(data);
  try {
    std::int64_t at = 0;
    switch (type) {
      case EmfPlus::kObjectBrush:
        if (!ParseEmfPlusBrush(b, at, object, budget)) object = TEmfPlusObject();
        break;
      case EmfPlus::kObjectPen:
        if (!ParseEmfPlusPen(b, 0, object, budget)) object = TEmfPlusObject();
        break;
      case EmfPlus::kObjectPath:
        if (ParseEmfPlusPath(b, at, object.path)) object.kind = type;
        break;
      case EmfPlus::kObjectRegion: {
        const std::int64_t nodes = b.U32(4);
        int nodesLeft = static_cast<int>(std::min<std::int64_t>(nodes + 1, b.Size() / 4));
        at = 8;
        TRegionShape shape;
        if (ParseRegionNode(b, at, 0, nodesLeft, shape, budget)) {
          // Combined shapes keep their own fill rule: Qt's results of boolean operations need theirs.
          object.path = shape.path;
          object.infinite = shape.infinite;
          object.kind = type;
        }
        break;
      }
      case EmfPlus::kObjectImage:
        object.image = ParseEmfPlusImage(b, 0, budget, &object.metafile);
        object.kind = type;
        break;
      case EmfPlus::kObjectFont:
        ParseFont(b, 0, object);
        break;
      case EmfPlus::kObjectStringFormat:
        object.formatFlags = b.U32(4);
        object.alignment = b.I32(12);
        object.lineAlignment = b.I32(16);
        object.kind = type;
        break;
      default:
        break;
    }
  } catch (const EInvalidGraphic&) {
    return TEmfPlusObject();
  }
  return object;
}
