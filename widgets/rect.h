#pragma once
// Rectangles in screen pixels and the small helpers the toolkit uses on them. Coordinates may be
// anything an application or a pointer gives, so sums saturate to the int32 range instead of
// overflowing.
#include <algorithm>
#include <cstdint>
#include <limits>

namespace squish::widgets {

// The top-left corner and the size, in screen pixels.
struct Rect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t w = 0;
  std::int32_t h = 0;
};

// A 64-bit value clamped to the int32 range.
inline std::int32_t saturate(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
inline std::int32_t addClamped(std::int32_t a, std::int32_t b) {
  return saturate(std::int64_t{a} + b);
}
inline std::int32_t subClamped(std::int32_t a, std::int32_t b) {
  return saturate(std::int64_t{a} - b);
}

inline void moveRect(Rect& r, std::int32_t dx, std::int32_t dy) {
  r.x = addClamped(r.x, dx);
  r.y = addClamped(r.y, dy);
}
inline void setRectSize(Rect& r, std::int32_t w, std::int32_t h) {
  r.w = w;
  r.h = h;
}
// Grows the rectangle by (dx, dy) on every side; negative values shrink it.
inline void inflateRect(Rect& r, std::int32_t dx, std::int32_t dy) {
  r.x = subClamped(r.x, dx);
  r.y = subClamped(r.y, dy);
  r.w = saturate(std::int64_t{r.w} + 2 * std::int64_t{dx});
  r.h = saturate(std::int64_t{r.h} + 2 * std::int64_t{dy});
}
// x <= px < x + w and y <= py < y + h, computed without overflow.
inline bool rectContains(const Rect& r, std::int32_t px, std::int32_t py) {
  return r.x <= px && r.y <= py && std::int64_t{px} < std::int64_t{r.x} + r.w &&
         std::int64_t{py} < std::int64_t{r.y} + r.h;
}

}  // namespace squish::widgets
