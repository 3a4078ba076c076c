#include "SystemClock.h"

#include <chrono>

std::uint32_t SystemClock::MillisecondsOfDayUtc() const {
  using namespace std::chrono;
  const auto now = floor<milliseconds>(system_clock::now());
  const auto sinceMidnight = now - floor<days>(now);
  return static_cast<std::uint32_t>(sinceMidnight.count());
}
