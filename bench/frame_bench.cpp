// Speed of whole headless frames: step, clear, render, widgets and copy, as squish-headless runs
// them, on the benchmark scenes of 1k, 10k and 100k atoms; then the drawing alone. A table of
// frames per second follows the usual report.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/render.h"
#include "bench/bench_scenes.h"
#include "headless/headless_program.h"

namespace squish::bench {
namespace {

// A headless run of the default scene whose world and settings are then replaced by the scene's.
void loadScene(headless::HeadlessProgram& program, const Scene& scene) {
  program.world() = scene.world;
  program.settings() = scene.settings;
}

void wholeFrames(benchmark::State& state, const Scene& scene) {
  headless::HeadlessProgram program({}, 1);
  loadScene(program, scene);
  int frames = 0;
  for (auto _ : state) {
    if (freshCopyDue(frames)) {
      state.PauseTiming();
      loadScene(program, scene);
      state.ResumeTiming();
    }
    if (!program.runFrame()) state.SkipWithError("the frame loop ended");
  }
  state.counters["frames"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void drawingOnly(benchmark::State& state, const Scene& scene) {
  headless::HeadlessProgram program({}, 1);
  loadScene(program, scene);
  app::RenderScratch scratch;
  for (auto _ : state) {
    app::renderWorld(program.screen(), program.world(), program.settings(), scratch);
  }
  state.counters["draws"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Keeps runs per second by benchmark name for the closing table.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> perSecond;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.real_accumulated_time > 0.0)
        perSecond[run.benchmark_name()] =
            static_cast<double>(run.iterations) / run.real_accumulated_time;
    }
  }
};

double rateOf(const RateReporter& reporter, const std::string& name) {
  const auto found = reporter.perSecond.find(name);
  return found == reporter.perSecond.end() ? 0.0 : found->second;
}

}  // namespace
}  // namespace squish::bench

int main(int argc, char** argv) {
  using namespace squish::bench;
  benchmark::Initialize(&argc, argv);
  std::vector<Scene> scenes;
  for (const std::int32_t atoms : {1000, 10000, 100000}) {
    scenes.push_back(boxPile(atoms));
    scenes.push_back(bitmapBody(atoms));
    scenes.push_back(kickedCloud(atoms));
  }
  for (const Scene& scene : scenes) {
    const std::string key = scene.name + "/" + std::to_string(scene.world.atomCount());
    benchmark::RegisterBenchmark(("frame/" + key).c_str(), wholeFrames, scene)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("draw/" + key).c_str(), drawingOnly, scene)
        ->Unit(benchmark::kMillisecond);
  }
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\n%-8s %8s %14s %14s\n", "scene", "atoms", "frames/s", "draws/s");
  for (const Scene& scene : scenes) {
    const std::string key = scene.name + "/" + std::to_string(scene.world.atomCount());
    const double frames = rateOf(reporter, "frame/" + key);
    if (frames == 0.0) continue;
    std::printf("%-8s %8d %14.1f %14.1f\n", scene.name.c_str(), scene.world.atomCount(), frames,
                rateOf(reporter, "draw/" + key));
  }
  return 0;
}
