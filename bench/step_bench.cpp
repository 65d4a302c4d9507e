// Speed of the reference physics step: the default scene's nine bodies and a 100 x 100 box
// (10,000 atoms, where the quadratic contact pass dominates). Reported as steps per second.
#include <benchmark/benchmark.h>

#include "sim/builders.h"
#include "sim/default_scene.h"
#include "sim/step.h"
#include "sim/world.h"

namespace squish::sim {
namespace {

void runSteps(benchmark::State& state, World& world, const SimSettings& settings) {
  for (auto _ : state) {
    stepWorld(world, settings);
    benchmark::DoNotOptimize(world.atoms.data());
  }
  state.counters["steps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["atoms"] = world.atomCount;
}

void stepDefaultScene(benchmark::State& state) {
  const SimSettings settings;
  World world;
  buildDefaultScene(world, settings);
  runSteps(state, world, settings);
}
BENCHMARK(stepDefaultScene);

void stepHundredByHundredBox(benchmark::State& state) {
  const SimSettings settings;
  World world;
  buildBox(world, settings, -300.0f, 10.0f, 100, 100, 9, 0.0f);
  runSteps(state, world, settings);
}
BENCHMARK(stepHundredByHundredBox)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace squish::sim

BENCHMARK_MAIN();
