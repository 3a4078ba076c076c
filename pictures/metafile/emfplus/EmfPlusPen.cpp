#include <QTransform>
#include <algorithm>
#include <cmath>

#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusObjects.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

// EMF+ pen objects: width, ends, joins, dashes, compound lines and custom caps.

namespace {

constexpr std::uint32_t kPenTransform = 0x01;
constexpr std::uint32_t kPenStartCap = 0x02;
constexpr std::uint32_t kPenEndCap = 0x04;
constexpr std::uint32_t kPenJoin = 0x08;
constexpr std::uint32_t kPenMiterLimit = 0x10;
constexpr std::uint32_t kPenLineStyle = 0x20;
constexpr std::uint32_t kPenDashedCap = 0x40;
constexpr std::uint32_t kPenDashOffset = 0x80;
constexpr std::uint32_t kPenDashes = 0x100;
constexpr std::uint32_t kPenAlignment = 0x200;
constexpr std::uint32_t kPenCompound = 0x400;
constexpr std::uint32_t kPenCustomStartCap = 0x800;
constexpr std::uint32_t kPenCustomEndCap = 0x1000;

// Line caps (LineCap values).
constexpr std::int32_t kCapFlat = 0, kCapSquare = 1, kCapRound = 2, kCapTriangle = 3;
constexpr std::int32_t kCapSquareAnchor = 0x11, kCapRoundAnchor = 0x12, kCapDiamondAnchor = 0x13,
                       kCapArrowAnchor = 0x14;

constexpr std::int64_t kMaxDashes = 256;
// A longer compound array makes the pen unreadable. Real compound pens have two or three parts; a pen
// of more than kMaxCompoundParts, each part stroked alone, draws as one line.
constexpr std::int64_t kMaxCompoundEntries = 256;
constexpr std::int64_t kMaxCompoundParts = 8;

double Finite(float value, double fallback = 0) {
  return std::isfinite(value) && std::abs(value) < 1e7 ? static_cast<double>(value) : fallback;
}

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
    case kCapSquare:
      shape.addRect(QRectF(-0.5, 0, 1, 0.5));
      break;
    case kCapRound:
      shape.moveTo(-0.5, 0);
      shape.arcTo(QRectF(-0.5, -0.5, 1, 1), 180, 180);
      shape.closeSubpath();
      break;
    case kCapTriangle:
      shape.moveTo(-0.5, 0);
      shape.lineTo(0.5, 0);
      shape.lineTo(0, 0.5);
      shape.closeSubpath();
      break;
    case kCapSquareAnchor:
      shape.addRect(QRectF(-1, -1, 2, 2));
      break;
    case kCapRoundAnchor:
      shape.addEllipse(QRectF(-1, -1, 2, 2));
      break;
    case kCapDiamondAnchor:
      shape.moveTo(0, -1);
      shape.lineTo(1, 0);
      shape.lineTo(0, 1);
      shape.lineTo(-1, 0);
      shape.closeSubpath();
      break;
    case kCapArrowAnchor:
      shape = ArrowShape(2, 2);
      break;
    default:
      break;
  }
  return shape;
}

// A custom line cap: an adjustable arrow, or a path to fill or stroke.
void ReadCustomCap(const TMetaBytes& b, TEmfPlusArrow& arrow) {
  constexpr double kMaxCap = 100;
  const std::uint32_t type = b.U32(4);
  if (type == 1) {
    arrow.shape = ArrowShape(std::clamp(Finite(EmfPlusFloat(b, 8)), 0.0, kMaxCap),
                             std::clamp(Finite(EmfPlusFloat(b, 12)), 0.0, kMaxCap));
    arrow.filled = b.U32(20) != 0;
    return;
  }
  if (type != 0) return;
  const std::uint32_t flags = b.U32(8);
  if (!(flags & 3)) return;
  const std::int64_t length = b.U32(56);
  if (!b.Has(60, length)) return;
  std::int64_t at = 0;
  QPainterPath shape;
  if (!ParseEmfPlusPath(b.Sub(60, length), at, shape)) return;
  const QRectF bounds = shape.boundingRect();
  if (bounds.width() > kMaxCap || bounds.height() > kMaxCap || std::abs(bounds.x()) > kMaxCap ||
      std::abs(bounds.y()) > kMaxCap)
    return;
  arrow.shape = shape;
  arrow.filled = flags & 1;
}

// QPen draws both ends alike, and only flat, square and round; other ends are drawn as shapes.
void SetEnds(std::int32_t startCap, std::int32_t endCap, QPen& qpen, TEmfPlusObject& pen) {
  if (startCap == endCap && (startCap == kCapFlat || startCap == kCapSquare || startCap == kCapRound)) {
    qpen.setCapStyle(startCap == kCapSquare  ? Qt::SquareCap
                     : startCap == kCapRound ? Qt::RoundCap
                                             : Qt::FlatCap);
    return;
  }
  qpen.setCapStyle(Qt::FlatCap);
  pen.startArrow = {CapShape(startCap), true};
  pen.endArrow = {CapShape(endCap), true};
}

