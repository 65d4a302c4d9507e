// The BMP and raw-dump loader fed from memory: into a block as large as the header asks (up to
// a limit), into a block too small for any image, onto the work page, and without a screen.
// Every destination is its own allocation of exactly its size, so a write past it is caught.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "display/image.h"
#include "tests/fuzz/fuzz_entries.h"
#include "tests/fuzz/invariants.h"

namespace squish::fuzz {
namespace {

constexpr std::int64_t largestDestination = std::int64_t{1} << 20;

std::int64_t fieldAt(Bytes input, std::size_t at) {
  if (input.size() < at + 4) return 0;
  return std::int32_t(input[at] | input[at + 1] << 8 | input[at + 2] << 16 |
                      static_cast<std::uint32_t>(input[at + 3]) << 24);
}

// 4 + width x height bytes for the sizes the header declares, as the bitmap builder would ask.
std::size_t declaredImageBytes(Bytes input) {
  const std::int64_t width = std::llabs(fieldAt(input, 18)) % 8192;
  const std::int64_t height = std::llabs(fieldAt(input, 22)) % 65536;
  return static_cast<std::size_t>(std::min(4 + width * height, largestDestination));
}

void requireResultCode(display::LoadResult result) {
  require(result >= display::loaded && result <= display::formatError, "a known load result");
}

}  // namespace

void feedBmpLoader(Bytes input) {
  display::Screen screen;
  if (!display::openScreen(screen, 18, 8, 2, 0, 0)) std::abort();

  std::vector<std::uint8_t> declared(declaredImageBytes(input));
  requireResultCode(display::loadImageMemory(screen, input, declared));
  std::vector<std::uint8_t> tiny(3);
  requireResultCode(display::loadImageMemory(screen, input, tiny));
  requireResultCode(display::loadImageMemory(screen, input, display::workPage));
  display::setPages(screen, 0, 0);
  requireResultCode(display::loadImageMemory(screen, input, display::workPage));
  requireSoundPalette(screen);
  display::closeScreen(screen);

  std::vector<std::uint8_t> withoutScreen(64);
  requireResultCode(display::loadImageMemory(screen, input, withoutScreen));
}

}  // namespace squish::fuzz
