// One libFuzzer target: SQUISH_FUZZ_ENTRY names the entry point of fuzz_entries.h it feeds.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  squish::fuzz::SQUISH_FUZZ_ENTRY(squish::fuzz::Bytes(data, size));
  return 0;
}
