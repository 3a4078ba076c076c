// EMF+ string format objects: how DrawString records align and wrap their text.
#pragma once

#include <cstdint>

class TMetaBytes;

struct TEmfPlusStringFormat {
  // Reads a string format object; throws EInvalidGraphic when it is shorter than its fields.
  static TEmfPlusStringFormat Read(const TMetaBytes& bytes);

  std::uint32_t flags = 0;  // EmfPlus::kStringFormat* flags
  // Along the lines and across them: EmfPlus::kStringAlignment*.
  std::int32_t alignment = 0, lineAlignment = 0;
};
