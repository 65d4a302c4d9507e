#pragma once
// squish without a window: one run owns every piece of the program's state, with the headless
// presenter behind its screen, and drives the shared frame loop frame by frame. squish-headless
// is built on it, and so are the program's integration tests.
#include <csignal>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "display/headless_presenter.h"
#include "headless/input_script.h"

namespace squish::headless {

class HeadlessProgram {
 public:
  // Starts up and builds the scene; no frame has run yet. referenceStep steps with the plain
  // all-pairs step instead of the fast one. What the run could not do (an unreadable scene file,
  // a shortage of memory) is told on `notices`, one line each, when it is given.
  // Scene builds take the seeds a replayed session gives, else `seed`. A start world, when
  // given, is built instead of the scenes (it must outlive the program).
  HeadlessProgram(std::vector<std::string> sceneArguments, std::int32_t seed,
                  bool referenceStep = false, std::ostream* notices = nullptr,
                  std::vector<app::ScriptedSeed> seeds = {},
                  const worlds::SavedWorld* startWorld = nullptr);
  ~HeadlessProgram();
  HeadlessProgram(const HeadlessProgram&) = delete;
  HeadlessProgram& operator=(const HeadlessProgram&) = delete;

  // Delivers the script's messages for the next frame and runs it. False once the frame loop
  // has ended through Quit; later calls then run nothing.
  bool runFrame(const InputScript& script);
  bool runFrame() { return runFrame(InputScript{}); }
  // Queues a message for the next frame (after the script's messages of that frame).
  void queueMessage(const display::WindowMessage& message) { presenter_.queueMessage(message); }

  // False when the screen could not be opened (the reason is in screen().lastErrorText).
  bool started() const { return started_; }
  std::int64_t framesRun() const { return framesRun_; }
  bool quit() const { return quit_; }
  // The JSON dump of the state now (the panel's texts are read through the toolkit).
  std::string stateDump();

  display::Screen& screen() { return screen_; }
  sim::World& world() { return world_; }
  sim::SimSettings& settings() { return settings_; }
  widgets::Toolkit& toolkit() { return toolkit_; }
  panel::SettingsPanel& panel() { return panel_; }
  display::RandomGenerator& random() { return random_; }
  app::FrameState& frame() { return state_.frame; }
  app::PictureKeys& pictureKeys() { return state_.pictureKeys; }
  app::ProgramState& state() { return state_; }

 private:
  std::vector<std::string> sceneArguments_;
  std::vector<app::ScriptedSeed> seeds_;
  display::HeadlessPresenter presenter_;
  display::Screen screen_;
  sim::World world_;
  sim::SimSettings settings_;
  widgets::Toolkit toolkit_;
  panel::SettingsPanel panel_;
  display::RandomGenerator random_;
  app::ProgramState state_;
  bool started_ = false;
  std::int64_t framesRun_ = 0;
  bool quit_ = false;
};

// The whole squish-headless program: arguments without the program name; writes the dump to
// out when asked for "-", and usage errors and notices to err. Returns the exit status. When
// *stopSignal turns nonzero (a signal's number, set by a handler) the run stops after the frame
// in progress, writes no dump or shot (abandoning one being written, which leaves the old file)
// and returns 128 + that number.
int runHeadless(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
                const volatile std::sig_atomic_t* stopSignal = nullptr);

}  // namespace squish::headless
