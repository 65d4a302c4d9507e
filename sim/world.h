#pragma once
// The world store: growable tables of atoms and bonds addressed by 1-based slot indices (0 means
// none), slot allocation with reuse, picking and the bonded-pair test. The tables are read
// through spans and changed only through the functions declared here, which keep the world's
// invariants (validateWorld lists them) and its indexes in step with the tables.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/bond_pairs.h"
#include "sim/free_slots.h"
#include "sim/growth.h"
#include "sim/settings.h"
#include "sim/vec2.h"

namespace squish::sim {

struct Atom {
  bool alive = false;
  Vec2 pos;
  Vec2 vel;
  bool placed = false;  // turned into place by the builder that made it
  std::int32_t colour = 0;
};

struct Bond {
  bool alive = false;
  std::int32_t atomA = 0;
  std::int32_t atomB = 0;
  float spacing = 0.0f;
  float restLength = 0.0f;
  std::int32_t colour = 0;
};

inline constexpr std::int32_t initialCapacity = 16;

// The world holds at most this many atom and bond slots: bodies that would take it further build
// nothing at all, impact bonds stop, and allocation hands out no slot. Capacities, which double,
// stay below twice these.
inline constexpr std::int64_t maxAtoms = 4'000'000;
inline constexpr std::int64_t maxBonds = 4 * maxAtoms;

// Why atoms that meet hard enough are not being glued by new bonds: the bond table holds
// maxBonds slots, or memory for more could not be had.
enum class BondShortage : std::uint8_t { none, limit, memory };

class World;

// Drops both counts to 0 and forgets any bond shortage; capacities and the old records stay and
// are overwritten as slots are handed out again.
void clearWorld(World& world);

// Reserves a slot: the first free one in 1..count, else count + 1, doubling the capacity (new
// slots zero-filled) when the count passes it. The slot still reads as free until it is set.
// Returns 0 when the table can grow no further (maxAtoms or maxBonds slots, or no memory). The
// lowest free slot comes from the free-slot index in O(log n), not from a scan.
std::int32_t allocateAtom(World& world);
std::int32_t allocateBond(World& world);

// The first free slot above `after`, else a new one: for a caller that frees none and fills
// each slot it gets before asking again, so every slot up to its previous one is taken.
std::int32_t allocateAtomAfter(World& world, std::int32_t after);
std::int32_t allocateBondAfter(World& world, std::int32_t after);

// Fill a slot handed out by allocation (1..count) and make it live; any other index is ignored,
// and so is a bond whose atoms lie outside the atom table (1..atomCapacity), so every live bond
// can be followed safely. setBond returns whether the bond was made: it is not when ignored, or
// when the pair index cannot grow (the slot then stays as it was).
void setAtom(World& world, std::int32_t index, float x, float y, float vx, float vy,
             std::int32_t colour);
bool setBond(World& world, std::int32_t index, std::int32_t atomA, std::int32_t atomB,
             float restLength, float spacing, std::int32_t colour);

// Glues two atoms that met hard enough with a bond of rest length and spacing `space`, in the
// first free slot or a new one. When none can be had it records why in impactBondShortage and
// no bond is made.
void makeImpactBond(World& world, std::int32_t atomA, std::int32_t atomB, float space,
                    std::int32_t colour);

// Records a shortage of memory for impact bonds, as a failed growth of the bond table does,
// unless one is recorded already.
void refuseImpactBonds(World& world);

// Breaks a bond of slots 1..bondCount: its slot becomes free and the rest of its record stays as
// it was.
void freeBond(World& world, std::int32_t bond);

// Moves an atom of slots 1..atomCount to where its builder turns it and marks it placed.
void placeAtom(World& world, std::int32_t atom, Vec2 pos);

// Secures the memory for `atoms` more atoms and `bonds` more bonds (table records, free-slot bits
// and pair index entries), so allocating and filling that many slots cannot fail. False, with the
// world's contents as they were, when they would take it past maxAtoms or maxBonds or the memory
// cannot be had.
bool makeRoomFor(World& world, std::int64_t atoms, std::int64_t bonds);

// The first live atom inside the square of half-width atomSpace around (x, y); 0 when none.
std::int32_t pickAtom(const World& world, const SimSettings& settings, float x, float y);

// True when a equals b or a live bond in slots 1..bondCount joins them (either way round). Looked
// up in the pair index.
bool bondExists(const World& world, std::int32_t a, std::int32_t b);

// Adopts whole tables made elsewhere (a world read from a file): atoms[i] and bonds[k] become
// slots i and k, each capacity is its table's size - 1, and the indexes are rebuilt from the
// tables. The tables must hold what validateWorld requires of a world: a capacity of at least 1
// and below twice maxAtoms (maxBonds), counts from 0 to the capacity and at most maxAtoms
// (maxBonds), and every live bond in slots 1..bondCount joining atoms of 1..atomCapacity.
// Returns false, with the world unchanged, when they do not or the indexes' memory cannot be had.
bool restoreWorld(World& world, std::vector<Atom> atoms, std::vector<Bond> bonds,
                  std::int32_t atomCount, std::int32_t bondCount, BondShortage shortage);

// What is wrong with the world, or "" when every invariant holds: the invariants of restoreWorld,
// each table of capacity + 1 records, and the indexes in step with the tables (exactly the free
// slots of 1..count marked free, exactly the live bonds of 1..bondCount in the pair index).
std::string validateWorld(const World& world);

// Where assertions are compiled in, ends the program with the fault's description when
// validateWorld finds one; `after` names what has just changed the world. Otherwise nothing.
void assertValidWorld(const World& world, const char* after);

class World {
 public:
  // Index 0 is never used, so each table holds capacity + 1 records.
  std::span<const Atom> atoms() const { return atoms_; }
  std::span<const Bond> bonds() const { return bonds_; }
  // The highest slot handed out since the last clear.
  std::int32_t atomCount() const { return atomCount_; }
  std::int32_t bondCount() const { return bondCount_; }
  std::int32_t atomCapacity() const { return atomCapacity_; }
  std::int32_t bondCapacity() const { return bondCapacity_; }

