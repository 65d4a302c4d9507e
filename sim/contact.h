#pragma once
// Contact between two atoms: the test, the impact bond and the exchange of momentum. Inline so
// that both the plain step and the fast one run the very same expressions in the same order.
#include <cstdint>

#include "sim/settings.h"
#include "sim/vec2.h"
#include "sim/world.h"

namespace squish::sim {

inline constexpr std::int32_t impactBondColour = 15;

// Swaps the components of the two velocities along the line of centres, keeping the
// perpendicular ones: an elastic collision of equal masses. Both parts are taken before either
// velocity changes.
inline void exchangeMomentum(World& world, std::int32_t a, std::int32_t j, Vec2 d, Vec2 n, float m,
                             float lenSq) {
  Vec2 p1;
  vecScaled(p1, d, m);
  const Vec2 velJ = world.atoms()[j].vel;
  const float m2 = (n.x * velJ.x + n.y * velJ.y) / lenSq;
  Vec2 p2;
  vecScaled(p2, n, m2);
  vecAddTo(world.velocity(a), p2);
  vecSubFrom(world.velocity(a), p1);
  vecAddTo(world.velocity(j), p1);
  vecSubFrom(world.velocity(j), p2);
}

// Live atom a meets live atom j (j != a), which stands at `posJ`: nothing unless they touch
// while a moves towards j; a fast enough approach calls `glue`(a, j) first, which makes the
// impact bond unless the pair has one. The caller hands over j's position so that a copy of it
// already at hand can be used: most pairs end at the distance tests, before j's own record is
// read.
template <typename Glue>
inline void collidePairGluing(World& world, const SimSettings& settings, std::int32_t a,
                              std::int32_t j, Vec2 posJ, Glue&& glue) {
  Vec2 d;
  vecSub(d, posJ, world.atoms()[a].pos);
  // The signed sum only spares the square root; it never rejects a pair in contact.
  if (d.x + d.y >= 4.0f * settings.atomSize) return;
  Vec2 n;
  vecNegated(n, d);
  const float len = vecLength(d);
  if (len >= 2.0f * settings.atomSize) return;
  const float lenSq = d.x * d.x + d.y * d.y;
  const Vec2 velA = world.atoms()[a].vel;
  // The approach rate of a towards j; a pair at one position gives NaN and does nothing.
  const float m = (d.x * velA.x + d.y * velA.y) / lenSq;
  if (!(m >= 0.0f)) return;
  if (m > settings.bondThreshold) glue(a, j);
  exchangeMomentum(world, a, j, d, n, m, lenSq);
}

// The same, gluing the pair at once.
inline void collidePair(World& world, const SimSettings& settings, std::int32_t a, std::int32_t j,
                        Vec2 posJ) {
  collidePairGluing(world, settings, a, j, posJ, [&](std::int32_t first, std::int32_t second) {
    if (!bondExists(world, first, second))
      makeImpactBond(world, first, second, settings.atomSpace, impactBondColour);
  });
}

}  // namespace squish::sim
