// Whether the items a command names lie in the play list's store they come from.
#pragma once

#include <cstddef>
#include <cstdint>

// True when count items from first lie within a store of size items.
constexpr bool MetaRangeFits(std::size_t size, std::int64_t first, std::int64_t count) {
  return first >= 0 && count >= 0 &&
         static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) <= size;
}
