#pragma once
// A bond as a spring: what one bond does in a step, worked out from its atoms' offset. Inline so
// that the plain step and the fast one run the very same expressions in the same order, and the
// fast one can run it over a block of bonds as vector instructions.
#include <cmath>
#include <cstdint>

#include "sim/settings.h"
#include "sim/vec2.h"

namespace squish::sim {

struct Spring {
  float impulseScale = 0.0f;  // the impulse is the offset times this
  float deformedRest = 0.0f;  // the rest length, should the bond deform
  // 1 or 0, as integers so that a block of springs is worked out without a branch.
  std::int32_t deforms = 0;
  std::int32_t breaks = 0;  // a bond that breaks exerts no force in this step
};

// `offset` is atom A's position less atom B's. The impulse scales the unnormalised offset, so its
// size is len * f / restLength; deformation compares the length with the atom spacing, not with
// the bond's rest length.
inline Spring workOutSpring(Vec2 offset, float restLength, const SimSettings& settings) {
  const float len = vecLength(offset);
  const float f = static_cast<float>((len - restLength) / 2.0 * settings.stiffness);
  Spring spring;
  spring.impulseScale = f / restLength;
  spring.deformedRest = settings.deformFactor * f + restLength;
  spring.deforms = std::fabs(len / settings.atomSpace) > settings.deformThreshold ? 1 : 0;
  spring.breaks = len / settings.atomSpace > settings.breakThreshold ? 1 : 0;
  return spring;
}

}  // namespace squish::sim
