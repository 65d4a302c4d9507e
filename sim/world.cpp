// The world store: slot allocation with reuse and doubling growth, filling slots, picking an atom
// near a point and the bonded-pair test, with the free-slot and pair indexes kept in step.
#include "sim/world.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace squish::sim {
namespace {

// Shared by both tables: the first free slot above `after` up to the count, else count + 1 as
// long as that is no higher than `highest`, doubling the capacity when the new count passes it.
// The capacity is computed in 64 bits; a table that cannot grow hands out no slot (0) and keeps
// its count and capacity.
template <typename Record>
std::int32_t allocateSlot(std::vector<Record>& records, std::int32_t& count, std::int32_t& capacity,
                          FreeSlots& free, std::int32_t after, std::int64_t highest,
                          AllocationFaults& faults) {
  const std::int32_t reused = free.firstFreeFrom(std::max(after, 0) + std::int64_t{1});
  if (reused != 0) return reused;
  if (count >= highest) return 0;
  const std::int32_t slot = count + 1;
  if (slot > capacity) {
    const std::int64_t doubled = std::max<std::int64_t>(std::int64_t{capacity} * 2, slot);
    if (!tryResize(records, static_cast<std::size_t>(doubled) + 1, faults)) return 0;
    capacity = static_cast<std::int32_t>(doubled);
  }
  if (!free.cover(slot, faults)) return 0;
  count = slot;
  records[slot].alive = false;
  free.markFree(slot);
  return slot;
}

// Marks every slot of 1..count whose record is not live. False when the bits cannot grow.
template <typename Record>
bool indexFreeSlots(const std::vector<Record>& table, std::int32_t count, FreeSlots& free,
                    AllocationFaults& faults) {
  free.reset();
  if (!free.cover(count, faults)) return false;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    if (!table[slot].alive) free.markFree(slot);
  }
  return true;
}

bool indexBondPairs(const std::vector<Bond>& bonds, std::int32_t count, BondPairs& pairs,
                    AllocationFaults& faults) {
  pairs.clear();
  for (std::int32_t k = 1; k <= count; ++k) {
    const Bond& bond = bonds[k];
    if (bond.alive && !pairs.add(bond.atomA, bond.atomB, k, faults)) return false;
  }
  return true;
}

bool inSlots(std::int64_t index, std::int32_t last) {
  return index >= 1 && index <= last;
}

// The capacity that doubling from `capacity` reaches once `needed` slots are handed out.
std::int64_t grownCapacity(std::int64_t capacity, std::int64_t needed) {
  capacity = std::max<std::int64_t>(capacity, 1);
  while (capacity < needed)
    capacity *= 2;
  return capacity;
}

}  // namespace

void clearWorld(World& world) {
  world.atomCount_ = 0;
  world.bondCount_ = 0;
  world.impactBondShortage_ = BondShortage::none;
  world.freeAtoms_.reset();
  world.freeBonds_.reset();
  world.bondPairs_.clear();
}

std::int32_t allocateAtom(World& world) {
  return allocateAtomAfter(world, 0);
}

std::int32_t allocateBond(World& world) {
  return allocateBondAfter(world, 0);
}

std::int32_t allocateAtomAfter(World& world, std::int32_t after) {
  return allocateSlot(world.atoms_, world.atomCount_, world.atomCapacity_, world.freeAtoms_, after,
                      maxAtoms, world.faults_);
}

std::int32_t allocateBondAfter(World& world, std::int32_t after) {
  return allocateSlot(world.bonds_, world.bondCount_, world.bondCapacity_, world.freeBonds_, after,
                      maxBonds, world.faults_);
}

void setAtom(World& world, std::int32_t index, float x, float y, float vx, float vy,
             std::int32_t colour) {
  if (!inSlots(index, world.atomCount_)) return;
  Atom& atom = world.atoms_[index];
  atom.alive = true;
  vecSet(atom.pos, x, y);
  vecSet(atom.vel, vx, vy);
  atom.placed = false;
  atom.colour = colour;
  world.freeAtoms_.markTaken(index);
}

// The slot's previous pair leaves the pair index and the new one enters it; room for it is
// made before anything changes.
bool setBond(World& world, std::int32_t index, std::int32_t atomA, std::int32_t atomB,
             float restLength, float spacing, std::int32_t colour) {
  if (!inSlots(index, world.bondCount_)) return false;
  if (!inSlots(atomA, world.atomCapacity_) || !inSlots(atomB, world.atomCapacity_)) return false;
  if (!world.bondPairs_.makeRoom(1, world.faults_)) return false;
  Bond& bond = world.bonds_[index];
  if (bond.alive) world.bondPairs_.remove(bond.atomA, bond.atomB, index);
  bond.alive = true;
  bond.atomA = atomA;
  bond.atomB = atomB;
  bond.spacing = spacing;
  bond.restLength = restLength;
  bond.colour = colour;
  world.bondPairs_.add(atomA, atomB, index, world.faults_);
  world.freeBonds_.markTaken(index);
  return true;
}

