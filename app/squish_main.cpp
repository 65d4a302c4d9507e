// squish: the interactive soft-body toy in a window. Reads its options and scene files, runs
// the frame loop at the pace until the settings panel's Quit (or Ctrl+Q), then exits with
// status 0; a usage error exits with status 2. `squish --check SCENE...` checks scene files
// instead and opens no window.
#include <ctime>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/command_line.h"
#include "app/frame_loop.h"
#include "app/scene_checker.h"
#include "app/squish_options.h"
#include "display/sdl_presenter.h"

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
                            .paced = options.pace > 0,
                            .notices = {&std::cerr, "squish"}};
  program.pacer.pace = static_cast<double>(options.pace);
  program.pacer.paused = options.paused;
  program.pictureKeys.folder = ".";

  if (!app::startUp(program)) {
    std::cerr << "squish: cannot open the window: " << screen.lastErrorText << "\n";
    return 1;
  }
  app::buildScene(program);
  const double start = display::timerSeconds(screen);
  while (app::runFrame(program))
    app::waitForNextPass(program);
  if (options.stats) {
    const double cpuSeconds = static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
    std::cerr << "squish: "
              << app::runReport(program.statistics, display::timerSeconds(screen) - start,
                                cpuSeconds)
              << "\n";
  }
  app::shutDown(program);
  return 0;
}
