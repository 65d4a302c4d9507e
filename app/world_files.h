#pragma once
// The program's side of world files: the state as the dump shows it, a world file of the run as
// it stands (F5), and a saved world put in place of the current one (--load, F6, a restart of
// a loaded world).
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "app/frame_loop.h"
#include "worlds/state_dump.h"
#include "worlds/world_file.h"

namespace squish::app {

// What the dump shows of the settings panel; nothing before the panel first opens.
std::optional<worlds::PanelSnapshot> panelSnapshot(ProgramState& program);

// The dump of the program's state after `passes` passes of the frame loop.
std::string programStateDump(ProgramState& program, std::int64_t passes, bool quit);

// The world file of the program's state now.
std::string worldFileText(ProgramState& program);

// A world file read whole and checked, or the problem (the file's name not included).
worlds::WorldRead readWorldFileAt(const std::string& path);

// The world file a run starts from (--load), or nothing after one line on `err`, with the
// program's name in front, saying why it cannot be.
std::optional<worlds::SavedWorld> readStartWorld(const std::string& path, std::string_view program,
                                                 std::ostream& err);

// Puts the saved world, its settings, random numbers and palette in place and lets go of any
// held atom and both panel requests. Pausing stays the player's: a world loads into the run
// as it is, paused or not. False, changing nothing, when memory runs out.
bool applySavedWorld(ProgramState& program, const worlds::SavedWorld& saved);

// F5: the world as it stands into squish-YYYYMMDD-HHMMSS.world.json in the pictures' folder;
// F6: the newest world file F5 wrote in this run, in place of the current world. Each leaves a
// note. Without a folder (squish-headless) neither does anything.
void saveWorldKey(ProgramState& program, double now);
void loadWorldKey(ProgramState& program, double now);

}  // namespace squish::app
