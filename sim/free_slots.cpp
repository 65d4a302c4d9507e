// The hierarchical free-slot bitset: each level summarises the words of the level below, so a
// search climbs until it meets a nonzero word and then descends along the lowest set bits.
#include "sim/free_slots.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <utility>

namespace squish::sim {
namespace {

constexpr int wordBits = 64;

std::size_t wordsFor(std::int64_t bits) {
  return static_cast<std::size_t>((bits + wordBits - 1) / wordBits);
}

std::uint64_t bitOf(std::int64_t index) {
  return std::uint64_t{1} << (index % wordBits);
}

}  // namespace

void FreeSlots::reset() {
  for (std::vector<std::uint64_t>& level : levels_)
    std::fill(level.begin(), level.end(), 0);
  covered_ = 0;
}

// Words past the covered range stay zero, so sizing the levels ahead of covering changes no
// answer. A failure part way leaves every level holding at least the words it held.
bool FreeSlots::reserve(std::int32_t count, AllocationFaults& faults) {
  // Bit 0 stands for the unused slot 0; levels are added until the top one is a single word.
  std::int64_t bits = std::int64_t{count} + 1;
  std::size_t level = 0;
  do {
    const std::size_t words = wordsFor(bits);
    if (levels_.size() <= level && !addLevelAbove(level, faults)) return false;
    if (levels_[level].size() < words && !tryResize(levels_[level], words, faults)) return false;
    bits = static_cast<std::int64_t>(words);
    ++level;
  } while (bits > 1);
  return true;
}

bool FreeSlots::cover(std::int32_t count, AllocationFaults& faults) {
  if (count <= covered_) return true;
  if (!reserve(count, faults)) return false;
  covered_ = count;
  return true;
}

// A new top level starts with a bit for every nonzero word of the level below it.
bool FreeSlots::addLevelAbove(std::size_t level, AllocationFaults& faults) {
  std::vector<std::uint64_t> summary;
  if (level > 0) {
    const std::vector<std::uint64_t>& below = levels_[level - 1];
    if (!tryResize(summary, wordsFor(static_cast<std::int64_t>(below.size())), faults))
      return false;
    for (std::size_t word = 0; word < below.size(); ++word) {
      if (below[word] != 0) summary[word / wordBits] |= bitOf(static_cast<std::int64_t>(word));
    }
  }
  if (!tryReserve(levels_, levels_.size() + 1, faults)) return false;
  levels_.push_back(std::move(summary));
  return true;
}

void FreeSlots::markFree(std::int32_t slot) {
  if (slot < 1 || slot > covered_) return;
  std::int64_t index = slot;
  for (std::vector<std::uint64_t>& level : levels_) {
    std::uint64_t& word = level[static_cast<std::size_t>(index / wordBits)];
    const bool wasEmpty = word == 0;
    word |= bitOf(index);
    if (!wasEmpty) return;
    index /= wordBits;
  }
}

void FreeSlots::markTaken(std::int32_t slot) {
  if (slot < 1 || slot > covered_) return;
  std::int64_t index = slot;
  for (std::vector<std::uint64_t>& level : levels_) {
    std::uint64_t& word = level[static_cast<std::size_t>(index / wordBits)];
    word &= ~bitOf(index);
    if (word != 0) return;
    index /= wordBits;
  }
}

std::int32_t FreeSlots::firstFreeFrom(std::int64_t from) const {
  from = std::max<std::int64_t>(from, 1);
  if (from > covered_) return 0;
  // Climb: at each level look in the word holding `from` for a set bit at or above it; when
  // there is none, continue one level up from the next word.
  std::int64_t index = from;
  for (std::size_t level = 0; level < levels_.size(); ++level) {
    const std::vector<std::uint64_t>& words = levels_[level];
    const std::size_t word = static_cast<std::size_t>(index / wordBits);
    if (word >= words.size()) return 0;
    const std::uint64_t above = words[word] & (~std::uint64_t{0} << (index % wordBits));
    if (above != 0) {
      std::int64_t found = static_cast<std::int64_t>(word) * wordBits + std::countr_zero(above);
      // Descend along the lowest set bit of each word below.
      for (std::size_t down = level; down-- > 0;) {
        const std::uint64_t bits = levels_[down][static_cast<std::size_t>(found)];
        found = found * wordBits + std::countr_zero(bits);
      }
      return found <= covered_ ? static_cast<std::int32_t>(found) : 0;
    }
    index = static_cast<std::int64_t>(word) + 1;
  }
  return 0;
}

}  // namespace squish::sim
