// squish: the interactive soft-body toy in a window. Arguments are scene files; the program
// runs until the settings panel's Quit button is pressed, then exits with status 0.
// `squish --check SCENE...` checks scene files instead and opens no window.
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/frame_loop.h"
#include "app/scene_checker.h"
#include "display/sdl_presenter.h"

#ifdef SQUISH_COUNT_FRAMES
#include "app/frame_counter.h"
#endif

int main(int argc, char** argv) {
  using namespace squish;
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (!arguments.empty() && arguments.front() == "--check") {
    return app::checkScenes(std::span(arguments).subspan(1), std::cout);
  }
  display::SdlPresenter presenter;
  display::Screen screen;
  screen.presenter = &presenter;
  screen.title = display::titleFromProgramPath(argc > 0 ? argv[0] : "squish");
  sim::World world;
  sim::SimSettings settings;
  widgets::Toolkit toolkit;
  panel::SettingsPanel panel;
  panel.fontFiles = app::fontFileCandidates();
  display::RandomGenerator random;
  app::ProgramState program{screen,
                            world,
                            settings,
                            toolkit,
                            panel,
                            random,
                            arguments,
                            {},
                            {},
                            false,
                            {},
                            {},
                            {&std::cerr, "squish"}};

  if (!app::startUp(program)) {
    std::cerr << "squish: cannot open the window: " << screen.lastErrorText << "\n";
    return 1;
  }
  app::buildScene(program);
#ifdef SQUISH_COUNT_FRAMES
  app::FrameCounter counter(screen);
  while (app::runFrame(program))
    counter.countFrame();
  counter.report(std::cerr);
#else
  while (app::runFrame(program)) {
  }
#endif
  app::shutDown(program);
  return 0;
}
