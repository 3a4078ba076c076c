#pragma once

#include <cstdint>

// The time of day that seeds the random draws.
class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds since midnight, UTC.
  virtual std::uint32_t MillisecondsOfDayUtc() const = 0;
};
