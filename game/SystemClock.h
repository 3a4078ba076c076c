#pragma once

#include "Clock.h"

class SystemClock final : public IClock {
 public:
  std::uint32_t MillisecondsOfDayUtc() const override;
};
