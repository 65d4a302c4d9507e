#pragma once
// The fast step's bond pass: every live bond's spring worked out block by block, and its impulse
// added to its atoms' velocities in bond slot order, as stepWorld's bond loop does; on one
// thread, or shared by two.
#include <cstdint>
#include <span>

#include "sim/settings.h"
#include "sim/vec2.h"
#include "sim/world.h"

namespace squish::sim {

inline constexpr std::int32_t bondBlock = 256;

// What one bond slot's spring does this step: the impulse is added to B's velocity and taken
// from A's. Slot 0 is never an atom: a free slot has both atoms 0, a bond that breaks has atom A
// 0 and atom B -1, so neither pushes an atom.
struct SpringOutcome {
  std::int32_t atomA = 0;
  std::int32_t atomB = 0;
  Vec2 impulse;
};

// The whole pass on the calling thread.
void actOnBonds(World& world, const SimSettings& settings);

// Works out the springs of bonds first..last into the same entries of `outcomes` and sets the
// new rest length of each bond that deforms and holds. It reads positions, which no bond
// changes, and writes only these bonds' records, so blocks of bonds can be worked out in any
// order and on either thread.
void workOutBonds(World& world, const SimSettings& settings, std::int32_t first, std::int32_t last,
                  std::span<SpringOutcome> outcomes);

// Adds every bond's impulse in slot order to the atoms of slots from..to, so that each of them
// takes the same additions in the same order as in the whole pass; with `freeBroken`, also
// frees the bonds that break.
void applySpringOutcomes(World& world, std::span<const SpringOutcome> outcomes, std::int32_t from,
                         std::int32_t to, bool freeBroken);

}  // namespace squish::sim
