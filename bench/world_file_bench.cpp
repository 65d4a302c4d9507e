// Reading and writing world files of the pile of boxes: the text of a 100,000-atom world read,
// checked and put in place (what --load and F6 do, apart from reading the file), and written.
#include <benchmark/benchmark.h>

#include "bench/bench_scenes.h"
#include "worlds/world_file.h"

namespace squish::bench {
namespace {

std::string worldText(const Scene& scene) {
  return worlds::formatWorldFile({}, scene.settings, scene.world, std::nullopt, {},
                                 display::RandomGenerator{});
}

void loadWorld(benchmark::State& state) {
  const std::string text = worldText(boxPile(static_cast<std::int32_t>(state.range(0))));
  sim::World world;
  for (auto _ : state) {
    const worlds::WorldRead read = worlds::readWorldFile(text);
    if (!read.world ||
        !sim::restoreWorld(world, read.world->atoms, read.world->bonds, read.world->atomCount,
                           read.world->bondCount, read.world->impactBondShortage)) {
      state.SkipWithError(read.problem.c_str());
      return;
    }
  }
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void saveWorld(benchmark::State& state) {
  const Scene scene = boxPile(static_cast<std::int32_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(worldText(scene));
}

BENCHMARK(loadWorld)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(saveWorld)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace squish::bench

BENCHMARK_MAIN();
