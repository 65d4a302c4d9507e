// Reads the squish-headless command line through the shared option reader.
#include "app/headless_options.h"

#include <array>
#include <limits>

#include "app/command_line.h"

namespace squish::app {

const char* const headlessUsage =
    "usage: squish-headless [--frames N] [--input FILE] [--seed N] [--dump FILE] [--shot FILE]\n"
    "                       [--record FILE.gif] [--record-every K] [--reference-step] [--help]\n"
    "                       [--version] [--] [SCENE ...]\n";

HeadlessOptionsResult parseHeadlessOptions(std::span<const std::string> arguments) {
  constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();
  HeadlessOptionsResult result;
  HeadlessOptions& options = result.options;
  std::int64_t seed = options.seed;
  const std::array table = {
      numberOption("--frames", 0, maxFrames, options.frames),
      numberOption("--seed", int32Min, int32Max, seed),
      fileOption("--input", options.inputFile),
      fileOption("--dump", options.dumpFile),
      fileOption("--shot", options.shotFile),
      fileOption("--record", options.recordFile),
      numberOption("--record-every", 1, maxFrames, options.recordEvery),
      flagOption("--reference-step", options.referenceStep),
      flagOption("--help", options.help),
      flagOption("--version", options.version),
  };
  result.error = readCommandLine(arguments, table, options.scenes);
  options.seed = static_cast<std::int32_t>(seed);
  return result;
}

}  // namespace squish::app
