#pragma once
// The command line of squish-headless: how many frames to run, the input file, the seed, where
// to write the dump, the shot and a recording, and the scene files. A usage error is one line of
// text.
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace squish::headless {

inline constexpr std::int64_t maxFrames = std::numeric_limits<std::int32_t>::max();

struct HeadlessOptions {
  std::int64_t frames = 1;
  std::string inputFile;  // empty: no input
  std::int32_t seed = 1;
  std::string dumpFile;          // empty: no dump; "-" is standard output
  std::string shotFile;          // empty: no shot; a name ending in .png (any case) gets a PNG
  std::string loadFile;          // empty: build the scenes; else start from this world file
  std::string recordFile;        // empty: no recording
  std::int64_t recordEvery = 2;  // frames between the pictures of a recording
  // Step with the plain quadratic reference step instead of the fast one; the two give
  // identical worlds, so this only changes the speed.
  bool referenceStep = false;
  std::int64_t threads = 0;  // threads the fast step may use, 1 or 2; 0 chooses as squish does
  bool help = false;         // print the usage and exit 0
  bool version = false;      // print the version and exit 0
  // The scene arguments as given, empty ones included: the frame loop reads them up to the
  // first empty one, exactly as squish reads its own arguments.
  std::vector<std::string> scenes;
};

struct HeadlessOptionsResult {
  HeadlessOptions options;
  std::string error;  // empty when the command line is sound

  bool ok() const { return error.empty(); }
};

// arguments excludes the program name. Options may come before or after scene names; "--" ends
// them, and every argument after it is a scene name.
HeadlessOptionsResult parseHeadlessOptions(std::span<const std::string> arguments);

// The usage of squish-headless, one option list per line.
extern const char* const headlessUsage;

}  // namespace squish::headless
