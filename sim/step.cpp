// The reference physics step, written slot by slot in the order the algorithm gives: every bond
// acts first, then each atom in turn takes gravity, rebounds, collides, is clamped and moves.
// Faster steps must reproduce its results bit for bit.
#include "sim/step.h"

#include <cmath>

namespace squish::sim {
namespace {

constexpr float floorY = 0.0f;
constexpr float rightWallX = 320.0f;
constexpr float leftWallX = -320.0f;
// Mirroring x about a wall at w gives 2w - x; the sums are written out as single constants.
constexpr float rightMirrorSum = 640.0f;
constexpr float leftMirrorSum = -640.0f;
constexpr std::int32_t impactBondColour = 15;

// Swaps the components of the two velocities along the line of centres, keeping the
// perpendicular ones: an elastic collision of equal masses. Both parts are taken before either
// velocity changes.
void exchangeMomentum(World& world, std::int32_t a, std::int32_t j, Vec2 d, Vec2 n, float m,
                      float lenSq) {
  Vec2 p1;
  vecScaled(p1, d, m);
  const Vec2 velJ = world.atoms[j].vel;
  const float m2 = (n.x * velJ.x + n.y * velJ.y) / lenSq;
  Vec2 p2;
  vecScaled(p2, n, m2);
  vecAddTo(world.atoms[a].vel, p2);
  vecSubFrom(world.atoms[a].vel, p1);
  vecAddTo(world.atoms[j].vel, p1);
  vecSubFrom(world.atoms[j].vel, p2);
}

}  // namespace

void updateBond(World& world, const SimSettings& settings, std::int32_t bond) {
  const std::int32_t a = world.bonds[bond].atomA;
  const std::int32_t b = world.bonds[bond].atomB;
  Vec2 d;
  vecSub(d, world.atoms[a].pos, world.atoms[b].pos);
  const float len = vecLength(d);
  // A bond that breaks exerts no force in this step.
  if (len / settings.atomSpace > settings.breakThreshold) {
    freeBond(world, bond);
    return;
  }
  const float restLength = world.bonds[bond].restLength;
  const float f = static_cast<float>((len - restLength) / 2.0 * settings.stiffness);
  const float s = f / restLength;
  // The impulse scales the unnormalised offset, so its size is len * f / restLength.
  vecScale(d, s);
  // Deformation compares the length with the atom spacing, not with the bond's rest length.
  if (std::fabs(len / settings.atomSpace) > settings.deformThreshold) {
    world.bonds[bond].restLength = settings.deformFactor * f + restLength;
  }
  vecAddTo(world.atoms[b].vel, d);
  vecSubFrom(world.atoms[a].vel, d);
}

// Three tests in turn, each on the position the previous one left, so an atom far past the
// right wall can be mirrored again by the left wall in the same call. The floor damps both
// velocity components (friction); a side wall only the horizontal one.
void reboundWalls(World& world, const SimSettings& settings, std::int32_t atom) {
  Atom& at = world.atoms[atom];
  if (at.pos.y < floorY) {
    at.pos.y = -at.pos.y;
    at.vel.y = -at.vel.y * settings.boundDecay;
    at.vel.x = at.vel.x * settings.boundDecay;
  }
  if (at.pos.x > rightWallX) {
    at.pos.x = rightMirrorSum - at.pos.x;
    at.vel.x = -at.vel.x * settings.boundDecay;
  }
  if (at.pos.x < leftWallX) {
    at.pos.x = leftMirrorSum - at.pos.x;
    at.vel.x = -at.vel.x * settings.boundDecay;
  }
}

void collideAtom(World& world, const SimSettings& settings, std::int32_t atom) {
  const std::int32_t a = atom;
  const std::int32_t count = world.atomCount;
  for (std::int32_t j = 1; j <= count; ++j) {
    if (j == a || world.atoms[j].alive != yes) continue;
    Vec2 d;
    vecSub(d, world.atoms[j].pos, world.atoms[a].pos);
    // The signed sum only spares the square root; it never rejects a pair in contact.
    if (d.x + d.y >= 4.0f * settings.atomSize) continue;
    Vec2 n;
    vecNegated(n, d);
    const float len = vecLength(d);
    if (len >= 2.0f * settings.atomSize) continue;
    const float lenSq = d.x * d.x + d.y * d.y;
    const Vec2 velA = world.atoms[a].vel;
    // The approach rate of a towards j; a pair at one position gives NaN and does nothing.
    const float m = (d.x * velA.x + d.y * velA.y) / lenSq;
    if (!(m >= 0.0f)) continue;
    if (m > settings.bondThreshold && bondExists(world, a, j) == no) {
      // A table that cannot grow hands out slot 0, which setBond ignores: no bond is made.
      const std::int32_t b = allocateBond(world);
      setBond(world, b, a, j, settings.atomSpace, settings.atomSpace, impactBondColour);
    }
    exchangeMomentum(world, a, j, d, n, m, lenSq);
  }
}

// Atoms are finished one at a time: when atom i meets atom j, a lower j has already moved in
// this step and a higher one has not.
void stepWorld(World& world, const SimSettings& settings) {
  const std::int32_t bondCount = world.bondCount;
  for (std::int32_t k = 1; k <= bondCount; ++k) {
    if (world.bonds[k].alive == yes) updateBond(world, settings, k);
  }
  const std::int32_t atomCount = world.atomCount;
  for (std::int32_t i = 1; i <= atomCount; ++i) {
    if (world.atoms[i].alive != yes) continue;
    vecAddXY(world.atoms[i].vel, settings.xGravity, settings.yGravity);
    reboundWalls(world, settings, i);
    collideAtom(world, settings, i);
    vecClamp(world.atoms[i].vel, settings.maxSpeed);
    vecAddTo(world.atoms[i].pos, world.atoms[i].vel);
  }
}

}  // namespace squish::sim
