// Invariant checks shared by the fuzz entry points.
#include "tests/fuzz/invariants.h"

#include <string>

#include "tests/fuzz/fuzz_entries.h"

namespace squish::fuzz {

void requireSoundWorld(const sim::World& world) {
  const std::string fault = sim::validateWorld(world);
  require(fault.empty(), fault.c_str());
}

void requireSoundPalette(const display::Screen& screen) {
  for (const std::uint32_t entry : screen.palette) {
    require(entry <= 0x00FFFFFFu, "palette entries are 0x00BBGGRR colours");
  }
}

}  // namespace squish::fuzz
