// The table of fuzz entry points and the invariant stop shared by all of them.
#include "tests/fuzz/fuzz_entries.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace squish::fuzz {

std::span<const FuzzEntry> fuzzEntries() {
  static constexpr std::array<FuzzEntry, 6> entries = {{
      {"bmp", feedBmpLoader},
      {"scene", feedSceneReader},
      {"input_script", feedInputScript},
      {"frame", feedFrameLoop},
      {"draw", feedDrawing},
      {"world_file", feedWorldFile},
  }};
  return entries;
}

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace squish::fuzz
