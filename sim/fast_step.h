#pragma once
// The fast physics step: the same step as stepWorld, result for result and bit for bit, with the
// contact search narrowed by a spatial grid instead of the all-pairs loop.
#include "sim/contact_grid.h"
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::sim {

// What the fast step keeps between calls: buffers that grow to the world's size once and are
// reused every step, so a step allocates nothing in the steady state. It holds no physics:
// any state (a fresh one, or one last used on another world) gives the same results.
struct StepState {
  ContactGrid grid;
  std::vector<std::int32_t> candidates;
};

// One physics step. Contacts are found through the grid when atomSize is a positive number up
// to maxGridAtomSize; when atomSize is 0 or negative no pair can touch and the contact search is
// skipped; otherwise (NaN, infinite or huge) each atom meets every other as in stepWorld.
void stepWorldFast(World& world, const SimSettings& settings, StepState& state);

// Beyond this atom size a cell spans the whole arena and the grid only adds work.
inline constexpr float maxGridAtomSize = 1000.0f;

}  // namespace squish::sim