// After a shortage only slots up to the count are offered and the pair index must have room
// already, so no growth is tried again.
void makeImpactBond(World& world, std::int32_t atomA, std::int32_t atomB, float space,
                    std::int32_t colour) {
  const bool shortage = world.impactBondShortage_ != BondShortage::none;
  if (shortage && !world.bondPairs_.hasRoom(1)) return;
  const std::int64_t highest = shortage ? world.bondCount_ : maxBonds;
  const std::int32_t slot = allocateSlot(world.bonds_, world.bondCount_, world.bondCapacity_,
                                         world.freeBonds_, 0, highest, world.faults_);
  if (slot != 0 && setBond(world, slot, atomA, atomB, space, space, colour)) return;
  if (shortage) return;
  world.impactBondShortage_ =
      slot == 0 && world.bondCount_ >= maxBonds ? BondShortage::limit : BondShortage::memory;
}

void refuseImpactBonds(World& world) {
  if (world.impactBondShortage_ == BondShortage::none)
    world.impactBondShortage_ = BondShortage::memory;
}

void freeBond(World& world, std::int32_t index) {
  if (!inSlots(index, world.bondCount_)) return;
  Bond& bond = world.bonds_[index];
  if (!bond.alive) return;
  bond.alive = false;
  world.bondPairs_.remove(bond.atomA, bond.atomB, index);
  world.freeBonds_.markFree(index);
}

void placeAtom(World& world, std::int32_t atom, Vec2 pos) {
  if (!inSlots(atom, world.atomCount_)) return;
  world.atoms_[atom].pos = pos;
  world.atoms_[atom].placed = true;
}

bool makeRoomFor(World& world, std::int64_t atoms, std::int64_t bonds) {
  const std::int64_t atomsAfter = std::int64_t{world.atomCount_} + atoms;
  const std::int64_t bondsAfter = std::int64_t{world.bondCount_} + bonds;
  if (atomsAfter > maxAtoms || bondsAfter > maxBonds) return false;
  AllocationFaults& faults = world.faults_;
  return tryReserve(world.atoms_,
                    static_cast<std::size_t>(grownCapacity(world.atomCapacity_, atomsAfter)) + 1,
                    faults) &&
         tryReserve(world.bonds_,
                    static_cast<std::size_t>(grownCapacity(world.bondCapacity_, bondsAfter)) + 1,
                    faults) &&
         world.freeAtoms_.reserve(static_cast<std::int32_t>(atomsAfter), faults) &&
         world.freeBonds_.reserve(static_cast<std::int32_t>(bondsAfter), faults) &&
         world.bondPairs_.makeRoom(static_cast<std::size_t>(bonds), faults);
}

std::int32_t pickAtom(const World& world, const SimSettings& settings, float x, float y) {
  const std::span<const Atom> atoms = world.atoms();
  const std::int32_t count = world.atomCount();
  for (std::int32_t i = 1; i <= count; ++i) {
    const Atom& atom = atoms[i];
    if (!atom.alive) continue;
    if (std::fabs(x - atom.pos.x) < settings.atomSpace &&
        std::fabs(y - atom.pos.y) < settings.atomSpace) {
      return i;
    }
  }
  return 0;
}

// The pair index records exactly the live bonds of 1..bondCount.
bool bondExists(const World& world, std::int32_t a, std::int32_t b) {
  if (a == b) return true;
  return world.bondPairs_.anyRecorded(a, b, [](std::int32_t) { return true; });
}

// The new world is made aside, so tables that do not hold or a shortage of memory leave the
// world as it was (but for the growths counted in its fault hook).
bool restoreWorld(World& world, std::vector<Atom> atoms, std::vector<Bond> bonds,
                  std::int32_t atomCount, std::int32_t bondCount, BondShortage shortage) {
  World restored;
  restored.atoms_ = std::move(atoms);
  restored.bonds_ = std::move(bonds);
  const auto capacityOf = [](const auto& table, std::int64_t limit) {
    const auto size = static_cast<std::int64_t>(table.size());
    return size >= 2 && size - 1 < 2 * limit ? static_cast<std::int32_t>(size - 1) : 0;
  };
  restored.atomCapacity_ = capacityOf(restored.atoms_, maxAtoms);
  restored.bondCapacity_ = capacityOf(restored.bonds_, maxBonds);
  restored.atomCount_ = atomCount;
  restored.bondCount_ = bondCount;
  restored.impactBondShortage_ = shortage;
  restored.faults_ = world.faults_;
  // Indexing reads the slots up to the counts; validateWorld checks the rest.
  if (restored.atomCapacity_ == 0 || restored.bondCapacity_ == 0 || atomCount < 0 ||
      atomCount > restored.atomCapacity_ || bondCount < 0 || bondCount > restored.bondCapacity_)
    return false;
  if (!indexFreeSlots(restored.atoms_, atomCount, restored.freeAtoms_, restored.faults_) ||
      !indexFreeSlots(restored.bonds_, bondCount, restored.freeBonds_, restored.faults_) ||
      !indexBondPairs(restored.bonds_, bondCount, restored.bondPairs_, restored.faults_)) {
    world.faults_ = restored.faults_;
    return false;
  }
  if (!validateWorld(restored).empty()) return false;
  world = std::move(restored);
  return true;
}

}  // namespace squish::sim
