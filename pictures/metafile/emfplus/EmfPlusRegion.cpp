#include "metafile/emfplus/EmfPlusRegion.h"

#include <algorithm>

#include "metafile/emfplus/EmfPlusBudget.h"
#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/emfplus/EmfPlusPath.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

namespace {

using EmfPlus::ERegionNode;

// The fields of a region object: its graphics version, then these.
constexpr std::int64_t kNodeCount = 4, kNodes = 8;
// Combining region shapes costs time with their size; larger ones keep their first operand.
constexpr int kMaxRegionElements = 4000;
constexpr int kMaxRegionDepth = 64;

QPainterPath Everything() {
  QPainterPath path;
  path.addRect(QRectF(-kMaxEmfPlusObjectValue, -kMaxEmfPlusObjectValue, 2 * kMaxEmfPlusObjectValue,
                      2 * kMaxEmfPlusObjectValue));
  return path;
}

TEmfPlusRegion Combine(const TEmfPlusRegion& left, const TEmfPlusRegion& right, ERegionNode op,
                       TEmfPlusBudget& budget) {
  TEmfPlusRegion result;
  if (op == ERegionNode::And && left.infinite) return right;
  if (op == ERegionNode::And && right.infinite) return left;
  if (op == ERegionNode::Union && (left.infinite || right.infinite)) return TEmfPlusRegion{{}, true};
  const int elements = left.path.elementCount() + right.path.elementCount();
  if (elements > kMaxRegionElements || elements > budget.regionWorkLeft) return left;
  budget.regionWorkLeft -= elements + 10;
  const QPainterPath a = left.infinite ? Everything() : left.path;
  const QPainterPath b = right.infinite ? Everything() : right.path;
  switch (op) {
    case ERegionNode::And:
      result.path = a.intersected(b);
      break;
    case ERegionNode::Union:
      result.path = a.united(b);
      break;
    case ERegionNode::Xor:
      result.path = a.united(b).subtracted(a.intersected(b));
      break;
    case ERegionNode::Exclude:
      result.path = a.subtracted(b);
      break;
    case ERegionNode::Complement:
      result.path = b.subtracted(a);
      break;
    default:
      return left;
  }
  return result;
}

// Reads the node at at and the nodes below it, and moves at past them. nodesLeft bounds how many
// nodes the tree may have: a tree deeper than its node count says is malformed.
bool ReadNode(const TMetaBytes& b, std::int64_t& at, int depth, int& nodesLeft, TEmfPlusRegion& shape,
              TEmfPlusBudget& budget) {
  if (depth > kMaxRegionDepth || --nodesLeft < 0) return false;
  const auto op = static_cast<ERegionNode>(b.U32(at));
  at += 4;
  switch (op) {
    case ERegionNode::Rect: {
      const QRectF rect = ReadEmfPlusRect(b, at, false);
      at += EmfPlusRectSize(false);
      shape.path = QPainterPath();
      shape.path.addRect(rect.normalized());
      return true;
    }
    case ERegionNode::Path: {
      const std::int64_t length = b.U32(at);
      at += 4;
      if (!b.Has(at, length)) return false;
      std::int64_t inner = 0;
      if (!ReadEmfPlusPath(b.Sub(at, length), inner, shape.path)) return false;
      shape.path.setFillRule(Qt::WindingFill);
      at += length;
      return true;
    }
    case ERegionNode::Empty:
      shape = TEmfPlusRegion();
      return true;
    case ERegionNode::Infinite:
      shape = TEmfPlusRegion{{}, true};
      return true;
    case ERegionNode::And:
    case ERegionNode::Union:
    case ERegionNode::Xor:
    case ERegionNode::Exclude:
    case ERegionNode::Complement: {
      TEmfPlusRegion left, right;
      if (!ReadNode(b, at, depth + 1, nodesLeft, left, budget) ||
          !ReadNode(b, at, depth + 1, nodesLeft, right, budget))
        return false;
      shape = Combine(left, right, op, budget);
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<TEmfPlusRegion> TEmfPlusRegion::Read(const TMetaBytes& b, TEmfPlusBudget& budget) {
  const std::int64_t nodes = b.U32(kNodeCount);
  int nodesLeft = static_cast<int>(std::min<std::int64_t>(nodes + 1, b.Size() / 4));
  std::int64_t at = kNodes;
  TEmfPlusRegion region;
  if (!ReadNode(b, at, 0, nodesLeft, region, budget)) return std::nullopt;
  return region;
}
