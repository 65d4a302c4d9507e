// The screen's palette: the default 256 colours the screen opens with (the sixteen text colours,
// a grey ramp, nine rings of 24 hues and a black tail, built from those descriptions rather
// than typed out), and reading and writing it as 6-bit VGA words.
#include <array>
#include <cstddef>
#include <cstdint>

#include "display/screen.h"

namespace squish::display {
namespace {

constexpr std::uint32_t packRgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | green << 8 | blue << 16;
}

// A 6-bit VGA level (0..63) as an 8-bit one: 21 gives 85, 42 gives 170, 63 gives 255.
constexpr std::uint32_t widenVgaLevel(std::uint32_t level) {
  return level * 255 / 63;
}

constexpr std::array<std::uint32_t, 16> textColours = {
    packRgb(0, 0, 0),     packRgb(0, 0, 170),    packRgb(0, 170, 0),    packRgb(0, 170, 170),
    packRgb(170, 0, 0),   packRgb(170, 0, 170),  packRgb(170, 85, 0),   packRgb(170, 170, 170),
    packRgb(85, 85, 85),  packRgb(85, 85, 255),  packRgb(85, 255, 85),  packRgb(85, 255, 255),
    packRgb(255, 85, 85), packRgb(255, 85, 255), packRgb(255, 255, 85), packRgb(255, 255, 255),
};

constexpr std::array<std::uint32_t, 16> greyLevels = {0,   20,  32,  44,  56,  68,  80,  97,
                                                      113, 129, 145, 161, 182, 202, 226, 255};

// A ring walks the hue circle from blue through magenta, red, yellow, green and cyan. Each step
// names, for red, green and blue, one of the ring's five levels L < a < b < c < H (0..4).
struct RingStep {
  std::uint8_t red, green, blue;
};
constexpr std::array<RingStep, 24> ringSteps = {{
    {0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {3, 0, 4}, {4, 0, 4}, {4, 0, 3}, {4, 0, 2}, {4, 0, 1},
    {4, 0, 0}, {4, 1, 0}, {4, 2, 0}, {4, 3, 0}, {4, 4, 0}, {3, 4, 0}, {2, 4, 0}, {1, 4, 0},
    {0, 4, 0}, {0, 4, 1}, {0, 4, 2}, {0, 4, 3}, {0, 4, 4}, {0, 3, 4}, {0, 2, 4}, {0, 1, 4},
}};

// The five levels of each ring, the rings stored one after the other from index 32.
constexpr std::array<std::array<std::uint32_t, 5>, 9> ringLevels = {{
    {0, 64, 125, 190, 255},
    {125, 157, 190, 222, 255},
    {182, 198, 218, 234, 255},
    {0, 28, 56, 85, 113},
    {56, 68, 85, 97, 113},
    {80, 89, 97, 105, 113},
    {0, 16, 32, 48, 64},
    {32, 40, 48, 56, 64},
    {44, 48, 52, 60, 64},
}};

constexpr std::int32_t firstGrey = 16;
constexpr std::int32_t firstRing = 32;

constexpr std::array<std::uint32_t, 256> buildDefaultPalette() {
  std::array<std::uint32_t, 256> palette{};  // the tail 248..255 stays black
  for (std::int32_t i = 0; i < 16; ++i) {
    palette[i] = textColours[i];
    palette[firstGrey + i] = packRgb(greyLevels[i], greyLevels[i], greyLevels[i]);
  }
  std::int32_t index = firstRing;
  for (const auto& levels : ringLevels) {
    for (const RingStep& step : ringSteps) {
      palette[index++] = packRgb(levels[step.red], levels[step.green], levels[step.blue]);
    }
  }
  return palette;
}

constexpr std::array<std::uint32_t, 256> defaultPaletteTable = buildDefaultPalette();

}  // namespace

const std::array<std::uint32_t, 256>& defaultPalette() {
  return defaultPaletteTable;
}

void getPalette(const Screen& screen, std::array<PaletteWord, 256>& out) {
  ScreenLock lock(screen.screenLock);
  if (!screen.isOpen) return;
  for (std::size_t i = 0; i < out.size(); ++i) {
    // Each 8-bit component divided by 4: the 6-bit VGA range.
    out[i] = static_cast<PaletteWord>(screen.palette[i] >> 2 & 0x3F3F3Fu);
  }
}

void setPalette(Screen& screen, const std::array<PaletteWord, 256>& in) {
  ScreenLock lock(screen.screenLock);
  if (!screen.isOpen) return;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] < 0) continue;
    const auto word = static_cast<std::uint32_t>(in[i]);
    screen.palette[i] = packRgb(widenVgaLevel(word & 0x3Fu), widenVgaLevel(word >> 8 & 0x3Fu),
                                widenVgaLevel(word >> 16 & 0x3Fu));
  }
  screen.paletteChanged = true;
  markRowsDirty(screen, 0, screen.height - 1);
}

}  // namespace squish::display