// The compound array: an even count of fractions rising from 0 to 1. One part covering the whole
// width is an ordinary line.
bool ReadCompound(const TMetaBytes& b, std::int64_t at, std::int64_t count, TEmfPlusObject& pen) {
  if (count > kMaxCompoundEntries || !b.Has(at, 4 * count)) return false;
  if (count > kMaxCompoundParts * 2) return true;
  std::vector<double> edges;
  for (std::int64_t i = 0; i < count; ++i) {
    const double edge = std::clamp(Finite(EmfPlusFloat(b, at + 4 * i)), 0.0, 1.0);
    if (!edges.empty() && edge < edges.back()) return true;
    edges.push_back(edge);
  }
  if (edges.size() < 2 || edges.size() % 2 != 0) return true;
  if (edges.size() == 2 && edges[0] <= 0 && edges[1] >= 1) return true;
  for (std::size_t i = 0; i + 1 < edges.size(); i += 2) pen.compound.emplace_back(edges[i], edges[i + 1]);
  return true;
}

}  // namespace

bool ParseEmfPlusPen(const TMetaBytes& b, std::int64_t at, TEmfPlusObject& pen, TEmfPlusImageBudget& budget) {
  const std::uint32_t flags = b.U32(at + 8);
  pen.unit = b.I32(at + 12);
  pen.width = std::max(0.0, Finite(EmfPlusFloat(b, at + 16)));
  at += 20;
  QPen qpen;
  qpen.setJoinStyle(Qt::MiterJoin);
  if (flags & kPenTransform) at += 24;
  std::int32_t startCap = kCapFlat, endCap = kCapFlat;
  if (flags & kPenStartCap) startCap = b.I32(at), at += 4;
  if (flags & kPenEndCap) endCap = b.I32(at), at += 4;
  SetEnds(startCap, endCap, qpen, pen);
  if (flags & kPenJoin) {
    const std::int32_t join = b.I32(at);
    qpen.setJoinStyle(join == 1 ? Qt::BevelJoin : join == 2 ? Qt::RoundJoin : Qt::MiterJoin);
    at += 4;
  }
  if (flags & kPenMiterLimit)
    qpen.setMiterLimit(std::clamp(Finite(EmfPlusFloat(b, at), 10), 1.0, 100.0)), at += 4;
  std::int32_t style = 0;
  if (flags & kPenLineStyle) style = b.I32(at), at += 4;
  if (flags & kPenDashedCap) at += 4;
  if (flags & kPenDashOffset) at += 4;
  QList<qreal> dashes;
  if (flags & kPenDashes) {
    const std::int64_t count = b.U32(at);
    if (count > kMaxDashes || !b.Has(at + 4, 4 * count)) return false;
    for (std::int64_t i = 0; i < count; ++i)
      dashes.append(std::clamp(Finite(EmfPlusFloat(b, at + 4 + 4 * i), 1), 0.01, 1000.0));
    at += 4 + 4 * count;
  }
  if (flags & kPenAlignment) at += 4;
  if (flags & kPenCompound) {
    const std::int64_t count = b.U32(at);
    if (!ReadCompound(b, at + 4, count, pen)) return false;
    at += 4 + 4 * count;
  }
  for (const std::uint32_t custom : {kPenCustomStartCap, kPenCustomEndCap}) {
    if (!(flags & custom)) continue;
    const std::int64_t size = b.U32(at);
    if (!b.Has(at + 4, size)) return false;
    TEmfPlusArrow& arrow = custom == kPenCustomStartCap ? pen.startArrow : pen.endArrow;
    ReadCustomCap(b.Sub(at + 4, size), arrow);
    at += 4 + size;
  }
  switch (style) {
    case 1:
      qpen.setDashPattern({3, 1});
      break;
    case 2:
      qpen.setDashPattern({1, 1});
      break;
    case 3:
      qpen.setDashPattern({3, 1, 1, 1});
      break;
    case 4:
      qpen.setDashPattern({3, 1, 1, 1, 1, 1});
      break;
    case 5:
      if (dashes.size() >= 2 && dashes.size() % 2 == 0) qpen.setDashPattern(dashes);
      break;
    default:
      break;
  }
  TEmfPlusObject brush;
  if (!ParseEmfPlusBrush(b, at, brush, budget)) return false;

  qpen.setBrush(brush.brush);
  pen.pen = qpen;
  pen.brush = brush.brush;
  pen.kind = EmfPlus::kObjectPen;
  return true;
}
