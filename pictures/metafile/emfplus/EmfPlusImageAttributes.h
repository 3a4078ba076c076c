// EMF+ image attributes objects: how a drawn image goes on beyond its edges (tiled, mirrored or one
// colour), and the mirrored tile that a texture repeats.
#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>
#include <optional>

class TMetaBytes;

struct TEmfPlusImageAttributes {
  // Reads an image attributes object; nullopt when it is too short.
  static std::optional<TEmfPlusImageAttributes> Read(const TMetaBytes& bytes);

  std::int32_t wrap = 0;  // EmfPlus::EWrapMode
  // What a clamped image shows beyond its edges; transparent leaves what is there.
  QColor clampColour = Qt::transparent;
};

// Whether the wrap mode mirrors every other tile across x, across y.
bool EmfPlusWrapFlipsX(std::int32_t wrap);
bool EmfPlusWrapFlipsY(std::int32_t wrap);

// The image with its mirror images beside and below it, as the wrap mode repeats them; the image
// itself for a mode that does not mirror.
QImage EmfPlusWrapTile(const QImage& image, std::int32_t wrap);
