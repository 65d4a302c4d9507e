#pragma once
// The command line of squish: the pace, the window's first size, starting paused, the exit
// statistics, help and version, checking scene files, and the scene files.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/pacer.h"

namespace squish::app {

inline constexpr std::int64_t largestScale = 16;

struct SquishOptions {
  std::int64_t pace = static_cast<std::int64_t>(defaultPace);  // steps/s; 0 runs unpaced
  std::int64_t scale = 0;    // the window's first size in multiples of 640 x 480; 0 chooses
  std::int64_t threads = 0;  // threads the step may use, 1 or 2; 0 chooses
  bool paused = false;
  bool stats = false;  // one line of figures to standard error at exit
  bool help = false;
  bool version = false;
  bool check = false;       // check the scene files and exit, opening no window
  std::string loadFile;     // start from this world file instead of the scenes
  std::string sessionFile;  // record the run's seeds and input here
  std::string dumpFile;     // at exit, write the dump here

  // The scene arguments as given, empty ones included (the frame loop stops at the first).
  std::vector<std::string> scenes;
};

struct SquishOptionsResult {
  SquishOptions options;
  std::string error;  // empty when the command line is sound

  bool ok() const { return error.empty(); }
};

// arguments excludes the program name. A scene whose name begins with "-" needs "--" first.
SquishOptionsResult parseSquishOptions(std::span<const std::string> arguments);

// The usage: the synopsis line, then a line per option.
extern const char* const squishUsage;

}  // namespace squish::app
