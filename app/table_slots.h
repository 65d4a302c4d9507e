#pragma once
// Safe reach into the world's tables: the program walks slots 1..count and follows a bond to
// its atoms, and never reads past a table even if a count or an index were wrong.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "sim/world.h"

namespace squish::app {

// The last slot to visit: count, cut to the slots the table holds (index 0 is never used).
inline std::int32_t usedSlots(std::int32_t count, std::size_t tableSize) {
  const std::int64_t slots = std::max<std::int64_t>(static_cast<std::int64_t>(tableSize) - 1, 0);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, slots));
}

inline bool isAtomSlot(const sim::World& world, std::int32_t index) {
  return index >= 1 && static_cast<std::size_t>(index) < world.atoms.size();
}

}  // namespace squish::app
