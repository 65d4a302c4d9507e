#pragma once
// Fixed-cell bitmap fonts cut from a sheet image of 16 x 16 cells (one per byte value), and the
// toolkit's current font. A character is drawn by combining its glyph mask with the page so
// that its background can be left as it was.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "display/image.h"
#include "widgets/toolkit.h"

namespace squish::widgets {

struct BitmapFont {
  std::int32_t cellWidth = 0;
  std::int32_t cellHeight = 0;
  std::int32_t glyphStride = 0;      // bytes from one glyph image to the next
  std::vector<std::uint8_t> glyphs;  // 256 glyph images; 8-bit glyphs are 0/255 masks
  display::ImageBuffer scratch;      // one cell, used while drawing a character
};

// Loads the sheet file (16 * cellWidth by 16 * cellHeight pixels) and builds the font. Null
// when the file cannot be loaded or its image is not exactly that size at the screen's depth.
// The palette stays as it is: a BMP sheet's colour table is not used.
std::unique_ptr<BitmapFont> loadFont(Toolkit& toolkit, std::int32_t cellWidth,
                                     std::int32_t cellHeight, const std::string& fileName);
// Builds a font from a sheet image block. Null when there is no screen, a cell size is below 1
// or the sheet is not a complete image of 16 x 16 cells at the screen's depth.
std::unique_ptr<BitmapFont> buildFont(Toolkit& toolkit, std::int32_t cellWidth,
                                      std::int32_t cellHeight, std::span<std::uint8_t> sheet);
// Disposes of the font; if it is the current font, the toolkit is left without a font.
void freeFont(Toolkit& toolkit, std::unique_ptr<BitmapFont> font);
// Draws (code & 255) with its top-left at (x, y) on the work page, on paper unless transparent;
// returns the advance, cellWidth.
std::int32_t drawChar(BitmapFont& font, display::Screen& screen, std::int32_t x, std::int32_t y,
                      std::int32_t code, std::uint32_t ink, std::uint32_t paper, bool transparent);

// Returns the previous current font; null leaves the toolkit without a font.
BitmapFont* setCurrentFont(Toolkit& toolkit, BitmapFont* font);
BitmapFont* currentFont(Toolkit& toolkit);
// Through the current font; 0 without one.
std::int32_t charWidth(Toolkit& toolkit, std::int32_t code);
std::int32_t charHeight(Toolkit& toolkit, std::int32_t code);

}  // namespace squish::widgets
