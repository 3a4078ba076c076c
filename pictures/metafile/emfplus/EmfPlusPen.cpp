#include "metafile/emfplus/EmfPlusPen.h"

#include <QTransform>
#include <algorithm>
#include <cmath>

#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/emfplus/EmfPlusPath.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

namespace {

// The fields of a pen object: its graphics version and type, then these, then the optional data its
// flags name, in the order of the flags, then the brush.
constexpr std::int64_t kPenFlags = 8, kPenUnit = 12, kPenWidth = 16, kPenOptional = 20;
// The fields of a custom line cap: its graphics version, then these.
constexpr std::int64_t kCapType = 4;
// An adjustable arrow cap.
constexpr std::int64_t kArrowWidth = 8, kArrowHeight = 12, kArrowFillState = 20;
// A path cap: its flags, then the base cap, insets, stroke caps and hot spots, then the path's size and
// the path.
constexpr std::int64_t kCapFlags = 8, kCapPathSize = 56, kCapPath = 60;

constexpr std::int64_t kMaxDashes = 256;
// A longer compound array makes the pen unreadable. Real compound pens have two or three parts; a pen
// of more than kMaxCompoundParts, each part stroked alone, draws as one line.
constexpr std::int64_t kMaxCompoundEntries = 256;
constexpr std::int64_t kMaxCompoundParts = 8;
// Custom caps larger than this many pen widths are not drawn.
constexpr double kMaxCap = 100;
constexpr double kMinMiterLimit = 1, kMaxMiterLimit = 100, kDefaultMiterLimit = 10;

QPainterPath ArrowShape(double width, double length) {
  QPainterPath shape;
  if (!(width > 0) || !(length > 0)) return shape;
  shape.moveTo(0, 0);
  shape.lineTo(width / 2, -length);
  shape.lineTo(-width / 2, -length);
  shape.closeSubpath();
  return shape;
}

// The shape a standard cap adds beyond a flat end. Anchors are centred on the end and twice the pen's
// width across, as GDI+ draws them.
QPainterPath CapShape(std::int32_t cap) {
  QPainterPath shape;
  switch (cap) {
    case EmfPlus::kLineCapSquare:
      shape.addRect(QRectF(-0.5, 0, 1, 0.5));
      break;
    case EmfPlus::kLineCapRound:
      shape.moveTo(-0.5, 0);
      shape.arcTo(QRectF(-0.5, -0.5, 1, 1), 180, 180);
      shape.closeSubpath();
      break;
    case EmfPlus::kLineCapTriangle:
      shape.moveTo(-0.5, 0);
      shape.lineTo(0.5, 0);
      shape.lineTo(0, 0.5);
      shape.closeSubpath();
      break;
    case EmfPlus::kLineCapSquareAnchor:
      shape.addRect(QRectF(-1, -1, 2, 2));
      break;
    case EmfPlus::kLineCapRoundAnchor:
      shape.addEllipse(QRectF(-1, -1, 2, 2));
      break;
    case EmfPlus::kLineCapDiamondAnchor:
      shape.moveTo(0, -1);
      shape.lineTo(1, 0);
      shape.lineTo(0, 1);
      shape.lineTo(-1, 0);
      shape.closeSubpath();
      break;
    case EmfPlus::kLineCapArrowAnchor:
      shape = ArrowShape(2, 2);
      break;
    default:
      break;
  }
  return shape;
}

// A custom line cap: an adjustable arrow, or a path to fill or stroke.
void ReadCustomCap(const TMetaBytes& b, TEmfPlusCapShape& cap) {
  const auto type = static_cast<EmfPlus::ECustomLineCapType>(b.U32(kCapType));
  if (type == EmfPlus::ECustomLineCapType::AdjustableArrow) {
    cap.shape = ArrowShape(std::clamp(EmfPlusObjectValue(EmfPlusFloat(b, kArrowWidth)), 0.0, kMaxCap),
                           std::clamp(EmfPlusObjectValue(EmfPlusFloat(b, kArrowHeight)), 0.0, kMaxCap));
    cap.filled = b.U32(kArrowFillState) != 0;
    return;
  }
  if (type != EmfPlus::ECustomLineCapType::Default) return;
  const std::uint32_t flags = b.U32(kCapFlags);
  if (!(flags & (EmfPlus::kCustomLineCapDataFillPath | EmfPlus::kCustomLineCapDataLinePath))) return;
  const std::int64_t length = b.U32(kCapPathSize);
  if (!b.Has(kCapPath, length)) return;
  std::int64_t at = 0;
  QPainterPath shape;
  if (!ReadEmfPlusPath(b.Sub(kCapPath, length), at, shape)) return;
  const QRectF bounds = shape.boundingRect();
  if (bounds.width() > kMaxCap || bounds.height() > kMaxCap || std::abs(bounds.x()) > kMaxCap ||
      std::abs(bounds.y()) > kMaxCap)
    return;
  cap.shape = shape;
  cap.filled = flags & EmfPlus::kCustomLineCapDataFillPath;
}

// QPen draws both ends alike, and only flat, square and round; other ends are drawn as shapes.
void SetEnds(std::int32_t startCap, std::int32_t endCap, TEmfPlusPen& pen) {
  const auto plain = [](std::int32_t cap) {
    return cap == EmfPlus::kLineCapFlat || cap == EmfPlus::kLineCapSquare || cap == EmfPlus::kLineCapRound;
  };
  if (startCap == endCap && plain(startCap)) {
    pen.pen.setCapStyle(startCap == EmfPlus::kLineCapSquare  ? Qt::SquareCap
                        : startCap == EmfPlus::kLineCapRound ? Qt::RoundCap
                                                             : Qt::FlatCap);
    return;
  }
  pen.pen.setCapStyle(Qt::FlatCap);
  pen.startCap = {CapShape(startCap), true};
  pen.endCap = {CapShape(endCap), true};
}

// The compound array: an even count of fractions rising from 0 to 1. One part covering the whole
// width is an ordinary line.
bool ReadCompound(const TMetaBytes& b, std::int64_t at, std::int64_t count, TEmfPlusPen& pen) {
  if (count > kMaxCompoundEntries || !b.Has(at, 4 * count)) return false;
  if (count > kMaxCompoundParts * 2) return true;
  std::vector<double> edges;
  for (std::int64_t i = 0; i < count; ++i) {
    const double edge = std::clamp(EmfPlusObjectValue(EmfPlusFloat(b, at + 4 * i)), 0.0, 1.0);
    if (!edges.empty() && edge < edges.back()) return true;
    edges.push_back(edge);
  }
  if (edges.size() < 2 || edges.size() % 2 != 0) return true;
  if (edges.size() == 2 && edges[0] <= 0 && edges[1] >= 1) return true;
  for (std::size_t i = 0; i + 1 < edges.size(); i += 2) pen.compound.emplace_back(edges[i], edges[i + 1]);
  return true;
}

Qt::PenJoinStyle Join(std::int32_t join) {
  return join == EmfPlus::kLineJoinBevel   ? Qt::BevelJoin
         : join == EmfPlus::kLineJoinRound ? Qt::RoundJoin
                                           : Qt::MiterJoin;
}

void SetDashes(std::int32_t style, const QList<qreal>& dashes, QPen& pen) {
  switch (style) {
    case EmfPlus::kLineStyleDash:
      pen.setDashPattern({3, 1});
      break;
    case EmfPlus::kLineStyleDot:
      pen.setDashPattern({1, 1});
      break;
    case EmfPlus::kLineStyleDashDot:
      pen.setDashPattern({3, 1, 1, 1});
      break;
    case EmfPlus::kLineStyleDashDotDot:
      pen.setDashPattern({3, 1, 1, 1, 1, 1});
      break;
    case EmfPlus::kLineStyleCustom:
      if (dashes.size() >= 2 && dashes.size() % 2 == 0) pen.setDashPattern(dashes);
      break;
    default:
      break;
  }
}

// The optional data between the width and the brush; at moves past them.
bool ReadOptionalData(const TMetaBytes& b, std::int64_t& at, std::uint32_t flags, TEmfPlusPen& pen) {
  // The pen's own transform is left out: GDI+ applies it to the width only.
  if (flags & EmfPlus::kPenDataTransform) at += kEmfPlusMatrixSize;
  std::int32_t startCap = EmfPlus::kLineCapFlat, endCap = EmfPlus::kLineCapFlat;
  if (flags & EmfPlus::kPenDataStartCap) startCap = b.I32(at), at += 4;
  if (flags & EmfPlus::kPenDataEndCap) endCap = b.I32(at), at += 4;
  SetEnds(startCap, endCap, pen);
  if (flags & EmfPlus::kPenDataJoin) pen.pen.setJoinStyle(Join(b.I32(at))), at += 4;
  if (flags & EmfPlus::kPenDataMiterLimit) {
    pen.pen.setMiterLimit(std::clamp(EmfPlusObjectValue(EmfPlusFloat(b, at), kDefaultMiterLimit),
                                     kMinMiterLimit, kMaxMiterLimit));
    at += 4;
  }
  std::int32_t style = EmfPlus::kLineStyleSolid;
  if (flags & EmfPlus::kPenDataLineStyle) style = b.I32(at), at += 4;
  if (flags & EmfPlus::kPenDataDashedLineCap) at += 4;
  if (flags & EmfPlus::kPenDataDashedLineOffset) at += 4;
  QList<qreal> dashes;
  if (flags & EmfPlus::kPenDataDashedLine) {
    const std::int64_t count = b.U32(at);
    if (count > kMaxDashes || !b.Has(at + 4, 4 * count)) return false;
    for (std::int64_t i = 0; i < count; ++i)
      dashes.append(std::clamp(EmfPlusObjectValue(EmfPlusFloat(b, at + 4 + 4 * i), 1), 0.01, 1000.0));
    at += 4 + 4 * count;
  }
  if (flags & EmfPlus::kPenDataNonCenter) at += 4;
  if (flags & EmfPlus::kPenDataCompoundLine) {
    const std::int64_t count = b.U32(at);
    if (!ReadCompound(b, at + 4, count, pen)) return false;
    at += 4 + 4 * count;
  }
  for (const std::uint32_t custom : {EmfPlus::kPenDataCustomStartCap, EmfPlus::kPenDataCustomEndCap}) {
    if (!(flags & custom)) continue;
    const std::int64_t size = b.U32(at);
    if (!b.Has(at + 4, size)) return false;
    ReadCustomCap(b.Sub(at + 4, size), custom == EmfPlus::kPenDataCustomStartCap ? pen.startCap : pen.endCap);
    at += 4 + size;
  }
  SetDashes(style, dashes, pen.pen);
  return true;
}

}  // namespace

std::optional<TEmfPlusPen> TEmfPlusPen::Read(const TMetaBytes& b, TEmfPlusBudget& budget) {
  TEmfPlusPen pen;
  const std::uint32_t flags = b.U32(kPenFlags);
  pen.unit = b.I32(kPenUnit);
  pen.width = std::max(0.0, EmfPlusObjectValue(EmfPlusFloat(b, kPenWidth)));
  pen.pen.setJoinStyle(Qt::MiterJoin);
  std::int64_t at = kPenOptional;
  if (!ReadOptionalData(b, at, flags, pen)) return std::nullopt;
  std::optional<TEmfPlusBrush> brush = TEmfPlusBrush::Read(b, at, budget);
  if (!brush) return std::nullopt;
  pen.brush = std::move(*brush);
  return pen;
}
