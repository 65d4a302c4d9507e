#pragma once
// Small helpers the simulation tests share: adding a single atom or bond by hand, and comparing
// two worlds record for record, bit for bit.
#include <cstdint>
#include <cstring>

#include "sim/world.h"

namespace squish::sim::testing {

inline std::int32_t addTestAtom(World& world, float x, float y, float vx = 0.0f, float vy = 0.0f) {
  const std::int32_t slot = allocateAtom(world);
  setAtom(world, slot, x, y, vx, vy, 1);
  return slot;
}

inline std::int32_t addTestBond(World& world, std::int32_t a, std::int32_t b, float restLength) {
  const std::int32_t slot = allocateBond(world);
  setBond(world, slot, a, b, restLength, restLength, 1);
  return slot;
}

// Counts, capacities and every stored record, compared bytewise so NaNs compare too.
inline bool sameWorld(const World& a, const World& b) {
  return a.atomCount == b.atomCount && a.bondCount == b.bondCount &&
         a.atomCapacity == b.atomCapacity && a.bondCapacity == b.bondCapacity &&
         a.atoms.size() == b.atoms.size() && a.bonds.size() == b.bonds.size() &&
         std::memcmp(a.atoms.data(), b.atoms.data(), a.atoms.size() * sizeof(Atom)) == 0 &&
         std::memcmp(a.bonds.data(), b.bonds.data(), a.bonds.size() * sizeof(Bond)) == 0;
}

}  // namespace squish::sim::testing
