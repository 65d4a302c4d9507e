#pragma once
// Shots of squish-headless: the visible page as an uncompressed 8-bit BMP with the screen
// palette as its colour table, which squish's own image loader reads back, or as an indexed PNG.
#include <cstdint>
#include <string>
#include <vector>

#include "display/screen.h"

namespace squish::headless {

// The BMP file's bytes; empty when the screen has no visible page to take.
std::vector<std::uint8_t> encodeScreenShot(const display::Screen& screen);

// The file's bytes for a shot named fileName: an indexed PNG when the name ends in ".png" (any
// case), otherwise a BMP. Empty, with the reason in whyNot, when there is no shot to write.
std::vector<std::uint8_t> encodeShotFor(const display::Screen& screen, const std::string& fileName,
                                        std::string& whyNot);

}  // namespace squish::headless
