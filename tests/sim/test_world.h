#pragma once
// Small helpers the simulation tests (and the step fuzzer) share: adding a single atom or bond
// by hand, killing or reviving an atom, and comparing two worlds record for record, bit for bit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

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

// Makes an atom live or not, as tables read from a file may hold it (the program itself never
// kills an atom): the tables go back in through restoreWorld. False when it refuses them.
inline bool setAtomLive(World& world, std::int32_t atom, bool alive) {
  std::vector<Atom> atoms(world.atoms().begin(), world.atoms().end());
  std::vector<Bond> bonds(world.bonds().begin(), world.bonds().end());
  atoms[atom].alive = alive;
  return restoreWorld(world, std::move(atoms), std::move(bonds), world.atomCount(),
                      world.bondCount(), world.impactBondShortage());
}

// Bit for bit, except that any two NaNs count as the same: when both operands of an addition
// are NaN the processor keeps one operand's payload, and an optimising compiler may order the
// operands of a commutative operation either way, so NaN payloads carry no meaning.
inline bool sameFloat(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

inline bool sameAtom(const Atom& a, const Atom& b) {
  return a.alive == b.alive && sameFloat(a.pos.x, b.pos.x) && sameFloat(a.pos.y, b.pos.y) &&
         sameFloat(a.vel.x, b.vel.x) && sameFloat(a.vel.y, b.vel.y) && a.placed == b.placed &&
         a.colour == b.colour;
}

inline bool sameBond(const Bond& a, const Bond& b) {
  return a.alive == b.alive && a.atomA == b.atomA && a.atomB == b.atomB &&
         sameFloat(a.spacing, b.spacing) && sameFloat(a.restLength, b.restLength) &&
         a.colour == b.colour;
}

// Counts, capacities and every stored record.
inline bool sameWorld(const World& a, const World& b) {
  return a.atomCount() == b.atomCount() && a.bondCount() == b.bondCount() &&
         a.atomCapacity() == b.atomCapacity() && a.bondCapacity() == b.bondCapacity() &&
         a.atoms().size() == b.atoms().size() && a.bonds().size() == b.bonds().size() &&
         std::equal(a.atoms().begin(), a.atoms().end(), b.atoms().begin(), sameAtom) &&
         std::equal(a.bonds().begin(), a.bonds().end(), b.bonds().begin(), sameBond);
}

}  // namespace squish::sim::testing
