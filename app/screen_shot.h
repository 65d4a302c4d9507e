#pragma once
// Screen shots: the visible page as an uncompressed 8-bit BMP with the screen palette as its
// colour table, which squish's own image loader reads back.
#include <cstdint>
#include <string>
#include <vector>

#include "display/screen.h"

namespace squish::app {

// The BMP file's bytes; empty when the screen has no visible page to take.
std::vector<std::uint8_t> encodeScreenShot(const display::Screen& screen);

// Writes the shot to fileName whole, or leaves the file as it was; false when there is nothing to
// take or the file cannot be written.
bool writeScreenShot(const display::Screen& screen, const std::string& fileName);

}  // namespace squish::app
