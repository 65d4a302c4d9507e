// The fast physics step. The bond pass, gravity, rebound, clamp and move are stepWorld's own;
// only the contact search differs: each atom meets just the grid's candidates, in slot order,
// which are the only atoms the all-pairs loop would find in contact. The contact itself is the
// reference's, expression for expression, so every float rounds the same way.
#include "sim/fast_step.h"

#include <algorithm>
#include <cmath>

#include "sim/step.h"

namespace squish::sim {
namespace {

constexpr std::int32_t impactBondColour = 15;

enum class ContactSearch { none, grid, allPairs };

// A contact needs len < 2 x atomSize with len >= 0, so a size of 0 or below (not NaN) makes
// every pair skip; NaN, infinite or huge sizes leave too many pairs in reach for a grid.
ContactSearch contactSearchFor(const SimSettings& settings) {
  const float size = settings.atomSize;
  if (size <= 0.0f) return ContactSearch::none;
  if (size <= maxGridAtomSize) return ContactSearch::grid;
  return ContactSearch::allPairs;
}

// How far an atom is likely to move this step: a contact can at most hand an atom the speed of
// a neighbour, so twice the fastest velocity component plus gravity; the clamp caps it at
// maxSpeed. NaN when some velocity is NaN, which asks for the widest margin.
double expectedMove(const World& world, const SimSettings& settings, std::int32_t count) {
  double fastest = 0.0;
  for (std::int32_t i = 1; i <= count; ++i) {
    const Atom& atom = world.atoms[i];
    if (atom.alive != yes) continue;
    const double component = std::max(std::fabs(atom.vel.x), std::fabs(atom.vel.y));
    if (!(component <= fastest)) fastest = component;
  }
  const double gravity = std::fabs(settings.xGravity) + std::fabs(settings.yGravity);
  const double move = 2.0 * (fastest + gravity);
  const double cap = std::fabs(static_cast<double>(settings.maxSpeed));
  return cap < move ? cap : move;
}

// Mirrors collideAtom's exchange: the components of the two velocities along the line of
// centres swap, both parts taken before either velocity changes.
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

// One pass of collideAtom's loop body for the pair (a, j), with the same tests in the same
// order and the same single-precision expressions.
void collidePair(World& world, const SimSettings& settings, std::int32_t a, std::int32_t j) {
  Vec2 d;
  vecSub(d, world.atoms[j].pos, world.atoms[a].pos);
  if (d.x + d.y >= 4.0f * settings.atomSize) return;
  Vec2 n;
  vecNegated(n, d);
  const float len = vecLength(d);
  if (len >= 2.0f * settings.atomSize) return;
  const float lenSq = d.x * d.x + d.y * d.y;
  const Vec2 velA = world.atoms[a].vel;
  const float m = (d.x * velA.x + d.y * velA.y) / lenSq;
  if (!(m >= 0.0f)) return;
  if (m > settings.bondThreshold && bondExists(world, a, j) == no) {
    const std::int32_t b = allocateBond(world);
    setBond(world, b, a, j, settings.atomSpace, settings.atomSpace, impactBondColour);
  }
  exchangeMomentum(world, a, j, d, n, m, lenSq);
}

void fileAtoms(World& world, const SimSettings& settings, StepState& state, std::int32_t count) {
  buildContactGrid(state.grid, world, 2.0f * settings.atomSize,
                   expectedMove(world, settings, count));
}

}  // namespace

// The order is stepWorld's: every bond acts, then each atom in turn takes gravity, rebounds,
// meets its contacts, is clamped and moves. The grid files the atoms once the bonds have acted;
// an atom that then moves beyond the grid's margin is searched for separately, and when too
// many have, the grid is filed again from where the atoms stand.
void stepWorldFast(World& world, const SimSettings& settings, StepState& state) {
  const std::int32_t bondCount = world.bondCount;
  for (std::int32_t k = 1; k <= bondCount; ++k) {
    if (world.bonds[k].alive == yes) updateBond(world, settings, k);
  }

  const std::int32_t atomCount = world.atomCount;
  const ContactSearch search = contactSearchFor(settings);
  if (search == ContactSearch::grid) fileAtoms(world, settings, state, atomCount);
  for (std::int32_t i = 1; i <= atomCount; ++i) {
    if (world.atoms[i].alive != yes) continue;
    vecAddXY(world.atoms[i].vel, settings.xGravity, settings.yGravity);
    reboundWalls(world, settings, i);
    if (search == ContactSearch::grid) {
      findContactCandidates(state.grid, world, i, state.candidates);
      for (const std::int32_t j : state.candidates)
        collidePair(world, settings, i, j);
    } else if (search == ContactSearch::allPairs) {
      collideAtom(world, settings, i);
    }
    vecClamp(world.atoms[i].vel, settings.maxSpeed);
    vecAddTo(world.atoms[i].pos, world.atoms[i].vel);
    if (search == ContactSearch::grid && !noteMove(state.grid, world, i))
      fileAtoms(world, settings, state, atomCount);
  }
}

}  // namespace squish::sim