  // Set when an impact bond could not be made. From then on impact bonds only take free slots
  // (no more growth is tried, so a shortage costs no failed allocation per contact) until the
  // world is cleared.
  BondShortage impactBondShortage() const { return impactBondShortage_; }

  // Every growth of the tables and indexes goes through this hook; tests make it fail.
  AllocationFaults& faults() { return faults_; }
  const AllocationFaults& faults() const { return faults_; }

  // The fields that moving changes and no index depends on: an atom's position and velocity and
  // a bond's rest length, for the step, dragging and the kick. The slot lies in its table.
  Vec2& position(std::int32_t atom) { return atoms_[atom].pos; }
  Vec2& velocity(std::int32_t atom) { return atoms_[atom].vel; }
  float& restLength(std::int32_t bond) { return bonds_[bond].restLength; }

 private:
  friend void clearWorld(World&);
  friend std::int32_t allocateAtomAfter(World&, std::int32_t);
  friend std::int32_t allocateBondAfter(World&, std::int32_t);
  friend void setAtom(World&, std::int32_t, float, float, float, float, std::int32_t);
  friend bool setBond(World&, std::int32_t, std::int32_t, std::int32_t, float, float, std::int32_t);
  friend void makeImpactBond(World&, std::int32_t, std::int32_t, float, std::int32_t);
  friend void refuseImpactBonds(World&);
  friend void freeBond(World&, std::int32_t);
  friend void placeAtom(World&, std::int32_t, Vec2);
  friend bool makeRoomFor(World&, std::int64_t, std::int64_t);
  friend bool bondExists(const World&, std::int32_t, std::int32_t);
  friend bool restoreWorld(World&, std::vector<Atom>, std::vector<Bond>, std::int32_t, std::int32_t,
                           BondShortage);
  friend std::string validateWorld(const World&);

  std::vector<Atom> atoms_ = std::vector<Atom>(initialCapacity + 1);
  std::vector<Bond> bonds_ = std::vector<Bond>(initialCapacity + 1);
  std::int32_t atomCapacity_ = initialCapacity;
  std::int32_t bondCapacity_ = initialCapacity;
  std::int32_t atomCount_ = 0;
  std::int32_t bondCount_ = 0;

  // Indexes kept in step by the functions above; they speed up allocation and bondExists and
  // are no part of the world's contents.
  FreeSlots freeAtoms_;
  FreeSlots freeBonds_;
  BondPairs bondPairs_;

  BondShortage impactBondShortage_ = BondShortage::none;
  AllocationFaults faults_;
};

}  // namespace squish::sim
