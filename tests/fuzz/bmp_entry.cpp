// The BMP decoder on its own, and the BMP and raw-dump loader fed from memory: into a block as
// large as the header asks (up to a limit), which must match the block the screenless reader
// fills, into a block too small for any image, onto the work page, and without a screen. Every
// destination is its own allocation of exactly its size, so a write past it is caught.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "display/bmp_decoder.h"
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

// What the decoder gives agrees with itself: pixels for exactly the rows it read, no more rows
// than the image has, colours of 24 bits, and indices within the file's depth.
void requireSoundDecoding(Bytes input) {
  const display::DecodedBmp bmp = display::decodeBmp(input);
  requireResultCode(bmp.result);
  require(!bmp.indexed || bmp.sizeKnown, "rows only for a known size");
  require(bmp.rowsRead >= 0 && bmp.rowsRead <= std::max(bmp.height, 0), "rows within the image");
  require(bmp.pixels.size() == static_cast<std::size_t>(bmp.rowsRead) *
                                   static_cast<std::size_t>(std::max(bmp.width, 0)),
          "one index per pixel of the rows read");
  require(bmp.colours.size() <= 256, "at most 256 colours");
  for (const std::uint32_t colour : bmp.colours)
    require(colour <= 0xFFFFFFu, "colours of 24 bits");
  const std::int32_t bits = display::bmpBitsPerPixel(input);
  if (bmp.indexed && bits < 8) {
    const auto most = static_cast<std::uint8_t>((1 << bits) - 1);
    for (const std::uint8_t index : bmp.pixels)
      require(index <= most, "indices within the file's depth");
  }
}

}  // namespace

void feedBmpLoader(Bytes input) {
  requireSoundDecoding(input);
  display::Screen screen;
  if (!display::openScreen(screen, 18, 8, 2, 0, 0)) std::abort();

  std::vector<std::uint8_t> declared(declaredImageBytes(input));
  const display::LoadResult result = display::loadImageMemory(screen, input, declared);
  requireResultCode(result);
  std::vector<std::uint8_t> read(declared.size());
  require(display::readImageBlock(input, read, screen.bytesPerPixel) == result && read == declared,
          "the screenless reader places the same block");
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
