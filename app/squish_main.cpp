// squish: the interactive soft-body toy in a window. Reads its options and scene files, runs
// the frame loop at the pace until the settings panel's Quit (or Ctrl+Q), then exits with
// status 0; a usage error exits with status 2. `squish --check SCENE...` checks scene files
// instead and opens no window.
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/command_line.h"
#include "app/frame_loop.h"
#include "app/message_text.h"
#include "app/scene_checker.h"
#include "app/session_recording.h"
#include "app/squish_options.h"
#include "app/world_files.h"
#include "display/sdl_presenter.h"
#include "files/whole_file.h"

int main(int argc, char** argv) {
  using namespace squish;
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const app::SquishOptionsResult parsed = app::parseSquishOptions(arguments);
  if (!parsed.ok()) {
    std::cerr << "squish: " << parsed.error << "\n" << app::squishUsage;
    return 2;
  }
  const app::SquishOptions& options = parsed.options;
  if (options.help) {
    std::cout << app::squishUsage;
    return 0;
  }
  if (options.version) {
    std::cout << "squish " << app::versionText() << "\n";
    return 0;
  }
  if (options.check) return app::checkScenes(options.scenes, std::cout);

  std::optional<worlds::SavedWorld> startWorld;
  if (!options.loadFile.empty()) {
    startWorld = app::readStartWorld(options.loadFile, "squish", std::cerr);
    if (!startWorld) return 2;
  }
  std::unique_ptr<app::SessionRecording> session;
  if (!options.sessionFile.empty()) {
    session = std::make_unique<app::SessionRecording>(options.sessionFile);
    if (!session->error().empty()) {
      std::cerr << "squish: cannot record the session to " << app::quotedName(options.sessionFile)
                << ": " << session->error() << "\n";
      return 2;
    }
  }

  display::SdlPresenter presenter(static_cast<int>(options.scale));
  display::Screen screen;
  screen.presenter = &presenter;
  screen.title = display::titleFromProgramPath(argc > 0 ? argv[0] : "squish");
  sim::World world;
  sim::SimSettings settings;
  widgets::Toolkit toolkit;
  panel::SettingsPanel panel;
  panel.fontFiles = app::fontFileCandidates();
  display::RandomGenerator random;
  app::ProgramState program{.screen = screen,
                            .world = world,
                            .settings = settings,
                            .toolkit = toolkit,
                            .panel = panel,
                            .random = random,
                            .sceneArguments = options.scenes,
                            .startWorld = startWorld ? &*startWorld : nullptr,
                            .session = session.get(),
                            .stepState = sim::stepStateForThreads(options.threads),
                            .paced = options.pace > 0,
                            .notices = {&std::cerr, "squish"}};
  program.pacer.pace = static_cast<double>(options.pace);
  program.pacer.paused = options.paused;
  program.pictureKeys.folder = ".";

  // Set before the presenter's thread starts; it calls it under the screen's lock, under which
  // the frame loop also counts its input reads.
  if (session) {
    screen.messageWitness = [&program, &session](const display::WindowMessage& message) {
      session->recordMessage(program.passesRead + 1, message);
    };
  }
  if (!app::startUp(program)) {
    std::cerr << "squish: cannot open the window: " << screen.lastErrorText << "\n";
    return 1;
  }
  app::buildScene(program);
  const double start = display::timerSeconds(screen);
  std::int64_t passes = 1;
  for (; app::runFrame(program); ++passes)
    app::waitForNextPass(program);
  if (session) session->recordEnd(passes);
  if (options.stats) {
    const double cpuSeconds = static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
    std::cerr << "squish: "
              << app::runReport(program.statistics, display::timerSeconds(screen) - start,
                                cpuSeconds)
              << "\n";
  }
  int status = 0;
  if (!options.dumpFile.empty()) {
    const files::WriteResult written =
        files::writeWholeFile(options.dumpFile, app::programStateDump(program, passes, true));
    if (!written.ok()) {
      std::cerr << "squish: cannot write the dump to " << app::quotedName(options.dumpFile) << ": "
                << written.error << "\n";
      status = 1;
    }
  }
  app::shutDown(program);
  return status;
}
