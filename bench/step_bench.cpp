// Speed of the physics step and of the builders. Scenes of 1k, 10k and 100k atoms (a pile of
// boxes that has fallen for a while, one large bitmap body, a kicked cloud), and worlds whose
// coordinates the contact grid cannot give cell indices (40k atoms 1e15 up, 40k atoms of size
// 1e-12, 9k atoms flying apart to 1e38) are stepped by the fast step, and by the plain quadratic
// step where it finishes in reasonable time; the fast step runs on one thread and on two. A table
// of steps per second, the ratio between the two steps and between two threads and one follows
// the usual report.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_scenes.h"
#include "sim/builders.h"
#include "sim/default_scene.h"
#include "sim/fast_step.h"
#include "sim/step.h"
#include "sim/world.h"

namespace squish::sim {
namespace {

using bench::Scene;

void stepFast(benchmark::State& state, const Scene& scene, int threads) {
  World world = scene.world;
  StepState stepState;
  stepState.threads = threads;
  stepState.keepTheFasterWay = false;  // the figures of the way asked for
  int steps = 0;
  for (auto _ : state) {
    if (bench::freshCopyDue(steps)) {
      state.PauseTiming();
      world = scene.world;
      state.ResumeTiming();
    }
    stepWorldFast(world, scene.settings, stepState);
    benchmark::DoNotOptimize(world.atoms().data());
  }
  state.counters["steps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["atoms"] = world.atomCount();
}

void stepPlain(benchmark::State& state, const Scene& scene) {
  World world = scene.world;
  int steps = 0;
  for (auto _ : state) {
    if (bench::freshCopyDue(steps)) {
      state.PauseTiming();
      world = scene.world;
      state.ResumeTiming();
    }
    stepWorld(world, scene.settings);
    benchmark::DoNotOptimize(world.atoms().data());
  }
  state.counters["steps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["atoms"] = world.atomCount();
}

void buildBitmap300(benchmark::State& state) {
  const std::int32_t side = 300;
  std::vector<std::uint8_t> image(4 + side * side, 7);
  for (auto _ : state) {
    World world;
    buildBitmap(world, SimSettings{}, image, side, side, -300.0f, 3000.0f, 0, 0.1f);
    benchmark::DoNotOptimize(world.atoms().data());
  }
}

void buildBox1000x100(benchmark::State& state) {
  for (auto _ : state) {
    World world;
    buildBox(world, SimSettings{}, -300.0f, 10.0f, 1000, 100, 9, 0.1f);
    benchmark::DoNotOptimize(world.atoms().data());
  }
}

// 80,000 bodies of four atoms, one after another: building stays linear in the atoms built.
void buildBoxes80k(benchmark::State& state) {
  for (auto _ : state) {
    World world;
    for (std::int32_t i = 0; i < 80000; ++i) {
      buildBox(world, SimSettings{}, static_cast<float>(i % 600 - 300),
               static_cast<float>(50 + i / 600 * 3), 2, 2, 9, 0.0f);
    }
    benchmark::DoNotOptimize(world.atoms().data());
  }
}

void stepDefaultScene(benchmark::State& state) {
  Scene scene{"default", World{}, SimSettings{}};
  buildDefaultScene(scene.world, scene.settings);
  stepPlain(state, scene);
}

// Keeps steps per second by benchmark name for the closing table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> stepsPerSecond;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.real_accumulated_time > 0.0)
        stepsPerSecond[run.benchmark_name()] =
            static_cast<double>(run.iterations) / run.real_accumulated_time;
    }
  }
};

std::string cpuModel() {
  std::ifstream info("/proc/cpuinfo");
  std::string line;
  while (std::getline(info, line)) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown";
}

}  // namespace
}  // namespace squish::sim

int main(int argc, char** argv) {
  using namespace squish::sim;
  benchmark::Initialize(&argc, argv);
  const std::vector<std::int32_t> sizes{1000, 10000, 100000};
  std::vector<squish::bench::Scene> scenes;
  for (const std::int32_t atoms : sizes) {
    scenes.push_back(squish::bench::boxPile(atoms));
    scenes.push_back(squish::bench::bitmapBody(atoms));
    scenes.push_back(squish::bench::kickedCloud(atoms));
  }
  scenes.push_back(squish::bench::farRows(40000));
  scenes.push_back(squish::bench::tinyAtoms(40000));
  scenes.push_back(squish::bench::explodingBox(9025));
  benchmark::RegisterBenchmark("stepDefaultScene", stepDefaultScene);
  benchmark::RegisterBenchmark("build/bitmap300x300", buildBitmap300)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("build/box1000x100", buildBox1000x100)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("build/80000 boxes of 2x2", buildBoxes80k)
      ->Unit(benchmark::kMillisecond);
  for (const Scene& scene : scenes) {
    const std::string size = std::to_string(scene.world.atomCount());
    benchmark::RegisterBenchmark(("fast/" + scene.name + "/" + size).c_str(), stepFast, scene, 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("fast2/" + scene.name + "/" + size).c_str(), stepFast, scene, 2)
        ->Unit(benchmark::kMillisecond);
    // The plain step is quadratic: at 100k atoms one step takes tens of seconds.
    if (scene.world.atomCount() <= 20000) {
      benchmark::RegisterBenchmark(("plain/" + scene.name + "/" + size).c_str(), stepPlain, scene)
          ->Unit(benchmark::kMillisecond);
    }
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nCPU: %s; fast steps on one thread and on two (worlds of %d slots or more)\n",
              cpuModel().c_str(), StepState{}.atomsForTwoThreads);
  std::printf("%-9s %8s %14s %14s %14s %8s %8s\n", "scene", "atoms", "plain steps/s",
              "fast steps/s", "2 threads", "ratio", "2 / 1");
  const auto figure = [&](const std::string& name) {
    const auto found = reporter.stepsPerSecond.find(name);
    return found == reporter.stepsPerSecond.end() ? 0.0 : found->second;
  };
  for (const Scene& scene : scenes) {
    const std::string key = scene.name + "/" + std::to_string(scene.world.atomCount());
    const double fast = figure("fast/" + key);
    const double two = figure("fast2/" + key);
    const double plain = figure("plain/" + key);
    if (fast == 0.0) continue;
    std::printf("%-9s %8d ", scene.name.c_str(), scene.world.atomCount());
    if (plain > 0.0) {
      std::printf("%14.2f %14.1f %14.1f %8.1f", plain, fast, two, fast / plain);
    } else {
      std::printf("%14s %14.1f %14.1f %8s", "-", fast, two, "-");
    }
    std::printf(" %8.2f\n", two / fast);
  }
  return 0;
}
