#pragma once
// World rendering: every live atom as a circle outline and every live bond as a line between
// its atoms, drawn onto the screen's work page. It clears nothing and presents nothing.
#include <cstdint>
#include <vector>

#include "display/screen.h"
#include "sim/growth.h"
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::app {

// An atom's screen position rounded to a pixel, as the line primitive rounds a bond's end.
struct AtomPixel {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool isNumber = false;  // false when either coordinate is NaN: its bonds draw nothing
};

// What a renderer keeps from frame to frame: buffers, so drawing allocates nothing once they
// have grown to the world's size, and the size of the last picture, which decides whether a
// second thread is worth starting. It holds no picture: any scratch gives the same pixels.
struct RenderScratch {
  std::vector<AtomPixel> atomPixels;  // per atom slot
  // Elements handed to the primitives last time, and how many make two threads pay.
  std::int64_t elementsLastDrawn = 0;
  std::int64_t elementsForTwoThreads = 50000;
  // The buffers grow through this hook; tests make it fail. Without memory for the table of
  // atom pixels, every bond end is worked out where it is drawn: the same picture, slower.
  sim::AllocationFaults faults;
};

// Screen x = 320 + world x, screen y = 480 - world y, in single precision and unrounded: the
// primitives round to pixels and clip. Atoms first, then bonds, each in slot order.
void renderWorld(display::Screen& screen, const sim::World& world, const sim::SimSettings& settings,
                 RenderScratch& scratch);

// The same with buffers of its own, for a single picture.
void renderWorld(display::Screen& screen, const sim::World& world,
                 const sim::SimSettings& settings);

}  // namespace squish::app
