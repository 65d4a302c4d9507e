// Parses the glyph text source line by line, keeping track of the open cell, and reports the
// first malformed line by number.
#include "tools/glyph_source.h"

#include <bitset>
#include <cstddef>

namespace squish::tools {
namespace {

struct ParseState {
  FontSheet sheet;
  std::bitset<256> seen;
  std::int32_t code = -1;  // the open cell, -1 when none
  std::int32_t rowsRead = 0;
  std::int32_t headerLine = 0;
};

std::string lineError(std::int32_t lineNumber, const std::string& message) {
  return "line " + std::to_string(lineNumber) + ": " + message;
}

bool isCellRow(std::string_view line) {
  if (line.size() != static_cast<std::size_t>(cellWidth)) return false;
  for (char c : line) {
    if (c != '#' && c != '.') return false;
  }
  return true;
}

// "== CODE" optionally followed by a space and a label. Returns the code, or -1 when the line
// is not a well-formed header.
std::int32_t headerCode(std::string_view line) {
  constexpr std::string_view opener = "== ";
  if (!line.starts_with(opener)) return -1;
  std::size_t i = opener.size();
  std::int32_t code = 0;
  std::size_t digits = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
    code = code * 10 + (line[i] - '0');
    ++i;
    ++digits;
    if (code > 255) return -1;
  }
  if (digits == 0 || digits > 3) return -1;
  if (i < line.size() && line[i] != ' ') return -1;
  return code;
}

void storeRow(FontSheet& sheet, std::int32_t code, std::int32_t row, std::string_view line) {
  const std::int32_t left = (code % 16) * cellWidth;
  const std::int32_t top = (code / 16) * cellHeight + row;
  for (std::int32_t x = 0; x < cellWidth; ++x) {
    sheet.pixels[static_cast<std::size_t>(top * sheetWidth + left + x)] =
        line[static_cast<std::size_t>(x)] == '#' ? inkValue : paperValue;
  }
}

// Returns an empty string when the line was accepted.
std::string takeLine(ParseState& state, std::string_view line, std::int32_t lineNumber) {
  const bool cellOpen = state.code >= 0;
  if (cellOpen) {
    if (!isCellRow(line)) {
      return lineError(lineNumber, "expected row " + std::to_string(state.rowsRead + 1) +
                                       " of 8 for code " + std::to_string(state.code) +
                                       ": six characters, each '#' or '.'");
    }
    storeRow(state.sheet, state.code, state.rowsRead, line);
    if (++state.rowsRead == cellHeight) state.code = -1;
    return {};
  }
  if (line.empty() || line.starts_with(';')) return {};
  if (isCellRow(line)) {
    return lineError(lineNumber, "glyph row outside a cell (a cell has exactly 8 rows)");
  }
  const std::int32_t code = headerCode(line);
  if (code < 0) {
    return lineError(lineNumber,
                     "expected '== CODE' with CODE from 0 to 255, a comment "
                     "starting with ';' or an empty line");
  }
  if (state.seen[static_cast<std::size_t>(code)]) {
    return lineError(lineNumber, "code " + std::to_string(code) + " already has a cell");
  }
  state.seen[static_cast<std::size_t>(code)] = true;
  state.code = code;
  state.rowsRead = 0;
  state.headerLine = lineNumber;
  return {};
}

}  // namespace

GlyphSourceResult parseGlyphSource(std::string_view text) {
  GlyphSourceResult result;
  ParseState state;
  std::int32_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    ++lineNumber;
    result.error = takeLine(state, line, lineNumber);
    if (!result.error.empty()) return result;
  }
  if (state.code >= 0) {
    result.error = lineError(state.headerLine, "the cell of code " + std::to_string(state.code) +
                                                   " ends after " + std::to_string(state.rowsRead) +
                                                   " of 8 rows");
    return result;
  }
  result.ok = true;
  result.sheet = state.sheet;
  return result;
}

}  // namespace squish::tools
