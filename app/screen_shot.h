#pragma once
// Screen shots: the visible page as an uncompressed 8-bit BMP with the screen palette as its
// colour table, which squish's own image loader reads back, or as an indexed PNG.
#include <cstdint>
#include <string>
#include <vector>

#include "display/screen.h"
#include "pictures/picture.h"

namespace squish::app {

// The BMP file's bytes; empty when the screen has no visible page to take.
std::vector<std::uint8_t> encodeScreenShot(const display::Screen& screen);

// The visible page and the palette in force; no picture (width 0) when there is no page to take.
pictures::Picture pictureOfScreen(const display::Screen& screen);
// The same of any page.
pictures::Picture pictureOfPage(const display::Screen& screen, std::int32_t page);

// The file's bytes for a shot named fileName: an indexed PNG when the name ends in ".png" (any
// case), otherwise a BMP. Empty, with the reason in whyNot, when there is no shot to write.
std::vector<std::uint8_t> encodeShotFor(const display::Screen& screen, const std::string& fileName,
                                        std::string& whyNot);

// Writes the shot to fileName whole, or leaves the file as it was; false when there is nothing to
// take or the file cannot be written.
bool writeScreenShot(const display::Screen& screen, const std::string& fileName);

}  // namespace squish::app
