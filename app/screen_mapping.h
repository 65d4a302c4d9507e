#pragma once
// Where the world lands on the 640 × 480 picture: the world's origin at the middle of the floor
// (the picture's bottom edge), x to the right on both, y up in the world and down the picture.
#include <cstdint>

namespace squish::app {

inline constexpr float screenFromWorldX(float x) {
  return 320.0f + x;
}
inline constexpr float screenFromWorldY(float y) {
  return 480.0f - y;
}

// A picture pixel back in world coordinates (the pointer's position for dragging).
inline constexpr float worldFromScreenX(std::int32_t x) {
  return static_cast<float>(x - 320);
}
inline constexpr float worldFromScreenY(std::int32_t y) {
  return static_cast<float>(480 - y);
}

}  // namespace squish::app
