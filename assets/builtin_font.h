#pragma once
// The font sheet compiled into the program, so the panel has text even when "6x8.bmp" is not
// in the working directory. Generated at build time from assets/6x8-glyphs.txt.
#include <cstdint>
#include <span>

namespace squish::assets {

// An 8-bit image block of 96 × 128 pixels: header 1 | 96 << 3 and 128 as two 16-bit
// little-endian words, then the pixels top row first (ink 15, paper 0); code k in the 6 × 8
// cell at column k mod 16, row k div 16.
std::span<const std::uint8_t> builtinFontSheet();

}  // namespace squish::assets
