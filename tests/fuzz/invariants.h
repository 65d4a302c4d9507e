#pragma once
// What must hold after any input, however hostile: the world's tables agree with their counts
// and capacities and every live bond names atoms inside the table; the palette holds colours.
#include "display/screen.h"
#include "sim/world.h"

namespace squish::fuzz {

void requireSoundWorld(const sim::World& world);
void requireSoundPalette(const display::Screen& screen);

}  // namespace squish::fuzz
