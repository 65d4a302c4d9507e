#pragma once
// Private to the display core: where a primitive or an image transfer writes (a page of the
// screen or the pixel rows of an image block), the clip rectangle that bounds every access to
// it, and the colour argument rule.
#include <algorithm>
#include <cstdint>
#include <optional>

#include "display/draw.h"
#include "display/screen.h"

namespace squish::display {

struct Surface {
  std::uint8_t* pixels = nullptr;  // row 0, column 0
  std::int64_t pitch = 0;          // bytes from one row to the next
  // Pixels (x, y) with clipLeft <= x < clipRight and clipTop <= y < clipBottom may be touched;
  // the rectangle always lies within the pixel rows.
  std::int64_t clipLeft = 0;
  std::int64_t clipTop = 0;
  std::int64_t clipRight = 0;
  std::int64_t clipBottom = 0;
  // The rows lines and circles may write: those of the clip rectangle, or one band of them when
  // the page is drawn by several threads at once. Clipping still uses the whole rectangle, so
  // every pixel in the band is the one the whole drawing puts there.
  std::int64_t bandTop = 0;
  std::int64_t bandBottom = 0;
  bool isVisiblePage = false;  // touched rows are to be marked dirty

  std::uint8_t* at(std::int64_t x, std::int64_t y) const { return pixels + y * pitch + x; }
  bool containsRow(std::int64_t y) const { return y >= bandTop && y < bandBottom; }
};

// The work page with the screen's clip rectangle (kept within the page), or an image block with
// its whole area. None when no screen is open, or when the image block is shorter than its
// header says or holds pixels of another size.
inline std::optional<Surface> surfaceFor(Screen& screen, DrawTarget target) {
  if (!screen.isOpen) return std::nullopt;
  if (target.empty()) {
    Surface page;
    page.pixels = screen.pages[screen.workPage].data();
    page.pitch = screen.pitch;
    const ClipRect& clip = screen.clipRect;
    page.clipLeft = std::max<std::int64_t>(clip.left, 0);
    page.clipTop = std::max<std::int64_t>(clip.top, 0);
    page.clipRight = std::min<std::int64_t>(std::int64_t{clip.left} + clip.width, screen.width);
    page.clipBottom = std::min<std::int64_t>(std::int64_t{clip.top} + clip.height, screen.height);
    page.clipRight = std::max(page.clipRight, page.clipLeft);
    page.clipBottom = std::max(page.clipBottom, page.clipTop);
    page.bandTop = page.clipTop;
    page.bandBottom = page.clipBottom;
    page.isVisiblePage = screen.workPage == screen.visiblePage;
    return page;
  }
  if (target.size() < 4) return std::nullopt;
  const std::uint32_t sizeWord = target[0] | target[1] << 8;
  const std::uint32_t bytesPerPixel = sizeWord & 7u;
  if (bytesPerPixel != 0 && bytesPerPixel != static_cast<std::uint32_t>(screen.bytesPerPixel)) {
    return std::nullopt;
  }
  const std::int64_t width = sizeWord >> 3;
  const std::int64_t height = target[2] | target[3] << 8;
  if (4 + width * height > static_cast<std::int64_t>(target.size())) return std::nullopt;
  Surface image;
  image.pixels = target.data() + 4;
  image.pitch = width;
  image.clipRight = width;
  image.clipBottom = height;
  image.bandBottom = height;
  return image;
}

// The palette index a colour argument stands for: defaultColour is the foreground colour, any
// other value its low 8 bits.
inline std::uint8_t colourIndex(const Screen& screen, std::uint32_t colour) {
  const std::uint32_t value = colour == defaultColour ? screen.foregroundColour : colour;
  return static_cast<std::uint8_t>(value & 0xFFu);
}

// Marks rows first..last dirty when the surface is the visible page.
inline void markSurfaceRows(Screen& screen, const Surface& surface, std::int64_t first,
                            std::int64_t last) {
  if (!surface.isVisiblePage) return;
  first = std::max(first, surface.clipTop);
  last = std::min(last, surface.clipBottom - 1);
  if (first > last) return;
  markRowsDirty(screen, static_cast<std::int32_t>(first), static_cast<std::int32_t>(last));
}

}  // namespace squish::display
