#pragma once
// Decoding a BMP file of 1, 4 or 8 bits per pixel from its bytes, with no screen: its size, its
// colour table and its pixels, one palette index each. Whoever loads the image decides what the
// colour table does; decoding changes nothing but its result.
#include <cstdint>
#include <span>
#include <vector>

#include "display/image.h"

namespace squish::display {

struct DecodedBmp {
  // loaded; notPossible for a true-colour file (15 or more bits per pixel, or colour masks);
  // formatError for bytes that are no BMP, a size out of range, or rows cut short.
  LoadResult result = formatError;
  bool sizeKnown = false;   // width and height passed their checks (as loaders write them)
  bool indexed = false;     // 1, 4 or 8 bits per pixel: the colours and rows below were read
  std::int32_t width = 0;   // 1..8191
  std::int32_t height = 0;  // -32768..65535; a top-down file (negative) has no rows
  std::vector<std::uint32_t> colours;  // the colour table as 0x00BBGGRR, at most 256 entries
  // The rows read, top row first, width indices each: the bottom rowsRead rows of the image,
  // all of them unless the file ends early (rows are stored bottom row first).
  std::int32_t rowsRead = 0;
  std::vector<std::uint8_t> pixels;
};

// Every read is checked against the bytes' length, and what is allocated is bounded by it,
// whatever sizes the header declares.
DecodedBmp decodeBmp(std::span<const std::uint8_t> file);

// The bits per pixel a BMP file's header declares (1, 4, 8, 24, ...); 0 for bytes that do not
// open with a BMP header. For telling why a file could not be loaded.
std::int32_t bmpBitsPerPixel(std::span<const std::uint8_t> file);

}  // namespace squish::display
