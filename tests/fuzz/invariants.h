#pragma once
// What must hold after any input, however hostile: every invariant of the world (validateWorld);
// the palette holds colours.
#include "display/screen.h"
#include "sim/world.h"

namespace squish::fuzz {

void requireSoundWorld(const sim::World& world);
void requireSoundPalette(const display::Screen& screen);

}  // namespace squish::fuzz
