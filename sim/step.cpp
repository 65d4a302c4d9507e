// The reference physics step, written slot by slot in the order the algorithm gives: every bond
// acts first, then each atom in turn takes gravity, rebounds, collides, is clamped and moves.
// Faster steps must reproduce its results bit for bit.
#include "sim/step.h"

#include <cmath>

#include "sim/contact.h"
#include "sim/spring.h"

namespace squish::sim {
namespace {

constexpr float floorY = 0.0f;
constexpr float rightWallX = 320.0f;
constexpr float leftWallX = -320.0f;
// Mirroring x about a wall at w gives 2w - x; the sums are written out as single constants.
constexpr float rightMirrorSum = 640.0f;
constexpr float leftMirrorSum = -640.0f;

}  // namespace

void updateBond(World& world, const SimSettings& settings, std::int32_t bond) {
  const std::int32_t a = world.bonds()[bond].atomA;
  const std::int32_t b = world.bonds()[bond].atomB;
  Vec2 d;
  vecSub(d, world.atoms()[a].pos, world.atoms()[b].pos);
  const Spring spring = workOutSpring(d, world.bonds()[bond].restLength, settings);
  if (spring.breaks != 0) {
    freeBond(world, bond);
    return;
  }
  vecScale(d, spring.impulseScale);
  if (spring.deforms != 0) world.restLength(bond) = spring.deformedRest;
  vecAddTo(world.velocity(b), d);
  vecSubFrom(world.velocity(a), d);
}

// Three tests in turn, each on the position the previous one left, so an atom far past the
// right wall can be mirrored again by the left wall in the same call. The floor damps both
// velocity components (friction); a side wall only the horizontal one.
void reboundWalls(World& world, const SimSettings& settings, std::int32_t atom) {
  Vec2& pos = world.position(atom);
  Vec2& vel = world.velocity(atom);
  if (pos.y < floorY) {
    pos.y = -pos.y;
    vel.y = -vel.y * settings.boundDecay;
    vel.x = vel.x * settings.boundDecay;
  }
  if (pos.x > rightWallX) {
    pos.x = rightMirrorSum - pos.x;
    vel.x = -vel.x * settings.boundDecay;
  }
  if (pos.x < leftWallX) {
    pos.x = leftMirrorSum - pos.x;
    vel.x = -vel.x * settings.boundDecay;
  }
}

Vec2 reboundedPosition(Vec2 pos) {
  if (pos.y < floorY) pos.y = -pos.y;
  if (pos.x > rightWallX) pos.x = rightMirrorSum - pos.x;
  if (pos.x < leftWallX) pos.x = leftMirrorSum - pos.x;
  return pos;
}

void collideAtom(World& world, const SimSettings& settings, std::int32_t atom) {
  const std::int32_t count = world.atomCount();
  for (std::int32_t j = 1; j <= count; ++j) {
    if (j == atom || !world.atoms()[j].alive) continue;
    collidePair(world, settings, atom, j, world.atoms()[j].pos);
  }
}

// Atoms are finished one at a time: when atom i meets atom j, a lower j has already moved in
// this step and a higher one has not.
void stepWorld(World& world, const SimSettings& settings) {
  const std::int32_t bondCount = world.bondCount();
  for (std::int32_t k = 1; k <= bondCount; ++k) {
    if (world.bonds()[k].alive) updateBond(world, settings, k);
  }
  const std::int32_t atomCount = world.atomCount();
  for (std::int32_t i = 1; i <= atomCount; ++i) {
    if (!world.atoms()[i].alive) continue;
    vecAddXY(world.velocity(i), settings.xGravity, settings.yGravity);
    reboundWalls(world, settings, i);
    collideAtom(world, settings, i);
    vecClamp(world.velocity(i), settings.maxSpeed);
    vecAddTo(world.position(i), world.velocity(i));
  }
  assertValidWorld(world, "a step");
}

}  // namespace squish::sim
