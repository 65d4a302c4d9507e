// Reads the squish command line through the shared option reader.
#include "app/squish_options.h"

#include <array>

#include "app/command_line.h"

namespace squish::app {

const char* const squishUsage =
    "usage: squish [--pace N] [--scale K] [--paused] [--stats] [--load FILE] [--threads N]\n"
    "              [--record-session FILE] [--dump FILE] [--help] [--version] [--] [SCENE ...]\n"
    "       squish --check SCENE...\n"
    "  --pace N   physics steps per second, 15 to 32000 (default 500); 0 runs flat out\n"
    "  --scale K  open the window at K times 640 x 480, 1 to 16 (default: what fits)\n"
    "  --paused   start paused (P resumes, N steps once)\n"
    "  --stats    at exit, print passes, steps, pictures, seconds, rates and CPU seconds\n"
    "  --load FILE  start from a world file (F5 saves one) instead of scenes; R reloads it\n"
    "  --threads N  step big worlds on 1 or 2 threads (default: two on two cores, when faster)\n"
    "  --record-session FILE  write the run's seeds and input as squish-headless input\n"
    "  --dump FILE  at exit, write the state as squish-headless --dump does\n"
    "  --help     print this and exit; --version prints the version\n"
    "  --check    tell each line of the scene files that does other than it seems, and exit\n"
    "  --         ends the options: a scene file whose name begins with - needs it\n";

SquishOptionsResult parseSquishOptions(std::span<const std::string> arguments) {
  SquishOptionsResult result;
  SquishOptions& options = result.options;
  const std::array table = {
      numberOption("--pace", 0, static_cast<std::int64_t>(fastestPace), options.pace),
      numberOption("--scale", 1, largestScale, options.scale),
      numberOption("--threads", 1, 2, options.threads),
      flagOption("--paused", options.paused),
      flagOption("--stats", options.stats),
      flagOption("--help", options.help),
      flagOption("--version", options.version),
      flagOption("--check", options.check),
      fileOption("--load", options.loadFile),
      fileOption("--record-session", options.sessionFile),
      fileOption("--dump", options.dumpFile),
  };
  result.error = readCommandLine(arguments, table, options.scenes);
  if (result.ok() && options.pace != 0 && options.pace < static_cast<std::int64_t>(slowestPace)) {
    result.error = "--pace needs 0 or a whole number from 15 to 32000, not '" +
                   std::to_string(options.pace) + "'";
  }
  return result;
}

}  // namespace squish::app
