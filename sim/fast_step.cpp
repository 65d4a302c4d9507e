// The fast physics step. Gravity, rebound, clamp, move and the contact of a pair are the plain
// step's own; the bond spring is a copy of updateBond, expression for expression, so every
// float rounds the same way (the differential tests hold it to that). What
// differs is the contact search: each atom meets just the grid's candidates, in slot order,
// which are the only atoms the all-pairs loop would find in contact.
#include "sim/fast_step.h"

#include <algorithm>
#include <cmath>

#include "sim/contact.h"
#include "sim/step.h"

namespace squish::sim {
namespace {

enum class ContactSearch { none, grid, allPairs };

// A contact needs len < 2 x atomSize with len >= 0, so a size of 0 or below (not NaN) makes
// every pair skip; NaN, infinite or huge sizes leave too many pairs in reach for a grid.
ContactSearch contactSearchFor(const SimSettings& settings) {
  const float size = settings.atomSize;
  if (size <= 0.0f) return ContactSearch::none;
  if (size <= maxGridAtomSize) return ContactSearch::grid;
  return ContactSearch::allPairs;
}

// updateBond, expression for expression, split in two passes. The first works out every
// bond's impulse (and breaks and deforms bonds), which depends on positions alone, so bonds no
// longer wait for one another's square roots and divisions; the second applies the impulses
// in slot order, so each atom's velocity takes the same additions in the same order. The
// deformation is chosen without a branch: a bond near its rest spacing flips between deforming
// and not from step to step. Writing back an unchanged rest length leaves the record as it was.
void workOutBond(World& world, const SimSettings& settings, std::int32_t bond, Vec2& impulse) {
  Bond& record = world.bonds[bond];
  Vec2 d;
  vecSub(d, world.atoms[record.atomA].pos, world.atoms[record.atomB].pos);
  const float len = vecLength(d);
  if (len / settings.atomSpace > settings.breakThreshold) {
    freeBond(world, bond);
    return;
  }
  const float restLength = record.restLength;
  const float f = static_cast<float>((len - restLength) / 2.0 * settings.stiffness);
  const float s = f / restLength;
  vecScale(d, s);
  const float deformed = settings.deformFactor * f + restLength;
  const bool deforms = std::fabs(len / settings.atomSpace) > settings.deformThreshold;
  record.restLength = deforms ? deformed : restLength;
  impulse = d;
}

void actOnBonds(World& world, const SimSettings& settings, std::vector<Vec2>& impulses) {
  const std::int32_t bondCount = world.bondCount;
  if (impulses.size() < static_cast<std::size_t>(bondCount) + 1)
    impulses.resize(static_cast<std::size_t>(bondCount) + 1);
  for (std::int32_t k = 1; k <= bondCount; ++k) {
    if (world.bonds[k].alive == yes) workOutBond(world, settings, k, impulses[k]);
  }
  // A bond broken in the first pass reads as not alive here and exerts no force.
  for (std::int32_t k = 1; k <= bondCount; ++k) {
    const Bond& record = world.bonds[k];
    if (record.alive != yes) continue;
    vecAddTo(world.atoms[record.atomB].vel, impulses[k]);
    vecSubFrom(world.atoms[record.atomA].vel, impulses[k]);
  }
}

void fileAtoms(const World& world, const SimSettings& settings, StepState& state) {
  buildContactGrid(state.grid, world, 2.0f * settings.atomSize);
}

// The grid the last step left is still good when nothing has moved, been born or died since.
void fileAtomsUnlessFiled(const World& world, const SimSettings& settings, StepState& state) {
  if (!gridFilesWorld(state.grid, world, 2.0f * settings.atomSize))
    fileAtoms(world, settings, state);
}

}  // namespace

// The order is stepWorld's: every bond acts, then each atom in turn takes gravity, rebounds,
// meets its contacts, is clamped and moves. The grid files the atoms once the bonds have acted
// and follows each atom as it moves; when too many have left its cells, it is filed again from
// where the atoms stand.
void stepWorldFast(World& world, const SimSettings& settings, StepState& state) {
  actOnBonds(world, settings, state.impulses);

  const std::int32_t atomCount = world.atomCount;
  const ContactSearch search = contactSearchFor(settings);
  if (search == ContactSearch::grid) fileAtomsUnlessFiled(world, settings, state);
  for (std::int32_t i = 1; i <= atomCount; ++i) {
    if (world.atoms[i].alive != yes) continue;
    vecAddXY(world.atoms[i].vel, settings.xGravity, settings.yGravity);
    reboundWalls(world, settings, i);
    if (search == ContactSearch::grid) {
      for (const std::int32_t j : findContactCandidates(state.grid, world, i, state.candidates))
        collidePair(world, settings, i, j);
    } else if (search == ContactSearch::allPairs) {
      collideAtom(world, settings, i);
    }
    vecClamp(world.atoms[i].vel, settings.maxSpeed);
    vecAddTo(world.atoms[i].pos, world.atoms[i].vel);
    if (search == ContactSearch::grid && !noteMove(state.grid, world, i))
      fileAtoms(world, settings, state);
  }
}

}  // namespace squish::sim
