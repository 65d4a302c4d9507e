#pragma once
// The scene the program builds when no scene file is named: eight boxes and one triangle,
// 237 atoms and 639 bonds, laid out with the settings in force.
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::sim {

// Adds the default bodies in their fixed order; the caller clears the world first.
void buildDefaultScene(World& world, const SimSettings& settings);

}  // namespace squish::sim
