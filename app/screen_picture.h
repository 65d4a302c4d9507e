#pragma once
// A page of the screen as a palette-indexed picture, for the picture keys' PNG screenshots and
// GIF recordings and for squish-headless's shots: a copy taken under the screen's lock.
#include <cstdint>

#include "display/screen.h"
#include "pictures/picture.h"

namespace squish::app {

// The visible page and the palette in force; no picture (width 0) when there is no page to take.
pictures::Picture pictureOfScreen(const display::Screen& screen);
// The same of any page.
pictures::Picture pictureOfPage(const display::Screen& screen, std::int32_t page);

}  // namespace squish::app
