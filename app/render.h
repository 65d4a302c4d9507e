#pragma once
// World rendering: every live atom as a circle outline and every live bond as a line between
// its atoms, drawn onto the screen's work page. It clears nothing and presents nothing.
#include "display/screen.h"
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::app {

// Screen x = 320 + world x, screen y = 480 - world y, in single precision and unrounded: the
// primitives round to pixels and clip. Atoms first, then bonds, each in slot order.
void renderWorld(display::Screen& screen, const sim::World& world,
                 const sim::SimSettings& settings);

}  // namespace squish::app
