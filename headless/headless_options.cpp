// Reads the squish-headless command line through the shared option reader.
#include "headless/headless_options.h"

#include <array>
#include <limits>

#include "app/command_line.h"

namespace squish::headless {

const char* const headlessUsage =
    "usage: squish-headless [--frames N] [--input FILE] [--seed N] [--dump FILE] [--shot FILE]\n"
    "                       [--reference-step] [--threads N] [--load FILE] [--record FILE.gif]\n"
    "                       [--record-every K] [--help] [--version] [--] [SCENE ...]\n"
    "Input file lines: FRAME mouse X Y | down B | up B | wheel D | keydown S [extended] |\n"
    "                  keyup S [extended] | char C | focus in | focus out | close | seed N\n"
    "(seed N: the next scene build in frame FRAME or later uses seed N, as squish\n"
    " --record-session writes them)\n";

HeadlessOptionsResult parseHeadlessOptions(std::span<const std::string> arguments) {
  constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();
  HeadlessOptionsResult result;
  HeadlessOptions& options = result.options;
  std::int64_t seed = options.seed;
  const std::array table = {
      app::numberOption("--frames", 0, maxFrames, options.frames),
      app::numberOption("--seed", int32Min, int32Max, seed),
      app::fileOption("--input", options.inputFile),
      app::fileOption("--dump", options.dumpFile),
      app::fileOption("--shot", options.shotFile),
      app::fileOption("--load", options.loadFile),
      app::fileOption("--record", options.recordFile),
      app::numberOption("--record-every", 1, maxFrames, options.recordEvery),
      app::numberOption("--threads", 1, 2, options.threads),
      app::flagOption("--reference-step", options.referenceStep),
      app::flagOption("--help", options.help),
      app::flagOption("--version", options.version),
  };
  result.error = app::readCommandLine(arguments, table, options.scenes);
  options.seed = static_cast<std::int32_t>(seed);
  return result;
}

}  // namespace squish::headless
