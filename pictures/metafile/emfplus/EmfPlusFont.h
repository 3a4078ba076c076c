// EMF+ font objects: a family, an em size in a unit, and a style.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class TMetaBytes;

struct TEmfPlusFont {
  // Reads a font object; nullopt when its bytes are malformed, its family name is too long or its em
  // size is not above 0.
  static std::optional<TEmfPlusFont> Read(const TMetaBytes& bytes);

  QString family;
  double emSize = 0;       // in `unit`s
  int unit = 0;            // EmfPlus::kUnit*
  std::int32_t style = 0;  // EmfPlus::kFontStyle* flags
};
