// Pages are copied row by row: a page's pitch may be wider than the picture.
#include "app/screen_picture.h"

#include <algorithm>
#include <vector>

namespace squish::app {
namespace {

bool hasPage(const display::Screen& screen, std::int32_t page) {
  if (screen.width <= 0 || screen.height <= 0 || screen.pitch < screen.width) return false;
  if (screen.bytesPerPixel > 1) return false;
  if (page < 0 || page >= std::ssize(screen.pages)) return false;
  const std::int64_t needed = std::int64_t{screen.pitch} * screen.height;
  return std::ssize(screen.pages[static_cast<std::size_t>(page)]) >= needed;
}

}  // namespace

pictures::Picture pictureOfScreen(const display::Screen& screen) {
  return pictureOfPage(screen, screen.visiblePage);
}

pictures::Picture pictureOfPage(const display::Screen& screen, std::int32_t page) {
  const display::ScreenLock lock(screen.screenLock);
  if (!hasPage(screen, page)) return {};
  pictures::Picture picture;
  picture.width = screen.width;
  picture.height = screen.height;
  picture.palette = screen.palette;
  picture.pixels.resize(static_cast<std::size_t>(screen.width) * screen.height);
  const std::vector<std::uint8_t>& pixels = screen.pages[static_cast<std::size_t>(page)];
  for (std::int32_t y = 0; y < screen.height; ++y) {
    std::copy_n(pixels.begin() + std::int64_t{screen.pitch} * y, screen.width,
                picture.pixels.begin() + std::int64_t{screen.width} * y);
  }
  return picture;
}

}  // namespace squish::app
