// The world store: slot allocation with reuse and doubling growth, filling slots, picking an atom
// near a point and the bonded-pair test. Every walk visits slots 1..count in order.
#include "sim/world.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

namespace squish::sim {
namespace {

constexpr std::int64_t largestSlot = std::numeric_limits<std::int32_t>::max();

// Shared by both tables: the first free slot above `after` up to the count, else count + 1,
// doubling the capacity when the new count passes it. The capacity is computed in 64 bits and
// kept within the int32 slot range; a table that cannot grow hands out no slot (0) and stays as
// it was.
template <typename Record>
std::int32_t allocateSlot(std::vector<Record>& table, std::int32_t& count, std::int32_t& capacity,
                          std::int32_t after) {
  for (std::int64_t slot = std::max(after, 0) + std::int64_t{1}; slot <= count; ++slot) {
    if (table[slot].alive == no) return static_cast<std::int32_t>(slot);
  }
  if (count >= largestSlot) return 0;
  const std::int32_t slot = count + 1;
  if (slot > capacity) {
    const std::int64_t doubled =
        std::clamp<std::int64_t>(std::int64_t{capacity} * 2, slot, largestSlot);
    try {
      table.resize(static_cast<std::size_t>(doubled) + 1);
    } catch (const std::bad_alloc&) {
      return 0;
    }
    capacity = static_cast<std::int32_t>(doubled);
  }
  count = slot;
  table[slot].alive = no;
  return slot;
}

template <typename Record>
bool holdsSlot(const std::vector<Record>& table, std::int32_t index) {
  return index >= 1 && static_cast<std::size_t>(index) < table.size();
}

}  // namespace

void clearWorld(World& world) {
  world.atomCount = 0;
  world.bondCount = 0;
}

std::int32_t allocateAtom(World& world) {
  return allocateAtomAfter(world, 0);
}

std::int32_t allocateBond(World& world) {
  return allocateBondAfter(world, 0);
}

std::int32_t allocateAtomAfter(World& world, std::int32_t after) {
  return allocateSlot(world.atoms, world.atomCount, world.atomCapacity, after);
}

std::int32_t allocateBondAfter(World& world, std::int32_t after) {
  return allocateSlot(world.bonds, world.bondCount, world.bondCapacity, after);
}

void setAtom(World& world, std::int32_t index, float x, float y, float vx, float vy,
             std::int32_t colour) {
  if (!holdsSlot(world.atoms, index)) return;
  Atom& atom = world.atoms[index];
  atom.alive = yes;
  vecSet(atom.pos, x, y);
  vecSet(atom.vel, vx, vy);
  atom.placed = no;
  atom.colour = colour;
}

void setBond(World& world, std::int32_t index, std::int32_t atomA, std::int32_t atomB,
             float restLength, float spacing, std::int32_t colour) {
  if (!holdsSlot(world.bonds, index)) return;
  if (!holdsSlot(world.atoms, atomA) || !holdsSlot(world.atoms, atomB)) return;
  Bond& bond = world.bonds[index];
  bond.alive = yes;
  bond.atomA = atomA;
  bond.atomB = atomB;
  bond.spacing = spacing;
  bond.restLength = restLength;
  bond.colour = colour;
}

// A square, not a circle, and strict on both axes: a point exactly atomSpace away picks nothing.
std::int32_t pickAtom(const World& world, const SimSettings& settings, float x, float y) {
  const std::int32_t count = world.atomCount;
  for (std::int32_t i = 1; i <= count; ++i) {
    const Atom& atom = world.atoms[i];
    if (atom.alive != yes) continue;
    if (std::fabs(x - atom.pos.x) < settings.atomSpace &&
        std::fabs(y - atom.pos.y) < settings.atomSpace) {
      return i;
    }
  }
  return 0;
}

std::int32_t bondExists(const World& world, std::int32_t a, std::int32_t b) {
  if (a == b) return yes;
  const std::int32_t count = world.bondCount;
  for (std::int32_t k = 1; k <= count; ++k) {
    const Bond& bond = world.bonds[k];
    if (bond.alive != yes) continue;
    if ((bond.atomA == a && bond.atomB == b) || (bond.atomA == b && bond.atomB == a)) return yes;
  }
  return no;
}

}  // namespace squish::sim
