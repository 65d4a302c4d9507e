#pragma once
// Reads the font's text source (one 6 × 8 cell per character code, '#' ink and '.' paper) into
// the 96 × 128 font sheet: code k at cell column k mod 16, cell row k div 16.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace squish::tools {

inline constexpr std::int32_t cellWidth = 6;
inline constexpr std::int32_t cellHeight = 8;
inline constexpr std::int32_t sheetWidth = 16 * cellWidth;
inline constexpr std::int32_t sheetHeight = 16 * cellHeight;
inline constexpr std::uint8_t inkValue = 15;
inline constexpr std::uint8_t paperValue = 0;

// One palette index per pixel, top row first.
struct FontSheet {
  std::array<std::uint8_t, sheetWidth * sheetHeight> pixels{};
};

// On failure `error` holds "line N: what is wrong" and the sheet is unspecified.
struct GlyphSourceResult {
  bool ok = false;
  FontSheet sheet;
  std::string error;
};

// The source format, line by line:
//   "== CODE" or "== CODE LABEL"  opens the cell of CODE (decimal 0..255; each code once);
//                                 the label is free text for the reader
//   six of '#' and '.'            one row of the open cell; a cell has exactly eight rows
//   empty, or starting with ';'   ignored between cells
// A trailing carriage return is ignored. Codes without a cell stay blank.
GlyphSourceResult parseGlyphSource(std::string_view text);

}  // namespace squish::tools
