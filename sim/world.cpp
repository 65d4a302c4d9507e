// The world store: slot allocation with reuse and doubling growth, filling slots, picking an atom
// near a point and the bonded-pair test, with the free-slot and pair indexes kept in step.
#include "sim/world.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <new>

namespace squish::sim {
namespace {

constexpr std::int64_t largestSlot = std::numeric_limits<std::int32_t>::max();

template <typename Record>
bool holdsSlot(const std::vector<Record>& table, std::int64_t index) {
  return index >= 1 && static_cast<std::uint64_t>(index) < table.size();
}

// Marks every slot in 1..count that holds 0 in `alive` (slots past the table's end are none).
// False, covering fewer slots than count, when the index cannot grow.
template <typename Record>
bool rebuildFreeSlots(const std::vector<Record>& table, std::int32_t count, FreeSlots& free,
                      AllocationFaults& faults) {
  free.reset();
  if (!free.cover(count, faults)) return false;
  const std::int64_t last = std::min<std::int64_t>(count, std::ssize(table) - 1);
  for (std::int32_t slot = 1; slot <= last; ++slot) {
    if (table[slot].alive == no) free.markFree(slot);
  }
  return true;
}

// One of the two tables with its count, capacity and free-slot index.
template <typename Record>
struct Table {
  std::vector<Record>& records;
  std::int32_t& count;
  std::int32_t& capacity;
  FreeSlots& free;
};

Table<Atom> atomTable(World& world) {
  return {world.atoms, world.atomCount, world.atomCapacity, world.freeAtoms};
}

Table<Bond> bondTable(World& world) {
  return {world.bonds, world.bondCount, world.bondCapacity, world.freeBonds};
}

// Shared by both tables: the first free slot above `after` up to the count, else count + 1 as
// long as that is no higher than `highest`, doubling the capacity when the new count passes it.
// The capacity is computed in 64 bits and kept within the int32 slot range; a table that cannot
// grow hands out no slot (0) and keeps its count (its capacity may have grown). A slot the index
// offers is confirmed in the table first, so one filled behind the index's back is dropped from
// it instead of being handed out.
template <typename Record>
std::int32_t allocateSlot(Table<Record> table, std::int32_t after, std::int64_t highest,
                          AllocationFaults& faults) {
  std::vector<Record>& records = table.records;
  if (table.free.covered() != table.count &&
      !rebuildFreeSlots(records, table.count, table.free, faults))
    return 0;
  for (std::int32_t slot = table.free.firstFreeFrom(std::max(after, 0) + std::int64_t{1});
       slot != 0; slot = table.free.firstFreeFrom(std::int64_t{slot} + 1)) {
    if (holdsSlot(records, slot) && records[slot].alive == no) return slot;
    table.free.markTaken(slot);
  }
  if (table.count >= std::min(highest, largestSlot)) return 0;
  const std::int32_t slot = table.count + 1;
  if (slot > table.capacity || !holdsSlot(records, slot)) {
    const std::int64_t doubled =
        std::clamp<std::int64_t>(std::int64_t{table.capacity} * 2, slot, largestSlot);
    const std::size_t size = std::max(records.size(), static_cast<std::size_t>(doubled) + 1);
    if (!tryResize(records, size, faults)) return 0;
    table.capacity = static_cast<std::int32_t>(doubled);
  }
  if (!table.free.cover(slot, faults)) return 0;
  table.count = slot;
  records[slot].alive = no;
  table.free.markFree(slot);
  return slot;
}

bool joins(const Bond& bond, std::int32_t a, std::int32_t b) {
  return (bond.atomA == a && bond.atomB == b) || (bond.atomA == b && bond.atomB == a);
}

}  // namespace

void clearWorld(World& world) {
  world.atomCount = 0;
  world.bondCount = 0;
  world.impactBondShortage = BondShortage::none;
  world.freeAtoms.reset();
  world.freeBonds.reset();
  world.bondPairs.clear();
}

void reindexWorld(World& world) {
  rebuildFreeSlots(world.atoms, world.atomCount, world.freeAtoms, world.faults);
  rebuildFreeSlots(world.bonds, world.bondCount, world.freeBonds, world.faults);
  world.bondPairs.clear();
  const std::int64_t last = std::min<std::int64_t>(world.bondCount, std::ssize(world.bonds) - 1);
  for (std::int32_t k = 1; k <= last; ++k) {
    const Bond& bond = world.bonds[k];
    if (bond.alive == yes) world.bondPairs.add(bond.atomA, bond.atomB, k, world.faults);
  }
}

bool restoreWorld(World& world, std::vector<Atom> atoms, std::vector<Bond> bonds,
                  std::int32_t atomCount, std::int32_t bondCount, BondShortage shortage) {
  if (atoms.empty() || bonds.empty() || atomCount < 0 || bondCount < 0 ||
      std::ssize(atoms) - 1 < atomCount || std::ssize(bonds) - 1 < bondCount) {
    return false;
  }
  world.atomCapacity = static_cast<std::int32_t>(atoms.size() - 1);
  world.bondCapacity = static_cast<std::int32_t>(bonds.size() - 1);
  world.atoms = std::move(atoms);
  world.bonds = std::move(bonds);
  world.atomCount = atomCount;
  world.bondCount = bondCount;
  world.impactBondShortage = shortage;
  reindexWorld(world);
  return true;
}

std::int32_t allocateAtom(World& world) {
  return allocateAtomAfter(world, 0);
}

std::int32_t allocateBond(World& world) {
  return allocateBondAfter(world, 0);
}

std::int32_t allocateAtomAfter(World& world, std::int32_t after) {
  return allocateSlot(atomTable(world), after, largestSlot, world.faults);
}

std::int32_t allocateBondAfter(World& world, std::int32_t after) {
  return allocateSlot(bondTable(world), after, largestSlot, world.faults);
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
  world.freeAtoms.markTaken(index);
}

// The slot's previous pair leaves the pair index and the new one enters it; room for it is
// made before anything changes.
bool setBond(World& world, std::int32_t index, std::int32_t atomA, std::int32_t atomB,
             float restLength, float spacing, std::int32_t colour) {
  if (!holdsSlot(world.bonds, index)) return false;
  if (!holdsSlot(world.atoms, atomA) || !holdsSlot(world.atoms, atomB)) return false;
  if (!world.bondPairs.makeRoom(1, world.faults)) return false;
  Bond& bond = world.bonds[index];
  world.bondPairs.remove(bond.atomA, bond.atomB, index);
  bond.alive = yes;
  bond.atomA = atomA;
  bond.atomB = atomB;
  bond.spacing = spacing;
  bond.restLength = restLength;
  bond.colour = colour;
  world.bondPairs.add(atomA, atomB, index, world.faults);
  world.freeBonds.markTaken(index);
  return true;
}

// After a shortage only slots up to the count are offered and the pair index must have room
// already, so no growth is tried again.
void makeImpactBond(World& world, std::int32_t atomA, std::int32_t atomB, float space,
                    std::int32_t colour) {
  const bool shortage = world.impactBondShortage != BondShortage::none;
  if (shortage && !world.bondPairs.hasRoom(1)) return;
  const std::int64_t highest = shortage ? world.bondCount : maxBonds;
  const std::int32_t slot = allocateSlot(bondTable(world), 0, highest, world.faults);
  if (slot != 0 && setBond(world, slot, atomA, atomB, space, space, colour)) return;
  if (shortage) return;
  world.impactBondShortage =
      slot == 0 && world.bondCount >= maxBonds ? BondShortage::limit : BondShortage::memory;
}

void freeBond(World& world, std::int32_t index) {
  if (!holdsSlot(world.bonds, index)) return;
  Bond& bond = world.bonds[index];
  bond.alive = no;
  world.bondPairs.remove(bond.atomA, bond.atomB, index);
  world.freeBonds.markFree(index);
}

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
  const bool found = world.bondPairs.anyRecorded(a, b, [&](std::int32_t k) {
    return k <= world.bondCount && holdsSlot(world.bonds, k) && world.bonds[k].alive == yes &&
           joins(world.bonds[k], a, b);
  });
  return found ? yes : no;
}

}  // namespace squish::sim
