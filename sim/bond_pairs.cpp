// The bond pair index: linear probing over a power-of-two table kept at most half full, with
// backward-shift deletion so no tombstones build up as bonds break and slots are reused.
#include "sim/bond_pairs.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace squish::sim {
namespace {

constexpr std::size_t smallestTable = 64;

}  // namespace

std::uint64_t BondPairs::pairKey(std::int32_t a, std::int32_t b) {
  const auto low = static_cast<std::uint32_t>(std::min(a, b));
  const auto high = static_cast<std::uint32_t>(std::max(a, b));
  return (std::uint64_t{high} << 32) | low;
}

std::size_t BondPairs::home(std::uint64_t key) const {
  std::uint64_t h = key * 0x9E3779B97F4A7C15ull;
  h ^= h >> 29;
  return static_cast<std::size_t>(h) & mask();
}

void BondPairs::clear() {
  if (used_ == 0) return;
  std::fill(entries_.begin(), entries_.end(), Entry{});
  used_ = 0;
}

void BondPairs::place(Entry entry) {
  std::size_t at = home(entry.key);
  while (entries_[at].bond != 0)
    at = (at + 1) & mask();
  entries_[at] = entry;
  ++used_;
}

// The larger table is made before the old one is let go, so a failure changes nothing.
bool BondPairs::grow(std::size_t size, AllocationFaults& faults) {
  std::vector<Entry> larger;
  if (!tryAssign(larger, size, Entry{}, faults)) return false;
  std::swap(entries_, larger);
  used_ = 0;
  for (const Entry& entry : larger) {
    if (entry.bond != 0) place(entry);
  }
  return true;
}

bool BondPairs::makeRoom(std::size_t more, AllocationFaults& faults) {
  if (hasRoom(more)) return true;
  if (more > entries_.max_size() / 4) return false;
  return grow(std::max(smallestTable, std::bit_ceil((used_ + more) * 2)), faults);
}

bool BondPairs::add(std::int32_t a, std::int32_t b, std::int32_t bond, AllocationFaults& faults) {
  if (bond == 0) return true;
  if (!makeRoom(1, faults)) return false;
  place(Entry{pairKey(a, b), bond});
  return true;
}

void BondPairs::remove(std::int32_t a, std::int32_t b, std::int32_t bond) {
  if (entries_.empty()) return;
  const std::uint64_t key = pairKey(a, b);
  std::size_t hole = home(key);
  while (entries_[hole].bond != 0 && !(entries_[hole].key == key && entries_[hole].bond == bond))
    hole = (hole + 1) & mask();
  if (entries_[hole].bond == 0) return;
  // Pull back every later entry of the run whose home does not lie between the hole and it, so
  // each entry stays reachable from its home without a gap.
  for (std::size_t next = (hole + 1) & mask(); entries_[next].bond != 0;
       next = (next + 1) & mask()) {
    const std::size_t wanted = home(entries_[next].key);
    const bool reachable = ((next - wanted) & mask()) < ((next - hole) & mask());
    if (reachable) continue;
    entries_[hole] = entries_[next];
    hole = next;
  }
  entries_[hole] = Entry{};
  --used_;
}

}  // namespace squish::sim
