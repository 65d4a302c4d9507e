// The world's invariants, checked one by one: the tables against their capacities and counts,
// the live bonds against the atom table, and the indexes against the tables. Every function that
// changes the world keeps them; the step checks them after each step where assertions are on.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "sim/world.h"

namespace squish::sim {
namespace {

std::string tableFault(const char* table, std::size_t size, std::int32_t capacity,
                       std::int32_t count, std::int64_t limit) {
  const std::string name = table;
  if (capacity < 1 || capacity >= 2 * limit)
    return name + " capacity " + std::to_string(capacity) + " is outside 1.." +
           std::to_string(2 * limit - 1);
  if (size != static_cast<std::size_t>(capacity) + 1)
    return name + " table holds " + std::to_string(size) + " records for capacity " +
           std::to_string(capacity);
  if (count < 0 || count > capacity || count > limit)
    return name + " count " + std::to_string(count) + " is outside 0.." +
           std::to_string(std::min<std::int64_t>(capacity, limit));
  return "";
}

// Exactly the slots of 1..count whose record is not live are marked free.
template <typename Record>
std::string freeSlotsFault(const char* table, std::span<const Record> records, std::int32_t count,
                           const FreeSlots& free) {
  const std::string name = table;
  if (free.covered() != count)
    return name + " free-slot index covers " + std::to_string(free.covered()) +
           " slots, not the count " + std::to_string(count);
  std::int32_t nextFree = free.firstFreeFrom(1);
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const bool marked = nextFree == slot;
    if (marked) nextFree = free.firstFreeFrom(std::int64_t{slot} + 1);
    if (marked == records[slot].alive)
      return name + " slot " + std::to_string(slot) +
             (marked ? " is live but marked free" : " is free but not marked free");
  }
  return "";
}

}  // namespace

std::string validateWorld(const World& world) {
  std::string fault =
      tableFault("atom", world.atoms_.size(), world.atomCapacity_, world.atomCount_, maxAtoms);
  if (fault.empty())
    fault =
        tableFault("bond", world.bonds_.size(), world.bondCapacity_, world.bondCount_, maxBonds);
  if (!fault.empty()) return fault;
  if (world.impactBondShortage_ > BondShortage::memory) return "unknown bond shortage";

  std::size_t liveBonds = 0;
  for (std::int32_t k = 1; k <= world.bondCount_; ++k) {
    const Bond& bond = world.bonds_[k];
    if (!bond.alive) continue;
    ++liveBonds;
    for (const std::int32_t atom : {bond.atomA, bond.atomB}) {
      if (atom < 1 || atom > world.atomCapacity_)
        return "bond " + std::to_string(k) + " joins atom " + std::to_string(atom) +
               ", outside the atom table";
    }
    if (!world.bondPairs_.anyRecorded(bond.atomA, bond.atomB,
                                      [k](std::int32_t recorded) { return recorded == k; }))
      return "bond " + std::to_string(k) + " is missing from the pair index";
  }
  if (world.bondPairs_.size() != liveBonds)
    return "the pair index holds " + std::to_string(world.bondPairs_.size()) + " entries for " +
           std::to_string(liveBonds) + " live bonds";

  fault = freeSlotsFault("atom", world.atoms(), world.atomCount_, world.freeAtoms_);
  if (fault.empty())
    fault = freeSlotsFault("bond", world.bonds(), world.bondCount_, world.freeBonds_);
  return fault;
}

void assertValidWorld([[maybe_unused]] const World& world, [[maybe_unused]] const char* after) {
#ifndef NDEBUG
  const std::string fault = validateWorld(world);
  if (fault.empty()) return;
  std::fprintf(stderr, "squish: the world broke in %s: %s\n", after, fault.c_str());
  std::abort();
#endif
}

}  // namespace squish::sim
