// The fast physics step. Gravity, rebound, clamp, move and the contact of a pair are the plain
// step's own, and so is the arithmetic of a bond's spring (workOutSpring), so every float
// rounds the same way (the differential tests hold it to that). What
// differs is the contact search: each atom meets just the grid's candidates, in slot order,
// which are the only atoms the all-pairs loop would find in contact.
#include "sim/fast_step.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <new>
#include <span>
#include <thread>
#include <vector>

#include "sim/contact.h"
#include "sim/growth.h"
#include "sim/spring.h"
#include "sim/step.h"

namespace squish::sim {
namespace {

enum class ContactSearch { none, grid, allPairs };

// A contact needs len < 2 x atomSize with len >= 0, so a size of 0 or below (not NaN) makes
// every pair skip. A NaN or infinite contact distance puts every pair at finite positions in
// reach, which leaves a grid nothing to narrow.
ContactSearch contactSearchFor(const SimSettings& settings) {
  const float size = settings.atomSize;
  if (size <= 0.0f) return ContactSearch::none;
  if (std::isfinite(2.0f * size)) return ContactSearch::grid;
  return ContactSearch::allPairs;
}

// updateBond's work, block by block. A spring's arithmetic depends on
// positions alone, which no bond changes, so each block of bonds is worked out ahead of acting:
// each live bond's offset is gathered, then the springs' arithmetic runs over plain arrays with
// no branch (the compiler turns it into vector instructions, each lane the same IEEE operations
// in the same order as one bond alone), then bond by bond in slot order a broken bond is freed
// or the bond deforms and pushes its atoms, so each velocity takes the same additions in the
// same order as in stepWorld. A bond that breaks exerts no force: what was worked out for it is
// dropped.
constexpr std::int64_t bondBlock = 256;

struct SpringBlock {
  std::size_t count = 0;
  std::array<std::int32_t, bondBlock> slot, atomA, atomB;
  std::array<float, bondBlock> dx, dy, rest;                  // in
  std::array<float, bondBlock> impulseX, impulseY, deformed;  // out
  std::array<std::int32_t, bondBlock> deforms, breaks;        // out
};

void gatherSprings(const World& world, std::int32_t first, std::int32_t last, SpringBlock& block) {
  const std::span<const Atom> atoms = world.atoms();
  const std::span<const Bond> bonds = world.bonds();
  block.count = 0;
  for (std::int32_t k = first; k <= last; ++k) {
    const Bond& record = bonds[k];
    if (!record.alive) continue;
    const std::size_t i = block.count++;
    Vec2 d;
    vecSub(d, atoms[record.atomA].pos, atoms[record.atomB].pos);
    block.slot[i] = k;
    block.atomA[i] = record.atomA;
    block.atomB[i] = record.atomB;
    block.dx[i] = d.x;
    block.dy[i] = d.y;
    block.rest[i] = record.restLength;
  }
}

void workOutSprings(const SimSettings& settings, SpringBlock& block) {
  const SimSettings local = settings;  // a copy the loop can keep in registers
  for (std::size_t i = 0; i < block.count; ++i) {
    const Spring spring = workOutSpring({block.dx[i], block.dy[i]}, block.rest[i], local);
    block.impulseX[i] = block.dx[i] * spring.impulseScale;
    block.impulseY[i] = block.dy[i] * spring.impulseScale;
    block.deformed[i] = spring.deformedRest;
    block.deforms[i] = spring.deforms;
    block.breaks[i] = spring.breaks;
  }
}

// `velocity`(atom) is the velocity the impulses are added to: the atom's own, or its copy.
template <typename VelocityOf>
void settleSprings(World& world, const SpringBlock& block, VelocityOf velocity) {
  for (std::size_t i = 0; i < block.count; ++i) {
    const std::int32_t k = block.slot[i];
    if (block.breaks[i] != 0) {
      freeBond(world, k);
      continue;
    }
    if (block.deforms[i] != 0) world.restLength(k) = block.deformed[i];
    const Vec2 impulse{block.impulseX[i], block.impulseY[i]};
    vecAddTo(velocity(block.atomB[i]), impulse);
    vecSubFrom(velocity(block.atomA[i]), impulse);
  }
}

template <typename VelocityOf>
void actOnBonds(World& world, const SimSettings& settings, VelocityOf velocity) {
  const std::int32_t bondCount = world.bondCount();
  SpringBlock block;  // about 10 KB, on the stack
  for (std::int64_t first = 1; first <= bondCount; first += bondBlock) {
    const std::int64_t last = std::min<std::int64_t>(bondCount, first + bondBlock - 1);
    gatherSprings(world, static_cast<std::int32_t>(first), static_cast<std::int32_t>(last), block);
    workOutSprings(settings, block);
    settleSprings(world, block, velocity);
  }
}

void actOnBonds(World& world, const SimSettings& settings) {
  actOnBonds(world, settings, [&](std::int32_t atom) -> Vec2& { return world.velocity(atom); });
}

// The bonds act while the second thread files the atoms, reading their positions. Were the
// impulses added to the atoms' own velocities, each write would take from the other core the
// cache line it reads, so they are added to a copy of the velocities, written back once the
// filing is done: the same additions in the same order. Without memory for the copy (`copying`
// false) the bonds act on the atoms themselves.
bool actOnBondsWhileFiling(World& world, const SimSettings& settings, SplitAtomPass& split,
                           bool copying, bool& planned) {
  std::vector<Vec2>& copy = split.velocities;
  const std::span<const Atom> atoms = world.atoms();
  if (!copying) {
    actOnBonds(world, settings);
    return split.awaitFiling(planned);
  }
  for (std::size_t i = 0; i < atoms.size(); ++i)
    copy[i] = atoms[i].vel;
  actOnBonds(world, settings, [&](std::int32_t atom) -> Vec2& { return copy[atom]; });
  const bool filed = split.awaitFiling(planned);
  for (std::size_t i = 0; i < copy.size(); ++i)
    world.velocity(static_cast<std::int32_t>(i)) = copy[i];
  return filed;
}

// The grid the last step left is still good when nothing has moved, been born or died since.
// False when the grid had to be built and could not be.
bool fileAtomsUnlessFiled(const World& world, const SimSettings& settings, StepState& state) {
  const float contactDistance = 2.0f * settings.atomSize;
  return gridFilesWorld(state.grid, world, contactDistance) ||
         buildContactGrid(state.grid, world, contactDistance);
}

bool mayUseTwoThreads(const World& world, const StepState& state) {
  return state.threads >= 2 && world.atomCount() >= state.atomsForTwoThreads;
}

// Whether this step should try two threads: the way that has been faster lately, and the other
// way now and then, as the machine's load changes. A way not timed yet counts as fastest.
bool twoThreadsDue(StepState& state) {
  if (!state.keepTheFasterWay) return true;
  StepState::Pace& pace = state.pace;
  const bool twoFaster = pace.twoThreads <= pace.oneThread;
  if (++pace.stepsSinceTry < pace.tryEvery) return twoFaster;
  pace.stepsSinceTry = 0;
  pace.trying = true;
  return !twoFaster;
}

// A try replaces what is known of its way, which is old by then; a try that finds its way
// slower still waits twice as long for the next.
void notePace(StepState& state, bool twoThreads, double seconds) {
  StepState::Pace& pace = state.pace;
  double& average = twoThreads ? pace.twoThreads : pace.oneThread;
  if (!pace.trying) {
    average = average == 0.0 ? seconds : 0.75 * average + 0.25 * seconds;
    return;
  }
  average = seconds;
  pace.trying = false;
  const bool slowerStill =
      twoThreads ? pace.twoThreads > pace.oneThread : pace.oneThread >= pace.twoThreads;
  pace.tryEvery = slowerStill ? std::min(2 * pace.tryEvery, 4096) : 32;
}

// The split pass of a state that may use two threads on this world now; null when it may not.
SplitAtomPass* splitPassFor(StepState& state) {
  if (!twoThreadsDue(state)) return nullptr;
  if (!state.split) state.split.reset(new (std::nothrow) SplitAtomPass);
  return state.split.get();
}

}  // namespace

StepState stepStateForThreads(std::int64_t threads) {
  StepState state;
  state.keepTheFasterWay = threads == 0;
  if (threads == 0) threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
  state.threads = threads >= 2 ? 2 : 1;
  return state;
}

namespace {

// The order is stepWorld's: every bond acts, then each atom in turn takes gravity, rebounds,
// meets its contacts, is clamped and moves. The grid files the atoms where they stand when the
// atom pass begins (on two threads: while the bonds act, as bonds move no atom) and follows
// each atom as it moves; when too many have left a dense window's cells, it is filed
// again from where the atoms stand, in a hashed table that no atom leaves. When the grid cannot
// be built the atoms from there on meet every other atom, as in stepWorld. One step, on one
// thread or two.
void stepOnce(World& world, const SimSettings& settings, StepState& state) {
  ContactSearch search = contactSearchFor(settings);
  SplitAtomPass* split = search == ContactSearch::grid && mayUseTwoThreads(world, state)
                             ? splitPassFor(state)
                             : nullptr;
  bool filed = true;
  bool planned = false;
  // The copy grows before the second thread starts: its growth goes through the pass's faults,
  // which the plan uses too.
  const bool copying =
      split != nullptr && tryResize(split->velocities, world.atoms().size(), split->faults);
  if (split != nullptr && split->startFiling(world, settings, state.grid)) {
    filed = actOnBondsWhileFiling(world, settings, *split, copying, planned);
  } else {
    actOnBonds(world, settings);
    filed = search != ContactSearch::grid || fileAtomsUnlessFiled(world, settings, state);
  }
  state.contactsWithoutGrid = !filed;
  if (!filed) search = ContactSearch::allPairs;
  state.atomsSplit = planned;
  if (planned) {
    split->runPlanned(world, settings, state.grid);
    assertValidWorld(world, "a fast step");
    return;
  }
  const std::int32_t atomCount = world.atomCount();
  for (std::int32_t i = 1; i <= atomCount; ++i) {
    if (!world.atoms()[i].alive) continue;
    vecAddXY(world.velocity(i), settings.xGravity, settings.yGravity);
    reboundWalls(world, settings, i);
    if (search == ContactSearch::grid) {
      // Where the grid has a candidate filed is where it stands (see findContactCandidates),
      // and was just read by the search.
      for (const std::int32_t j : findContactCandidates(state.grid, world, i))
        collidePair(world, settings, i, j, filedPosition(state.grid, j));
    } else if (search == ContactSearch::allPairs) {
      collideAtom(world, settings, i);
    }
    vecClamp(world.velocity(i), settings.maxSpeed);
    vecAddTo(world.position(i), world.velocity(i));
    if (search == ContactSearch::grid && !noteMove(state.grid, world, i) &&
        !buildContactGrid(state.grid, world, 2.0f * settings.atomSize, GridLayout::hashed)) {
      search = ContactSearch::allPairs;
      state.contactsWithoutGrid = true;
    }
  }
  assertValidWorld(world, "a fast step");
}

}  // namespace

// Times the steps that may use two threads, to choose between one and two.
void stepWorldFast(World& world, const SimSettings& settings, StepState& state) {
  if (!state.keepTheFasterWay || !mayUseTwoThreads(world, state)) {
    stepOnce(world, settings, state);
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  stepOnce(world, settings, state);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  notePace(state, state.atomsSplit, took.count());
}

}  // namespace squish::sim
