#pragma once
// A picture as squish draws it: one palette index per pixel and the palette they index, the
// model of an indexed PNG and of a GIF, so both store it losslessly with no colour reduction.
#include <array>
#include <cstdint>
#include <vector>

namespace squish::pictures {

struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;          // width × height, row after row from the top
  std::array<std::uint32_t, 256> palette{};  // 0x00BBGGRR, as the screen keeps it

  bool isWhole() const {
    return width > 0 && height > 0 &&
           pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  }
};

inline std::uint8_t redOf(std::uint32_t colour) {
  return static_cast<std::uint8_t>(colour);
}
inline std::uint8_t greenOf(std::uint32_t colour) {
  return static_cast<std::uint8_t>(colour >> 8);
}
inline std::uint8_t blueOf(std::uint32_t colour) {
  return static_cast<std::uint8_t>(colour >> 16);
}

}  // namespace squish::pictures
