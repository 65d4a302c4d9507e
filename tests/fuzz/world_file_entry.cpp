// The world-file reader fed any text. What it accepts must be a world the program can hold:
// put in place, sound, steppable, drawable, and written back to a text that reads back to the
// very same text.
#include <string_view>

#include "sim/fast_step.h"
#include "tests/fuzz/fuzz_entries.h"
#include "tests/fuzz/invariants.h"
#include "worlds/world_file.h"

namespace squish::fuzz {
namespace {

// Stepping costs in proportion to the atoms; bigger worlds are only read and written.
constexpr std::int32_t atomBudget = 5000;

std::string rewritten(const worlds::SavedWorld& saved, const sim::World& world) {
  return worlds::formatWorldFile({}, saved.settings, world, std::nullopt, saved.palette,
                                 saved.random.value_or(display::RandomGenerator{}));
}

}  // namespace

void feedWorldFile(Bytes input) {
  const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
  const worlds::WorldRead read = worlds::readWorldFile(text);
  if (!read.world) {
    require(!read.problem.empty(), "a refused world file says why");
    return;
  }
  const worlds::SavedWorld& saved = *read.world;
  sim::World world;
  require(sim::restoreWorld(world, saved.atoms, saved.bonds, saved.atomCount, saved.bondCount,
                            saved.impactBondShortage),
          "an accepted world file fits the world");
  requireSoundWorld(world);

  const std::string once = rewritten(saved, world);
  const worlds::WorldRead again = worlds::readWorldFile(once);
  require(again.world.has_value(), "a world written back reads again");
  require(rewritten(*again.world, world) == once, "a world written back reads as itself");

  if (world.atomCount() > atomBudget) return;
  sim::SimSettings settings = saved.settings;
  sim::StepState state;
  for (int i = 0; i < 3; ++i)
    sim::stepWorldFast(world, settings, state);
  requireSoundWorld(world);
}

}  // namespace squish::fuzz
