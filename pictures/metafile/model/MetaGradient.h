#pragma once

#include <QColor>
#include <QPoint>
#include <array>
#include <cstdint>
#include <vector>

class QPainter;

// A GradientFill record: vertices with 16-bit colour channels, and rectangles (two vertex indices,
// shaded along x or y) or triangles (three, shaded across).
struct TMetaGradient {
  enum class EMode { Horizontal, Vertical, Triangle } mode = EMode::Horizontal;
  std::vector<QPoint> vertices;                      // logical units
  std::vector<QColor> colours;                       // one per vertex
  std::vector<std::array<std::uint32_t, 3>> shapes;  // vertex indices; rectangles use the first two
};

// Vertices and shapes of one record beyond these are refused.
inline constexpr std::int64_t kMaxGradientVertices = 65536;
inline constexpr std::int64_t kMaxGradientShapes = 65536;

// The colour of a TRIVERTEX channel triple (16 bits each; GDI uses the high byte).
QColor GradientColour(std::uint16_t red, std::uint16_t green, std::uint16_t blue);

// Paints the gradient with the painter's transform in logical units. Shapes naming a missing vertex are
// skipped. Triangles are shaded by subdividing them into small flat triangles, at most maxPieces in all.
void PaintMetaGradient(QPainter& painter, const TMetaGradient& gradient, int maxPieces = 20000);

// The colour a triangle's shading gives at barycentric weights (wa, wb, 1 - wa - wb).
QColor BlendGradient(const QColor& a, const QColor& b, const QColor& c, double wa, double wb);
