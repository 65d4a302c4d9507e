#pragma once
// A hash index from an unordered pair of atoms to the bond slots recorded for it, so the
// bonded-pair test costs a few probes instead of a walk over every bond.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/growth.h"

namespace squish::sim {

// Open addressing with linear probing. A pair may be recorded with several slots (two bonds
// between the same atoms); (a, b) and (b, a) are the same pair. The owner keeps the entries in
// step with its table: one for each live bond.
class BondPairs {
 public:
  void clear();
  // Makes room for `more` entries beyond those held, so that many adds need no memory. False,
  // with the index as it was, when the memory cannot be had.
  bool makeRoom(std::size_t more, AllocationFaults& faults);
  // Whether `more` entries can be added without growing.
  bool hasRoom(std::size_t more) const { return (used_ + more) * 2 <= entries_.size(); }
  // The entries held.
  std::size_t size() const { return used_; }
  // Records the pair for the slot; false, recording nothing, when there is no room and no memory.
  bool add(std::int32_t a, std::int32_t b, std::int32_t bond, AllocationFaults& faults);
  // Drops the entry for exactly this pair and slot, if there is one.
  void remove(std::int32_t a, std::int32_t b, std::int32_t bond);

  // True when isLive(slot) holds for some slot recorded for the pair.
  template <typename IsLive>
  bool anyRecorded(std::int32_t a, std::int32_t b, IsLive isLive) const {
    if (entries_.empty()) return false;
    const std::uint64_t key = pairKey(a, b);
    for (std::size_t at = home(key); entries_[at].bond != 0; at = (at + 1) & mask()) {
      if (entries_[at].key == key && isLive(entries_[at].bond)) return true;
    }
    return false;
  }

 private:
  struct Entry {
    std::uint64_t key = 0;
    std::int32_t bond = 0;  // 0 marks an empty entry
  };

  static std::uint64_t pairKey(std::int32_t a, std::int32_t b);
  std::size_t home(std::uint64_t key) const;
  std::size_t mask() const { return entries_.size() - 1; }
  bool grow(std::size_t size, AllocationFaults& faults);
  void place(Entry entry);

  std::vector<Entry> entries_;  // a power of two in size, at most half full
  std::size_t used_ = 0;
};

}  // namespace squish::sim
