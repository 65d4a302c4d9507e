#pragma once
// The physics step: bonds act as springs, deform and break; gravity; floor and wall rebound;
// contact with momentum exchange and impact bonds; clamp; move.
#include <cstdint>

#include "sim/settings.h"
#include "sim/world.h"

namespace squish::sim {

// One step of the plain algorithm, slot by slot: the reference every faster step must match
// bit for bit.
void stepWorld(World& world, const SimSettings& settings);

void updateBond(World& world, const SimSettings& settings, std::int32_t bond);
void reboundWalls(World& world, const SimSettings& settings, std::int32_t atom);
// Where reboundWalls puts an atom standing at `pos`: the walls move an atom by its position
// alone.
Vec2 reboundedPosition(Vec2 pos);
void collideAtom(World& world, const SimSettings& settings, std::int32_t atom);

}  // namespace squish::sim
