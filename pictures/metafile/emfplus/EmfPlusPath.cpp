#include "metafile/emfplus/EmfPlusPath.h"

#include <vector>

#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

namespace {

// The fields of a path object: its graphics version, then these.
constexpr std::int64_t kPointCount = 4, kPathFlags = 8, kPoints = 12;
// Paths with more points are refused; real drawings stay far below.
constexpr std::int64_t kMaxPathPoints = std::int64_t{1} << 20;

// The point types: a byte each, or runs of one type (a length byte, then the type).
void ReadTypes(const TMetaBytes& b, std::int64_t& at, std::int64_t count, bool runLength,
               std::vector<std::uint8_t>& types) {
  types.reserve(static_cast<std::size_t>(count));
  while (static_cast<std::int64_t>(types.size()) < count) {
    if (runLength) {
      const auto* run = reinterpret_cast<const std::uint8_t*>(b.Data(at, 2));
      const int length = run[0] & EmfPlus::kPathRunLengthMask;
      for (int i = 0; i < length && static_cast<std::int64_t>(types.size()) < count; ++i)
        types.push_back(run[1]);
      at += 2;
    } else {
      types.push_back(static_cast<std::uint8_t>(*b.Data(at, 1)));
      at += 1;
    }
  }
}

}  // namespace

bool ReadEmfPlusPath(const TMetaBytes& b, std::int64_t& at, QPainterPath& path) {
  const std::int64_t count = b.U32(at + kPointCount);
  const std::uint32_t flags = b.U32(at + kPathFlags);
  if (count > kMaxPathPoints) return false;
  std::vector<QPointF> points;
  std::int64_t end = 0;
  const EEmfPlusPointForm form = (flags & EmfPlus::kPathRelative)     ? EEmfPlusPointForm::Relative
                                 : (flags & EmfPlus::kPathCompressed) ? EEmfPlusPointForm::Int16
                                                                      : EEmfPlusPointForm::Float;
  if (!ReadEmfPlusPoints(b, at + kPoints, count, form, points, &end, kMaxPathPoints)) return false;
  if (count > b.Size() - end) return false;  // each point has a type byte at least
  std::vector<std::uint8_t> types;
  at = end;
  ReadTypes(b, at, count, flags & EmfPlus::kPathRunLengthTypes, types);
  at = (at + 3) / 4 * 4;
  path = EmfPlusPathFromTypes(points, types);
  return true;
}

std::optional<TEmfPlusPath> TEmfPlusPath::Read(const TMetaBytes& bytes) {
  std::int64_t at = 0;
  TEmfPlusPath path;
  if (!ReadEmfPlusPath(bytes, at, path.path)) return std::nullopt;
  return path;
}
