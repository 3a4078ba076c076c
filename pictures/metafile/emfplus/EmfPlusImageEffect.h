// EMF+ image effects: the colour matrix and colour lookup tables that a serialized object record
// gives the next images drawn by their corners, and the bitmap they make.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <optional>

class TMetaBytes;

// GDI+ 1.1 serializes an effect (an identifying GUID and its parameters) before a DrawImagePoints
// record whose E flag asks for it. Of the effects, the colour matrix and the lookup tables recolour
// each pixel exactly as their parameters say; the others (blur, sharpen, levels, tint, hue, curves,
// balance, brightness and contrast, red eye) are read as no effect, and their images drawn unchanged.
struct TEmfPlusImageEffect {
  // Reads the data of an EmfPlusSerializableObject record; nullopt for an effect not drawn or
  // parameters too short.
  static std::optional<TEmfPlusImageEffect> Read(const TMetaBytes& data);

  enum class EKind { ColourMatrix, LookupTables } kind = EKind::ColourMatrix;
  // GDI+'s ColorMatrix, row by row: a colour (r, g, b, a, 1) in 0..1, as a row, times the matrix.
  std::array<float, 25> matrix{};
  // Each channel's new value for its old one, in the file's order: blue, green, red, alpha.
  std::array<std::array<std::uint8_t, 256>, 4> tables{};
};

// The bitmap with the effect applied to every pixel's straight (not premultiplied) colour.
QImage ApplyEmfPlusImageEffect(const QImage& bitmap, const TEmfPlusImageEffect& effect);
