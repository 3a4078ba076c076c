// A GradientFill's vertices and shapes, and the limits of their numbers.
#pragma once

#include <QColor>
#include <QPoint>
#include <array>
#include <cstdint>
#include <vector>

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
