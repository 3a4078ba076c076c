// Reading the value types that EMF+ records and objects share: floats, points, rectangles, colours and
// matrices.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <vector>

class TMetaBytes;

// The 32-bit float at at.
float EmfPlusFloat(const TMetaBytes& bytes, std::int64_t at);

// Objects' coordinates and factors beyond this size are not drawing values; they count as missing.
inline constexpr double kMaxEmfPlusObjectValue = 1e7;
// The value when finite and below kMaxEmfPlusObjectValue, else fallback.
double EmfPlusObjectValue(float value, double fallback = 0);

// An ARGB colour as EMF+ stores it, and the one at at.
QColor EmfPlusColour(std::uint32_t argb);
QColor ReadEmfPlusColour(const TMetaBytes& bytes, std::int64_t at);
// The colour a fraction t (0 to 1) of the way from one colour to another, alpha included.
QColor EmfPlusMix(const QColor& from, const QColor& to, double t);

// Points are float pairs, 16-bit integer pairs (compressed) or relative offsets of one or two bytes
// per coordinate (relative), each from the point before.
enum class EEmfPlusPointForm { Float, Int16, Relative };

// The form the C and P flags of a record choose.
EEmfPlusPointForm EmfPlusPointForm(std::uint16_t flags);

// Reads count points from at; returns false, leaving points empty, when they do not fit the bytes or
// count is negative or above maxCount. end receives the offset after the last point.
bool ReadEmfPlusPoints(const TMetaBytes& bytes, std::int64_t at, std::int64_t count, EEmfPlusPointForm form,
                       std::vector<QPointF>& points, std::int64_t* end = nullptr,
                       std::int64_t maxCount = std::int64_t{1} << 20);
// Reads a rectangle (x, y, width, height) as floats or, compressed, 16-bit integers; a rectangle of
// floats that are not finite is empty.
QRectF ReadEmfPlusRect(const TMetaBytes& bytes, std::int64_t at, bool compressed);
// The bytes one rectangle takes.
inline std::int64_t EmfPlusRectSize(bool compressed) {
  return compressed ? 8 : 16;
}

// The bytes of a matrix: six floats, m11 m12 m21 m22 dx dy.
inline constexpr std::int64_t kEmfPlusMatrixSize = 24;
// The matrix at at, as it stands.
QTransform ReadEmfPlusMatrix(const TMetaBytes& bytes, std::int64_t at);
// An object's matrix at at: false unless its values are finite, below kMaxEmfPlusObjectValue and make
// an invertible transform. Moves at past it.
bool ReadEmfPlusObjectMatrix(const TMetaBytes& bytes, std::int64_t& at, QTransform& matrix);
