#include "metafile/emfplus/EmfPlusFields.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

float EmfPlusFloat(const TMetaBytes& bytes, std::int64_t at) {
  return std::bit_cast<float>(bytes.U32(at));
}

double EmfPlusObjectValue(float value, double fallback) {
  return std::isfinite(value) && std::abs(value) < kMaxEmfPlusObjectValue ? static_cast<double>(value)
                                                                          : fallback;
}

QColor EmfPlusColour(std::uint32_t argb) {
  return QColor::fromRgba(argb);
}

QColor ReadEmfPlusColour(const TMetaBytes& bytes, std::int64_t at) {
  return EmfPlusColour(bytes.U32(at));
}

QColor EmfPlusMix(const QColor& from, const QColor& to, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()),
                mix(from.alpha(), to.alpha()));
}

EEmfPlusPointForm EmfPlusPointForm(std::uint16_t flags) {
  if (flags & EmfPlus::kFlagRelative) return EEmfPlusPointForm::Relative;
  if (flags & EmfPlus::kFlagCompressed) return EEmfPlusPointForm::Int16;
  return EEmfPlusPointForm::Float;
}

namespace {

// One relative coordinate: a byte with bit 7 clear holds a 7-bit signed value; otherwise it and the
// next byte hold a 15-bit signed value, high byte first.
bool ReadRelative(const TMetaBytes& bytes, std::int64_t& at, std::int64_t end, int& value) {
  if (at >= end) return false;
  const int first = static_cast<std::uint8_t>(*bytes.Data(at, 1));
  if (!(first & 0x80)) {
    value = (first & 0x40) ? first - 0x80 : first;
    at += 1;
    return true;
  }
  if (at + 1 >= end) return false;
  const int second = static_cast<std::uint8_t>(*bytes.Data(at + 1, 1));
  const int raw = ((first & 0x7F) << 8) | second;
  value = (raw & 0x4000) ? raw - 0x8000 : raw;
  at += 2;
  return true;
}

bool Finite(const QPointF& p) {
  return std::isfinite(p.x()) && std::isfinite(p.y());
}

}  // namespace

bool ReadEmfPlusPoints(const TMetaBytes& bytes, std::int64_t at, std::int64_t count, EEmfPlusPointForm form,
                       std::vector<QPointF>& points, std::int64_t* end, std::int64_t maxCount) {
  points.clear();
  if (count < 0 || count > maxCount || !bytes.Has(at, 0)) return false;
  if (form == EEmfPlusPointForm::Relative) {
    // Each point takes two bytes at least.
    if (count > (bytes.Size() - at) / 2) return false;
    points.reserve(static_cast<std::size_t>(count));
    std::int64_t x = 0, y = 0;
    for (std::int64_t i = 0; i < count; ++i) {
      int dx = 0, dy = 0;
      if (!ReadRelative(bytes, at, bytes.Size(), dx) || !ReadRelative(bytes, at, bytes.Size(), dy)) {
        points.clear();
        return false;
      }
      x += dx, y += dy;
      points.emplace_back(static_cast<double>(x), static_cast<double>(y));
    }
    if (end) *end = at;
    return true;
  }
  const std::int64_t step = form == EEmfPlusPointForm::Int16 ? 4 : 8;
  if (count > (bytes.Size() - at) / step) return false;
  points.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t p = at + step * i;
    QPointF point = form == EEmfPlusPointForm::Int16
                        ? QPointF(bytes.I16(p), bytes.I16(p + 2))
                        : QPointF(EmfPlusFloat(bytes, p), EmfPlusFloat(bytes, p + 4));
    if (!Finite(point)) point = QPointF();
    points.push_back(point);
  }
  if (end) *end = at + step * count;
  return true;
}

QRectF ReadEmfPlusRect(const TMetaBytes& bytes, std::int64_t at, bool compressed) {
  if (compressed) return QRectF(bytes.I16(at), bytes.I16(at + 2), bytes.I16(at + 4), bytes.I16(at + 6));
  const QRectF rect(EmfPlusFloat(bytes, at), EmfPlusFloat(bytes, at + 4), EmfPlusFloat(bytes, at + 8),
                    EmfPlusFloat(bytes, at + 12));
  if (!std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width()) ||
      !std::isfinite(rect.height()))
    return QRectF();
  return rect;
}

QTransform ReadEmfPlusMatrix(const TMetaBytes& bytes, std::int64_t at) {
  return QTransform(EmfPlusFloat(bytes, at), EmfPlusFloat(bytes, at + 4), EmfPlusFloat(bytes, at + 8),
                    EmfPlusFloat(bytes, at + 12), EmfPlusFloat(bytes, at + 16), EmfPlusFloat(bytes, at + 20));
}

bool ReadEmfPlusObjectMatrix(const TMetaBytes& bytes, std::int64_t& at, QTransform& matrix) {
  double m[6];
  for (int i = 0; i < 6; ++i) {
    const float v = EmfPlusFloat(bytes, at + 4 * i);
    if (!std::isfinite(v) || std::abs(v) > kMaxEmfPlusObjectValue) return false;
    m[i] = v;
  }
  at += kEmfPlusMatrixSize;
  matrix = QTransform(m[0], m[1], m[2], m[3], m[4], m[5]);
  return matrix.isInvertible();
}
