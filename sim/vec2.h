#pragma once
// The 2-D vector of the simulation and the small set of operations the physics step and the
// builders are written in. Every result is stored as single precision.
#include <cmath>

namespace squish::sim {

struct Vec2 {
  float x = 0.0f;
  float y = 0.0f;
};

inline void vecAddTo(Vec2& a, Vec2 b) {
  a.x = a.x + b.x;
  a.y = a.y + b.y;
}
inline void vecSubFrom(Vec2& a, Vec2 b) {
  a.x = a.x - b.x;
  a.y = a.y - b.y;
}
inline void vecSub(Vec2& out, Vec2 a, Vec2 b) {
  out = {a.x - b.x, a.y - b.y};
}
inline void vecAddXY(Vec2& v, float x, float y) {
  v.x = v.x + x;
  v.y = v.y + y;
}
inline void vecPlusXY(Vec2& out, Vec2 v, float x, float y) {
  out = {v.x + x, v.y + y};
}
inline void vecMinusXY(Vec2& out, Vec2 v, float x, float y) {
  out = {v.x - x, v.y - y};
}
inline void vecScaled(Vec2& out, Vec2 v, float s) {
  out = {v.x * s, v.y * s};
}
inline void vecScale(Vec2& v, float s) {
  v.x = v.x * s;
  v.y = v.y * s;
}
inline void vecNegated(Vec2& out, Vec2 v) {
  out = {static_cast<float>(v.x * -1.0), static_cast<float>(v.y * -1.0)};
}
inline void vecNegate(Vec2& v) {
  vecNegated(v, v);
}
inline void vecSet(Vec2& v, float x, float y) {
  v = {x, y};
}

// √(x² + y²) formed in double precision (no overflow for large coordinates), rounded to single.
inline float vecLength(Vec2 v) {
  const double x = v.x;
  const double y = v.y;
  return static_cast<float>(std::sqrt(x * x + y * y));
}

// Each component in turn is capped at limit, then raised to -limit; with a negative limit both
// components therefore end as -limit.
inline void vecClamp(Vec2& v, float limit) {
  if (v.x > limit) v.x = limit;
  if (v.x < -limit) v.x = -limit;
  if (v.y > limit) v.y = limit;
  if (v.y < -limit) v.y = -limit;
}

// Turns v by angle radians; a positive angle turns clockwise in the y-up world.
inline void vecRotate(Vec2& v, float angle) {
  const double c = std::cos(static_cast<double>(angle));
  const double s = std::sin(static_cast<double>(angle));
  const double x = v.x;
  const double y = v.y;
  v = {static_cast<float>(x * c + y * s), static_cast<float>(-x * s + y * c)};
}

}  // namespace squish::sim
