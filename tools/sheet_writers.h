#pragma once
// Writes the font sheet as an 8-bit BMP file, as an image block (4-byte header, then the
// pixels top row first) and as a C++ source file that holds that image block.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/glyph_source.h"

namespace squish::tools {

// BITMAPFILEHEADER, a 40-byte BITMAPINFOHEADER, a 256-entry colour table (the sixteen
// standard VGA colours, then black), and rows bottom-up padded to 4 bytes.
std::vector<std::uint8_t> encodeSheetBmp(const FontSheet& sheet);

// Header bytesPerPixel | width << 3 and height as two 16-bit little-endian words, then the
// pixels, top row first.
std::vector<std::uint8_t> encodeSheetImage(const FontSheet& sheet);

// A C++ source defining squish::assets::builtinFontSheet() over encodeSheetImage's bytes.
std::string encodeSheetSource(const FontSheet& sheet);

}  // namespace squish::tools
