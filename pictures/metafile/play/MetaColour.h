// The colour of a GDI colour reference, 0x00BBGGRR.
#pragma once

#include <QColor>
#include <cstdint>

inline QColor MetaColourRef(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}
