// Invariant checks shared by the fuzz entry points.
#include "tests/fuzz/invariants.h"

#include "tests/fuzz/fuzz_entries.h"

namespace squish::fuzz {

void requireSoundWorld(const sim::World& world) {
  require(world.atomCount >= 0 && world.atomCount <= world.atomCapacity, "atom count in range");
  require(world.bondCount >= 0 && world.bondCount <= world.bondCapacity, "bond count in range");
  require(world.atoms.size() == static_cast<std::size_t>(world.atomCapacity) + 1,
          "atom table matches its capacity");
  require(world.bonds.size() == static_cast<std::size_t>(world.bondCapacity) + 1,
          "bond table matches its capacity");
  for (std::int32_t b = 1; b <= world.bondCount; ++b) {
    const sim::Bond& bond = world.bonds[b];
    if (bond.alive == sim::no) continue;
    require(bond.atomA >= 1 && bond.atomA <= world.atomCapacity, "live bond's first atom");
    require(bond.atomB >= 1 && bond.atomB <= world.atomCapacity, "live bond's second atom");
  }
}

void requireSoundPalette(const display::Screen& screen) {
  for (const std::uint32_t entry : screen.palette) {
    require(entry <= 0x00FFFFFFu, "palette entries are 0x00BBGGRR colours");
  }
}

}  // namespace squish::fuzz
