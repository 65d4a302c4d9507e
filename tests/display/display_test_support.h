#pragma once
// Helpers shared by the display core's tests: a screen opened without a window, reading pixels
// back, and BMP files made byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "display/screen.h"

namespace squish::display::testing {

inline void openWindowlessScreen(Screen& screen) {
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0));
}

inline std::uint8_t pixelAt(const Screen& screen, std::int32_t page, std::int32_t x,
                            std::int32_t y) {
  return screen.pages[page][static_cast<std::size_t>(y) * screen.pitch + x];
}

using PixelSet = std::set<std::pair<std::int32_t, std::int32_t>>;

// Every nonzero pixel of a page as (x, y).
inline PixelSet inkedPixels(const Screen& screen, std::int32_t page) {
  PixelSet pixels;
  for (std::int32_t y = 0; y < screen.height; ++y) {
    for (std::int32_t x = 0; x < screen.width; ++x) {
      if (pixelAt(screen, page, x, y) != 0) pixels.insert({x, y});
    }
  }
  return pixels;
}

inline void clearDirtyRows(Screen& screen) {
  std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{0});
}

inline std::int32_t dirtyRowCount(const Screen& screen) {
  std::int32_t count = 0;
  for (std::uint8_t flag : screen.dirtyRows)
    count += flag != 0;
  return count;
}

inline void putU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  putU16(bytes, at, value & 0xFFFFu);
  putU16(bytes, at + 2, value >> 16);
}

// A BMP of the given depth: `colours` table entries (entry i is blue i, green 2i, red 3i, each
// mod 256), rows stored bottom-up and padded to 4 bytes; pixels[r * width + c] is the palette
// index of column c in row r counted from the top. Deeper files get rows of zero bytes.
inline std::vector<std::uint8_t> makeBmp(std::int32_t width, std::int32_t height,
                                         std::uint32_t bitsPerPixel, std::uint32_t colours,
                                         const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> bytes(54 + colours * 4, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  putU32(bytes, 10, 54 + colours * 4);
  putU32(bytes, 14, 40);
  putU32(bytes, 18, static_cast<std::uint32_t>(width));
  putU32(bytes, 22, static_cast<std::uint32_t>(height));
  putU16(bytes, 26, 1);
  putU16(bytes, 28, bitsPerPixel);
  for (std::uint32_t i = 0; i < colours; ++i) {
    bytes[54 + i * 4] = static_cast<std::uint8_t>(i);
    bytes[54 + i * 4 + 1] = static_cast<std::uint8_t>(2 * i);
    bytes[54 + i * 4 + 2] = static_cast<std::uint8_t>(3 * i);
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitsPerPixel + 7) / 8;
  const std::size_t stride = (rowBytes + 3) / 4 * 4;
  for (std::int32_t row = height - 1; row >= 0; --row) {
    std::vector<std::uint8_t> packed(stride, 0);
    for (std::int32_t c = 0; bitsPerPixel <= 8 && c < width; ++c) {
      const std::uint32_t value = pixels[static_cast<std::size_t>(row) * width + c];
      const std::size_t bit = static_cast<std::size_t>(c) * bitsPerPixel;
      const auto shift = static_cast<std::uint32_t>(8 - bitsPerPixel - bit % 8);
      packed[bit / 8] = static_cast<std::uint8_t>(packed[bit / 8] | value << shift);
    }
    bytes.insert(bytes.end(), packed.begin(), packed.end());
  }
  return bytes;
}

// The palette word makeBmp's table gives entry i.
inline std::uint32_t bmpTableColour(std::uint32_t i) {
  return (3 * i & 0xFFu) | (2 * i & 0xFFu) << 8 | (i & 0xFFu) << 16;
}

}  // namespace squish::display::testing
