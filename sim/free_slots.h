#pragma once
// The free slots of one table as a hierarchical bitset, so the lowest free slot at or above any
// slot is found with one word per level (log64 of the table size) instead of a scan.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/growth.h"

namespace squish::sim {

// Covers slots 1..covered(); a bit is set while its slot is known to hold 0 in `alive`. The
// owner keeps the bits in step with the table; a set bit is a hint the owner confirms against
// the table before handing the slot out.
class FreeSlots {
 public:
  std::int32_t covered() const { return covered_; }

  // Forgets every slot: nothing is covered.
  void reset();
  // Extends the covered range to 1..count; the new slots start as not free. False, with the
  // range as it was, when the memory for the bits cannot be had.
  bool cover(std::int32_t count, AllocationFaults& faults);
  // Makes room for the bits of slots 1..count, so covering up to count later needs no memory.
  bool reserve(std::int32_t count, AllocationFaults& faults);

  void markFree(std::int32_t slot);
  void markTaken(std::int32_t slot);

  // The lowest slot at or above `from` that is marked free, or 0 when there is none.
  std::int32_t firstFreeFrom(std::int64_t from) const;

 private:
  bool addLevelAbove(std::size_t level, AllocationFaults& faults);

  // levels_[0] holds one bit per slot; each higher level one bit per nonzero word below it.
  std::vector<std::vector<std::uint64_t>> levels_;
  std::int32_t covered_ = 0;
};

}  // namespace squish::sim
