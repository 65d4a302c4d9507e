// The scene reader fed from memory, then what the program does with the scene: a few physics
// steps and one rendered frame. Every BITMAP line loads the image that follows the separator.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "app/render.h"
#include "display/image.h"
#include "scene/scene_reader.h"
#include "sim/fast_step.h"
#include "sim/step.h"
#include "tests/fuzz/fuzz_entries.h"
#include "tests/fuzz/invariants.h"

namespace squish::fuzz {
namespace {

// Steps and drawing cost in proportion to the atoms; a scene of millions is sound but would
// only slow the search down, so reading stops at the first line that passes this many atoms,
// and a world that holds more is neither stepped nor drawn.
constexpr std::int32_t atomBudget = 5000;
constexpr int stepsRun = 3;
// The plain step meets every pair: past a few hundred atoms it would take most of the time, and
// the step fuzzer already holds the two steps to each other.
constexpr std::int32_t plainStepBudget = 400;

// Reads line by line (lines are independent, so this reads exactly as one call would) until
// the world holds more atoms than the budget.
void readWithinBudget(sim::World& world, sim::SimSettings& settings, std::string_view text,
                      const sim::ImageFileLoader& loadImage) {
  while (!text.empty() && world.atomCount() <= atomBudget) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    scene::readSceneText(world, settings, text.substr(0, end), loadImage);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

}  // namespace

void feedSceneReader(Bytes input) {
  const std::string_view whole(reinterpret_cast<const char*>(input.data()), input.size());
  const std::size_t split = whole.find(imageSeparator);
  const std::string_view text = whole.substr(0, split);
  const Bytes image =
      split == std::string_view::npos ? Bytes{} : input.subspan(split + imageSeparator.size());

  display::Screen screen;
  if (!display::openScreen(screen, 18, 8, 2, 0, 0)) std::abort();
  display::setPages(screen, 1, 0);
  const sim::ImageFileLoader loadImage = [&](const std::string&, std::int32_t width,
                                             std::int32_t height,
                                             std::vector<std::uint8_t>& block) {
    sim::AllocationFaults faults;
    if (sim::makeImageBlock(block, width, height, faults))
      display::loadImageMemory(screen, image, block);
  };

  sim::World world;
  sim::SimSettings settings;
  readWithinBudget(world, settings, text, loadImage);
  requireSoundWorld(world);
  requireSoundPalette(screen);

  if (world.atomCount() <= atomBudget) {
    sim::StepState state;
    for (int step = 0; step < stepsRun; ++step) {
      if (world.atomCount() <= plainStepBudget) sim::stepWorld(world, settings);
      sim::stepWorldFast(world, settings, state);
    }
    requireSoundWorld(world);
    display::clearPage(screen);
    app::renderWorld(screen, world, settings);
    display::copyPage(screen, 1, 0);
  }
  display::closeScreen(screen);
}

}  // namespace squish::fuzz
