#pragma once
// Pictures as indexed 8-bit PNG files, encoded by libspng.
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/picture.h"

namespace squish::pictures {

struct Encoded {
  std::vector<std::uint8_t> bytes;
  std::string error;  // why the picture could not be encoded; empty when it was
  bool ok() const { return error.empty(); }
};

// The whole PNG file: 8 bits per pixel, the 256 palette entries as its PLTE chunk.
Encoded encodePng(const Picture& picture);

}  // namespace squish::pictures
