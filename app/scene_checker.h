#pragma once
// squish --check: reads scene files exactly as squish does (the same reader, builders and image
// loading, into a world that is then thrown away) and tells the author, compiler style, of every
// line that does something other than what it seems to say; then what each file built.
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "display/screen.h"
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::app {

// What a file, or all of them, built and how many problems were told.
struct SceneTally {
  std::int64_t problems = 0;
  std::int64_t bodies = 0;  // body lines that built at least one atom
  std::int64_t atoms = 0;
  std::int64_t bonds = 0;
};

// Reads the files in order into world and settings, as the program builds its scene: settings
// carry from one file to the next, and the list ends at the first empty name. Writes
// "FILE:LINE: message" for each problem, then a summary of each file and of all of them with the
// settings in force at its end. BITMAP images are loaded onto `screen`, which must be open.
SceneTally checkSceneFiles(std::span<const std::string> files, sim::World& world,
                           sim::SimSettings& settings, display::Screen& screen, std::ostream& out);

// The whole of `squish --check FILE...`, with its own world, default settings and a windowless
// screen. Returns the exit status: 0 when nothing was found, 1 when something was, 2 when no
// file was named.
int checkScenes(std::span<const std::string> files, std::ostream& out);

}  // namespace squish::app
