#pragma once
// The program itself, written once for both squish and squish-headless: start-up, building the
// scene (at start and at every restart), one pass of the frame loop, and shutdown. The entry
// point owns every piece of state and hands it over by reference in ProgramState.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/overlay.h"
#include "app/pacer.h"
#include "app/picture_keys.h"
#include "app/render.h"
#include "app/statistics.h"
#include "display/input.h"
#include "display/screen.h"
#include "panel/settings_panel.h"
#include "sim/fast_step.h"
#include "sim/settings.h"
#include "sim/world.h"
#include "widgets/toolkit.h"
#include "worlds/world_file.h"

namespace squish::app {

// What the frame loop keeps from one pass to the next.
struct FrameState {
  std::int32_t heldAtom = 0;    // the atom being dragged; 0 = none
  std::int32_t pendingKey = 0;  // the KeyCode read this pass; 0 = none
  // This pass's reading of the pointer (screen pixels), wheel and buttons; none while the
  // pointer is unavailable (outside the window, or the window not active). Before the first
  // pass: a reading with no button down. Kept across restarts.
  std::optional<display::MouseState> mouse = display::MouseState{};
  // The buttons of the pass before; none when the pointer was unavailable then. Only a change
  // from a reading of no buttons is a press, so a button already down when the pointer comes
  // back grabs nothing.
  std::optional<std::int32_t> previousButtons = 0;
  float mouseWorldX = 0.0f;  // the pointer in world coordinates
  float mouseWorldY = 0.0f;
  bool escapeHeld = false;  // Escape read as held this pass
  bool quitChord = false;   // Ctrl and Q both read as held this pass
};

// Where the program tells the user, one line each, of what it could not do and went on
// without: standard error in both programs, nowhere for tests that do not ask. Each shortage is
// told once in a run.
struct Notices {
  std::ostream* out = nullptr;
  std::string_view program;  // each line's prefix
  bool toldBondLimit = false;
  bool toldBondMemory = false;
  bool toldGridMemory = false;
};

class SessionRecording;

// A seed the input script gives the scene builds of a frame (a recorded session's builds).
struct ScriptedSeed {
  std::int64_t frame = 0;
  std::int32_t seed = 0;
};

struct ProgramState {
  display::Screen& screen;  // its presenter is chosen by the entry point before startUp
  sim::World& world;
  sim::SimSettings& settings;
  widgets::Toolkit& toolkit;
  panel::SettingsPanel& panel;
  display::RandomGenerator& random;
  // Scene file names; read up to the first empty one. None, or an empty first one, builds the
  // default scene.
  std::span<const std::string> sceneArguments;
  // Seeds every scene build instead of the clock reading (squish-headless --seed).
  std::optional<std::int32_t> fixedSeed{};
  // Seeds for the scene builds of a replayed session, sorted by frame: a build in frame F (the
  // start-up build counts as frame 1) takes the next one of frame F or earlier not yet taken.
  std::span<const ScriptedSeed> scriptSeeds{};
  std::size_t nextScriptSeed = 0;
  // The world the run started from (--load), built instead of the scene files; owned by the
  // entry point. A restart builds it again.
  const worlds::SavedWorld* startWorld = nullptr;
  // The world file F5 wrote last in this run, which F6 loads.
  std::string lastSavedWorld{};
  // squish --record-session: where the seeds and input of the run are written as they happen.
  SessionRecording* session = nullptr;
  // Passes that have read their input (under the screen's lock, so the presenter's messages fall
  // on one side or the other of each read).
  std::int64_t passesRead = 0;
  FrameState frame{};
  // Step with the plain all-pairs step instead of the fast one (squish-headless
  // --reference-step); both give the same world bit for bit.
  bool referenceStep = false;
  // The fast step's reusable buffers and its second thread, used for large worlds when the
  // machine has two cores or --threads 2 asks: the world comes out the same on one thread or two.
  sim::StepState stepState = sim::stepStateForThreads(0);
  RenderScratch renderScratch{};
  // squish: passes wait for the pacer's pace and only the last before each presentation
  // draws. squish-headless runs one pass per frame of its virtual clock, each drawn.
  bool paced = false;
  Pacer pacer{};
  PassStatistics statistics{};
  Overlays overlays{};
  PictureKeys pictureKeys{};  // F12 and F9; squish gives them a folder
  Notices notices{};
};

// Opens the 640 x 480 8-bit screen with two pages, starts the toolkit, keeps the default
// palette and makes page 1 the work page and page 0 the visible one. False, with the reason in
// screen.lastErrorText, when no window could be made; nothing else has been done then.
bool startUp(ProgramState& program);

// Seeds the random numbers, clears the world, builds the default scene or reads the scene
// files (or takes the start world instead), and lets go of any held atom and of both panel
// requests. Settings are kept, unless a start world brings its own.
void buildScene(ProgramState& program);

// One pass of the frame loop: the presenter's turn, input, dragging, the kick and the other
// keys, the settings panel, a restart or one physics step (none while paused) and the new
// picture (paced, only when it will be shown). False when the pass found Quit pressed (in an
// earlier pass) and the program is to end.
bool runFrame(ProgramState& program);

// Seeds the random numbers for a scene build: with a replayed session's seed, else the fixed
// seed, else the clock. A recorded session writes the seed down.
void seedSceneBuild(ProgramState& program);

// Paced, sleeps until the next pass is due; otherwise returns at once.
void waitForNextPass(ProgramState& program);

// Detaches the toolkit and closes the screen.
void shutDown(ProgramState& program);

}  // namespace squish::app
