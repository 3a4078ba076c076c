// EMF+ string format objects: how DrawString records align, wrap and clip their text.
#pragma once

#include <cstdint>

class TMetaBytes;

struct TEmfPlusStringFormat {
  // Reads a string format object; throws EInvalidGraphic when it is shorter than its first fields.
  static TEmfPlusStringFormat Read(const TMetaBytes& bytes);

  std::uint32_t flags = 0;  // EmfPlus::kStringFormat* flags
  // Along the lines and across them: EmfPlus::kStringAlignment*.
  std::int32_t alignment = 0, lineAlignment = 0;
  // Space kept free at the start and the end of each line, in ems. GDI+'s default format, which a
  // string without one is drawn with, keeps a sixth of an em at each end.
  double leadingMargin = 1.0 / 6, trailingMargin = 1.0 / 6;
};
