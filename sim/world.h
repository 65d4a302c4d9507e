#pragma once
// The world store: growable tables of atoms and bonds addressed by 1-based slot indices (0 means
// none), slot allocation with reuse, picking and the bonded-pair test.
#include <cstdint>
#include <vector>

#include "sim/bond_pairs.h"
#include "sim/free_slots.h"
#include "sim/growth.h"
#include "sim/settings.h"
#include "sim/vec2.h"

namespace squish::sim {

// Truth values of the records: -1 is true, 0 is false.
inline constexpr std::int32_t yes = -1;
inline constexpr std::int32_t no = 0;

struct Atom {
  std::int32_t alive = 0;
  Vec2 pos;
  Vec2 vel;
  std::int32_t placed = 0;
  std::int32_t colour = 0;
};

struct Bond {
  std::int32_t alive = 0;
  std::int32_t atomA = 0;
  std::int32_t atomB = 0;
  float spacing = 0.0f;
  float restLength = 0.0f;
  std::int32_t colour = 0;
};

inline constexpr std::int32_t initialCapacity = 16;

// Bodies that would take the world past these limits build nothing at all, and impact bonds
// stop at maxBonds slots.
inline constexpr std::int64_t maxAtoms = 4'000'000;
inline constexpr std::int64_t maxBonds = 4 * maxAtoms;

// Why atoms that meet hard enough are not being glued by new bonds: the bond table holds
// maxBonds slots, or memory for more could not be had.
enum class BondShortage : std::uint8_t { none, limit, memory };

struct World {
  // Index 0 is never used, so each table holds capacity + 1 records.
  std::vector<Atom> atoms = std::vector<Atom>(initialCapacity + 1);
  std::vector<Bond> bonds = std::vector<Bond>(initialCapacity + 1);
  std::int32_t atomCapacity = initialCapacity;
  std::int32_t bondCapacity = initialCapacity;
  std::int32_t atomCount = 0;
  std::int32_t bondCount = 0;

  // Indexes kept in step by the functions below; they speed up allocation and bondExists and
  // are no part of the world's contents. Code that writes `alive` or the counts directly calls
  // reindexWorld before the next allocation; until then a slot it freed that way is not handed
  // out, while one it filled or a bond it killed is recognised as such.
  FreeSlots freeAtoms;
  FreeSlots freeBonds;
  BondPairs bondPairs;

  // Set when an impact bond could not be made. From then on impact bonds only take free slots
  // (no more growth is tried, so a shortage costs no failed allocation per contact) until the
  // world is cleared.
  BondShortage impactBondShortage = BondShortage::none;
  // Every growth of the tables and indexes goes through this hook; tests make it fail.
  AllocationFaults faults;
};

// Drops both counts to 0 and forgets any bond shortage; capacities and the old records stay and
// are overwritten as slots are handed out again.
void clearWorld(World& world);

// Adopts whole tables read from elsewhere (a saved world): capacity = table size - 1. False, with
// the world unchanged, when the tables do not fit the world's limits.
bool restoreWorld(World& world, std::vector<Atom> atoms, std::vector<Bond> bonds,
                  std::int32_t atomCount, std::int32_t bondCount, BondShortage shortage);

// Rebuilds the indexes from the tables: for code that has written records or counts directly.
void reindexWorld(World& world);

// Reserves a slot: the first free one in 1..count, else count + 1, doubling the capacity (new
// slots zero-filled) when the count passes it. The slot still reads as free until it is set.
// Returns 0 when the table can grow no further (int32 slot range or memory exhausted).
// The lowest free slot comes from the free-slot index in O(log n), not from a scan.
std::int32_t allocateAtom(World& world);
std::int32_t allocateBond(World& world);

// The first free slot above `after`, else a new one: for a caller that frees none and fills
// each slot it gets before asking again, so every slot up to its previous one is taken.
std::int32_t allocateAtomAfter(World& world, std::int32_t after);
std::int32_t allocateBondAfter(World& world, std::int32_t after);

// Fill a slot and make it live. An index outside 1..capacity is ignored, and so is a bond whose
// atoms lie outside the atom table, so every live bond can be followed safely. setBond returns
// whether the bond was made: it is not when ignored, or when the pair index cannot grow (the
// slot then stays as it was).
void setAtom(World& world, std::int32_t index, float x, float y, float vx, float vy,
             std::int32_t colour);
bool setBond(World& world, std::int32_t index, std::int32_t atomA, std::int32_t atomB,
             float restLength, float spacing, std::int32_t colour);

// Glues two atoms that met hard enough with a bond of rest length and spacing `space`, in the
// first free slot or a new one. When none can be had it records why in impactBondShortage and
// no bond is made.
void makeImpactBond(World& world, std::int32_t atomA, std::int32_t atomB, float space,
                    std::int32_t colour);

// The first live atom inside the square of half-width atomSpace around (x, y); 0 when none.
std::int32_t pickAtom(const World& world, const SimSettings& settings, float x, float y);

// Breaks a bond: its slot becomes free and the rest of its record stays as it was.
void freeBond(World& world, std::int32_t bond);

// yes when a equals b or a live bond in slots 1..bondCount joins them (either way round); no
// otherwise. Looked up in the pair index, each recorded slot confirmed against the table.
std::int32_t bondExists(const World& world, std::int32_t a, std::int32_t b);

}  // namespace squish::sim
