// The frame loop. Its steps, in order:
//   presenter pass (headless: messages, clock) -> Quit? -> read key, mouse and held keys ->
//   widgets see the mouse -> dragging -> widgets see the key; Space kicks, the other keys act ->
//   Escape shows the panel -> Restart? -> physics step unless paused -> clear, render,
//   overlays, widgets, show (paced: only when the picture will be shown).
#include "app/frame_loop.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <thread>

#include "app/message_text.h"
#include "app/render.h"
#include "app/scene_image.h"
#include "app/screen_mapping.h"
#include "app/session_recording.h"
#include "app/world_files.h"
#include "display/presenter.h"
#include "scene/scene_reader.h"
#include "sim/default_scene.h"
#include "sim/step.h"
#include "sim/vec2.h"
#include "widgets/dispatch.h"

namespace squish::app {
namespace {

constexpr std::int32_t screenMode = 18;
constexpr std::int32_t escapeScanCode = 1;
constexpr std::int32_t ctrlScanCode = 29;
constexpr std::int32_t qScanCode = 16;
constexpr widgets::KeyCode spaceKey = 32;
constexpr widgets::KeyCode escapeKey = 27;
constexpr widgets::KeyCode ctrlQKey = 17;
constexpr widgets::KeyCode f1Key = 0x3BFF;
constexpr widgets::KeyCode f3Key = 0x3DFF;
constexpr widgets::KeyCode f5Key = 0x3FFF;
constexpr widgets::KeyCode f6Key = 0x40FF;
constexpr widgets::KeyCode f9Key = 0x43FF;
constexpr widgets::KeyCode f12Key = 0x86FF;
constexpr std::int32_t rightButton = 2;

bool hasDefaultScene(std::span<const std::string> arguments) {
  return arguments.empty() || arguments.front().empty();
}

void tell(Notices& notices, std::string_view line) {
  if (notices.out != nullptr) *notices.out << notices.program << ": " << line << "\n" << std::flush;
}

void tellOnce(Notices& notices, bool& told, std::string_view line) {
  if (told) return;
  told = true;
  tell(notices, line);
}

// A BITMAP line's image: what cannot be read is told and builds nothing.
void loadImageForScene(ProgramState& program, const std::string& fileName, std::int32_t width,
                       std::int32_t height, std::vector<std::uint8_t>& image) {
  const SceneImageLoad load =
      loadSceneImage(program.screen, program.world.faults(), fileName, width, height, image);
  if (load.problem != SceneImageProblem::none)
    tell(program.notices, sceneImageNotice(fileName, load));
}

void readSceneFiles(ProgramState& program) {
  const sim::ImageFileLoader loadImage = [&program](const std::string& fileName, std::int32_t width,
                                                    std::int32_t height,
                                                    std::vector<std::uint8_t>& image) {
    loadImageForScene(program, fileName, width, height, image);
  };
  for (const std::string& fileName : program.sceneArguments) {
    if (fileName.empty()) break;
    const std::string error =
        scene::readSceneFile(program.world, program.settings, fileName, loadImage);
    if (!error.empty())
      tell(program.notices, "cannot read scene file " + quotedName(fileName) + ": " + error);
  }
}

// Key, mouse and held keys are read under one hold of the screen's lock, so they come from one
// presenter pass: a snapshot of the input.
void readInput(ProgramState& program) {
  display::ScreenLock snapshot(program.screen.screenLock);
  FrameState& f = program.frame;
  ++program.passesRead;
  f.pendingKey = widgets::readKeyCode(program.toolkit);
  f.previousButtons = f.mouse ? std::optional(f.mouse->buttons) : std::nullopt;
  f.mouse = display::readMouse(program.screen);
  if (f.mouse) {
    f.mouseWorldX = worldFromScreenX(f.mouse->x);
    f.mouseWorldY = worldFromScreenY(f.mouse->y);
  }
  f.escapeHeld = display::isKeyDown(program.screen, escapeScanCode);
  // Both are read every pass, so a Q typed alone is not remembered for a later Ctrl.
  const bool ctrl = display::isKeyDown(program.screen, ctrlScanCode);
  const bool q = display::isKeyDown(program.screen, qScanCode);
  f.quitChord = ctrl && q;
}

// A press edge of any button grabs, releasing every button lets go; a held atom that has died
// is let go. Called only with a reading of the pointer.
void updateHeldAtom(ProgramState& program, std::int32_t buttons) {
  FrameState& f = program.frame;
  if (buttons != 0 && f.previousButtons == 0) {
    f.heldAtom = sim::pickAtom(program.world, program.settings, f.mouseWorldX, f.mouseWorldY);
  } else if (buttons == 0) {
    f.heldAtom = 0;
  }
  if (f.heldAtom > 0 &&
      (f.heldAtom > program.world.atomCount() || !program.world.atoms()[f.heldAtom].alive)) {
    f.heldAtom = 0;
  }
}

// Every atom that shares a bond slot with the held one, broken bonds included, moves with it.
// Only live bonds are sure to name atoms of the table.
void moveNeighbours(sim::World& world, std::int32_t held) {
  const sim::Vec2 vel = world.atoms()[held].vel;
  const std::int32_t count = world.bondCount();
  for (std::int32_t i = 1; i <= count; ++i) {
    const sim::Bond& bond = world.bonds()[i];
    const std::int32_t other = bond.atomA == held   ? bond.atomB
                               : bond.atomB == held ? bond.atomA
                                                    : 0;
    if (other >= 1 && other <= world.atomCapacity()) world.velocity(other) = vel;
  }
}

void dragHeldAtom(ProgramState& program, std::int32_t buttons) {
  updateHeldAtom(program, buttons);
  const FrameState& f = program.frame;
  if (f.heldAtom <= 0) return;
  sim::World& world = program.world;
  const sim::Vec2 pos = world.atoms()[f.heldAtom].pos;
  sim::vecSet(world.velocity(f.heldAtom), f.mouseWorldX - pos.x, f.mouseWorldY - pos.y);
  if ((buttons & rightButton) != 0) moveNeighbours(program.world, f.heldAtom);
}

// The widgets see the pointer first; only what none of them took drags atoms. While the pointer
// is unavailable nothing is grabbed, moved or let go.
void handleMouse(ProgramState& program) {
  const std::optional<display::MouseState> mouse = program.frame.mouse;
  if (!mouse) return;
  if (widgets::dispatchMouse(program.toolkit, nullptr, mouse->x, mouse->y, mouse->wheel,
                             mouse->buttons) == widgets::EventResult::passOn) {
    dragHeldAtom(program, mouse->buttons);
  }
}

// Every live atom gets a random velocity with each component in [-maxSpeed, maxSpeed).
void kickAtoms(ProgramState& program) {
  sim::World& world = program.world;
  const double maxSpeed = program.settings.maxSpeed;
  const std::int32_t count = world.atomCount();
  for (std::int32_t i = 1; i <= count; ++i) {
    if (!world.atoms()[i].alive) continue;
    const double r1 = display::randomUnit(program.random, 1);
    const double r2 = display::randomUnit(program.random, 1);
    sim::vecSet(world.velocity(i), static_cast<float>((r2 - 0.5) * maxSpeed * 2.0),
                static_cast<float>((r1 - 0.5) * maxSpeed * 2.0));
  }
}

// A key no widget took.
void actOnKey(ProgramState& program, widgets::KeyCode key, double now) {
  Pacer& pacer = program.pacer;
  Overlays& overlays = program.overlays;
  switch (key) {
    case spaceKey:
      kickAtoms(program);
      break;
    case 'p':
    case 'P':
      togglePause(pacer);
      break;
    case 'n':
    case 'N':
      requestStep(pacer);
      break;
    case '+':
    case '=':
      quickenPace(pacer);
      break;
    case '-':
      slowPace(pacer);
      break;
    case 'r':
    case 'R':
      program.panel.restartRequested = true;
      break;
    case f1Key:
      overlays.help = !overlays.help;
      break;
    case f3Key:
      overlays.statistics = !overlays.statistics;
      break;
    case f9Key:
      toggleRecording(program.pictureKeys, now);
      break;
    case f12Key:
      requestShot(program.pictureKeys);
      break;
    case f5Key:
      saveWorldKey(program, now);
      break;
    case f6Key:
      loadWorldKey(program, now);
      break;
    case escapeKey:
      overlays.help = false;
      break;
    case ctrlQKey:
      program.panel.quitRequested = true;
      break;
    default:
      break;
  }
}

void reportShortages(ProgramState& program) {
  Notices& notices = program.notices;
  switch (program.world.impactBondShortage()) {
    case sim::BondShortage::none:
      break;
    case sim::BondShortage::limit:
      tellOnce(notices, notices.toldBondLimit,
               "the world holds the most bonds it can: impact bonds not made");
      break;
    case sim::BondShortage::memory:
      tellOnce(notices, notices.toldBondMemory, "out of memory: impact bonds not made");
      break;
  }
  if (program.stepState.contactsWithoutGrid)
    tellOnce(notices, notices.toldGridMemory,
             "out of memory: contacts found without the grid, more slowly");
}

// The close control still ends nothing; it brings up a note on how to quit.
void handleKey(ProgramState& program, double now) {
  const widgets::KeyCode key = program.frame.pendingKey;
  if (key == 0) return;
  if (key == display::closeKey) program.overlays.closeNoteUntil = now + closeNoteSeconds;
  if (widgets::dispatchKey(program.toolkit, nullptr, key) == widgets::EventResult::passOn) {
    actOnKey(program, key, now);
  }
}

void stepOnce(ProgramState& program) {
  if (program.referenceStep) {
    sim::stepWorld(program.world, program.settings);
  } else {
    sim::stepWorldFast(program.world, program.settings, program.stepState);
  }
}

void drawPicture(ProgramState& program, double now) {
  display::Screen& screen = program.screen;
  Overlays& overlays = program.overlays;
  display::clearPage(screen, display::notGiven);
  renderWorld(screen, program.world, program.settings, program.renderScratch);
  if (overlays.statistics) {
    writeStatisticsLine(overlays.statisticsText, program.statistics, program.pacer,
                        program.world.atomCount(), program.world.bondCount());
  } else {
    overlays.statisticsText.clear();
  }
  // A picture taken is the world and the widgets, before any note, statistics or help.
  PictureKeys& keys = program.pictureKeys;
  const bool taking = wantsPicture(keys, now);
  if (taking) {
    widgets::drawWidgets(program.toolkit, nullptr);
    takePicture(keys, screen, screen.workPage, now);
  }
  const PictureStatus pictures{now < keys.noteUntil ? std::string_view(keys.note) : "",
                               keys.recording != nullptr};
  drawStatusOverlays(overlays, screen, program.toolkit, program.pacer.paused, now, pictures);
  if (!taking) widgets::drawWidgets(program.toolkit, nullptr);
  drawHelpOverlay(overlays, screen, program.toolkit);
  display::copyPage(screen, -1, -1);
}

// The frame a scene build belongs to: the start-up build counts as frame 1.
std::int64_t buildFrame(const ProgramState& program) {
  return std::max<std::int64_t>(program.passesRead, 1);
}

// A replayed session's seed for this build, else --seed, else the clock.
std::int32_t sceneSeed(ProgramState& program) {
  if (program.nextScriptSeed < program.scriptSeeds.size() &&
      program.scriptSeeds[program.nextScriptSeed].frame <= buildFrame(program)) {
    return program.scriptSeeds[program.nextScriptSeed++].seed;
  }
  if (program.fixedSeed) return *program.fixedSeed;
  return display::saturatedInt32(display::timerSeconds(program.screen));
}

}  // namespace

void seedSceneBuild(ProgramState& program) {
  const std::int32_t seed = sceneSeed(program);
  if (program.session != nullptr) program.session->recordSeed(buildFrame(program), seed);
  display::seedRandom(program.random, program.screen, static_cast<double>(seed));
}

bool startUp(ProgramState& program) {
  if (!display::openScreen(program.screen, screenMode, 8, 2, 0, 0)) return false;
  widgets::initToolkit(program.toolkit, program.screen, 640, 480, 8);
  widgets::savePalette(program.toolkit);
  display::setPages(program.screen, 1, 0);
  return true;
}

void buildScene(ProgramState& program) {
  if (program.startWorld != nullptr) {
    if (applySavedWorld(program, *program.startWorld)) return;
    tell(program.notices, "cannot load the world again: out of memory; building the scenes");
  }
  seedSceneBuild(program);
  sim::clearWorld(program.world);
  if (hasDefaultScene(program.sceneArguments)) {
    sim::buildDefaultScene(program.world, program.settings);
  } else {
    readSceneFiles(program);
  }
  program.frame.heldAtom = 0;
  program.panel.quitRequested = false;
  program.panel.restartRequested = false;
}

bool runFrame(ProgramState& program) {
  display::Screen& screen = program.screen;
  if (screen.presenter != nullptr) screen.presenter->beforeFrame(screen);
  if (program.panel.quitRequested) return false;
  const double start = display::timerSeconds(screen);
  beginPass(program.pacer, start);
  countPass(program.statistics, start);
  readInput(program);
  handleMouse(program);
  handleKey(program, start);
  const FrameState& f = program.frame;
  checkPictures(program.pictureKeys, start);
  if (f.escapeHeld) {
    panel::showSettingsPanel(program.panel, program.toolkit, program.settings);
    program.overlays.help = false;
  }
  if (f.quitChord) program.panel.quitRequested = true;
  if (program.panel.restartRequested) {
    buildScene(program);
    return true;
  }
  if (takeStep(program.pacer)) {
    const double stepStart = display::timerSeconds(screen);
    stepOnce(program);
    countStep(program.statistics, display::timerSeconds(screen) - stepStart);
  }
  const double drawStart = display::timerSeconds(screen);
  const double nextPassSeconds = drawStart - start + program.statistics.lastPictureSeconds;
  if (!program.paced || passDraws(program.pacer, drawStart, nextPassSeconds,
                                  display::nextPresentationSeconds(screen))) {
    drawPicture(program, drawStart);
    countPicture(program.statistics, display::timerSeconds(screen) - drawStart);
  }
  reportShortages(program);
  return true;
}

void waitForNextPass(ProgramState& program) {
  if (!program.paced) return;
  const double wait = secondsUntilNextPass(program.pacer, display::timerSeconds(program.screen));
  if (wait > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
}

void shutDown(ProgramState& program) {
  finishPictures(program.pictureKeys, display::timerSeconds(program.screen));
  widgets::shutdownToolkit(program.toolkit);
  display::closeScreen(program.screen);
}

}  // namespace squish::app
