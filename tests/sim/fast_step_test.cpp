// The fast step against the plain one: random worlds with random and extreme settings, stepped
// by both and compared after every step, record for record and bit for bit, on one thread and
// on two; plus the cases the grid has to get right on purpose (non-finite and huge positions,
// far movers, refiling) and the worlds the split between two threads has to get right.
#include "sim/fast_step.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "sim/builders.h"
#include "sim/contact_grid.h"
#include "sim/default_scene.h"
#include "sim/step.h"
#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

using testing::addTestAtom;
using testing::addTestBond;
using testing::sameWorld;
using testing::setAtomLive;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

using Random = std::mt19937;

float uniform(Random& random, float low, float high) {
  return std::uniform_real_distribution<float>(low, high)(random);
}

template <std::size_t N>
float pick(Random& random, const std::array<float, N>& values) {
  return values[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

bool chance(Random& random, double p) {
  return std::bernoulli_distribution(p)(random);
}

// Mostly sane settings, each value now and then replaced by zero, a negative, NaN, infinity or
// something huge, so both the grid and its fallbacks are exercised.
SimSettings randomSettings(Random& random) {
  SimSettings s;
  s.atomSize = chance(random, 0.8)
                   ? uniform(random, 0.5f, 12.0f)
                   : pick(random, std::array{0.0f, -2.0f, nan, inf, 1e-30f, 1500.0f, 999.0f});
  s.atomSpace =
      chance(random, 0.9) ? uniform(random, 2.0f, 20.0f) : pick(random, std::array{0.0f, -5.0f});
  s.maxSpeed = chance(random, 0.8) ? uniform(random, 0.0f, 12.0f)
                                   : pick(random, std::array{0.0f, -3.0f, nan, inf, 1e6f});
  s.yGravity = chance(random, 0.7) ? -0.004f : uniform(random, -2.0f, 2.0f);
  s.xGravity = chance(random, 0.7) ? 0.0f : uniform(random, -1.0f, 1.0f);
  s.boundDecay = chance(random, 0.8) ? 0.99f : uniform(random, -1.0f, 2.0f);
  s.deformFactor = uniform(random, 0.0f, 1.0f);
  s.deformThreshold = uniform(random, 0.5f, 2.0f);
  s.breakThreshold = chance(random, 0.8) ? uniform(random, 1.0f, 3.0f) : 0.0f;
  s.stiffness = uniform(random, 0.0f, 1.0f);
  s.bondThreshold = chance(random, 0.8) ? uniform(random, 0.0f, 1.0f)
                                        : pick(random, std::array{0.0f, -1.0f, nan, 1e9f});
  return s;
}

// A dense pile, bodies, loose atoms beyond the walls and below the floor, coincident pairs,
// NaN, infinite and huge positions, dead slots and freed bond slots waiting to be reused.
World randomWorld(Random& random, const SimSettings& settings) {
  World world;
  const int piled = std::uniform_int_distribution<int>(0, 120)(random);
  const float width = uniform(random, 10.0f, 120.0f);
  for (int i = 0; i < piled; ++i) {
    addTestAtom(world, uniform(random, -width, width), uniform(random, -5.0f, width),
                uniform(random, -4.0f, 4.0f), uniform(random, -4.0f, 4.0f));
  }
  if (chance(random, 0.5))
    buildBox(world, settings, uniform(random, -300.0f, 250.0f), uniform(random, 0.0f, 60.0f), 5, 4,
             3, uniform(random, -1.0f, 1.0f));
  if (chance(random, 0.3)) buildTriangle(world, settings, -20.0f, 5.0f, 5, 4, 0.3f);
  const int odd = std::uniform_int_distribution<int>(0, 12)(random);
  for (int i = 0; i < odd; ++i) {
    switch (std::uniform_int_distribution<int>(0, 7)(random)) {
      case 0:
        addTestAtom(world, nan, uniform(random, 0.0f, 50.0f), 1.0f, 0.0f);
        break;
      case 1:
        addTestAtom(world, inf, -inf, -1.0f, 2.0f);
        break;
      case 2:
        addTestAtom(world, pick(random, std::array{1e15f, -3e38f, 1e30f, 5e12f}), 1e13f);
        break;
      case 3:
        addTestAtom(world, uniform(random, 330.0f, 2000.0f), uniform(random, -50.0f, 0.0f));
        break;
      case 4: {
        const std::int32_t a = world.atomCount() > 0 ? world.atomCount() : addTestAtom(world, 0, 0);
        const Vec2 at = world.atoms()[a].pos;
        addTestAtom(world, at.x, at.y, uniform(random, -3.0f, 3.0f), 0.0f);
        break;
      }
      case 5:
        addTestAtom(world, 1e6f, 1e6f + uniform(random, -6.0f, 6.0f), 0.0f, -3.0f);
        break;
      case 6:
        addTestAtom(world, 0.0f, 10.0f, inf, nan);
        break;
      default:
        setAtomLive(world, addTestAtom(world, 0.0f, 20.0f), false);
        break;
    }
  }
  const std::int32_t atoms = world.atomCount();
  if (atoms >= 2) {
    const int extraBonds = std::uniform_int_distribution<int>(0, 30)(random);
    for (int k = 0; k < extraBonds; ++k) {
      const std::int32_t a = std::uniform_int_distribution<std::int32_t>(1, atoms)(random);
      const std::int32_t b = std::uniform_int_distribution<std::int32_t>(1, atoms)(random);
      addTestBond(world, a, b, uniform(random, 1.0f, 20.0f));
    }
    for (std::int32_t k = 1; k <= world.bondCount(); ++k) {
      if (chance(random, 0.1)) freeBond(world, k);
    }
  }
  return world;
}

// Steps copies of `world` with both steps and stops at the first step whose results differ.
// Returns how many steps ran their atom pass on two threads.
int expectSameSteps(const World& world, const SimSettings& settings, StepState& state, int steps) {
  World plain = world;
  World fast = world;
  int split = 0;
  for (int step = 1; step <= steps; ++step) {
    stepWorld(plain, settings);
    stepWorldFast(fast, settings, state);
    split += state.atomsSplit ? 1 : 0;
    EXPECT_TRUE(sameWorld(plain, fast)) << "step " << step;
    if (!sameWorld(plain, fast)) break;
  }
  return split;
}

// A fast step's state on `threads` threads, splitting every world it can.
void useThreads(StepState& state, int threads) {
  state.threads = threads;
  state.atomsForTwoThreads = 0;
  state.keepTheFasterWay = false;
}

constexpr std::array threadCounts{1, 2};

TEST(FastStep, MatchesThePlainStepOnRandomWorldsAfterEveryStep) {
  for (const int threads : threadCounts) {
    SCOPED_TRACE(threads);
    Random random(20260512);
    StepState state;  // shared by every world: it carries no physics between steps
    useThreads(state, threads);
    for (int trial = 0; trial < 60; ++trial) {
      const SimSettings settings = randomSettings(random);
      World world = randomWorld(random, settings);
      SCOPED_TRACE(trial);
      World plain = world;
      World fast = world;
      for (int step = 1; step <= 30; ++step) {
        stepWorld(plain, settings);
        stepWorldFast(fast, settings, state);
        ASSERT_TRUE(sameWorld(plain, fast)) << "step " << step;
        // Between steps, what the frame loop and the panel do: kick, drag, break a bond.
        if (step % 13 == 0) {
          for (std::int32_t i = 1; i <= plain.atomCount(); ++i) {
            const Vec2 kick{uniform(random, -5.0f, 5.0f), uniform(random, -5.0f, 5.0f)};
            plain.velocity(i) = kick;
            fast.velocity(i) = kick;
          }
        }
        if (step % 7 == 0 && plain.bondCount() > 0) {
          const std::int32_t k =
              std::uniform_int_distribution<std::int32_t>(1, plain.bondCount())(random);
          freeBond(plain, k);
          freeBond(fast, k);
        }
      }
    }
  }
}

TEST(FastStep, MatchesThePlainStepOnTheDefaultSceneAndAKickedCloud) {
  for (const int threads : threadCounts) {
    SCOPED_TRACE(threads);
    StepState state;
    useThreads(state, threads);
    World scene;
    buildDefaultScene(scene, SimSettings{});
    expectSameSteps(scene, SimSettings{}, state, 120);

    // Atoms packed closer than their size, kicked hard: bonds form on impact every step.
    Random random(7);
    World cloud;
    buildBox(cloud, SimSettings{}, -150.0f, 5.0f, 20, 15, 9, 0.0f);
    for (std::int32_t i = 1; i <= cloud.atomCount(); ++i)
      cloud.velocity(i) = {uniform(random, -5.0f, 5.0f), uniform(random, -5.0f, 5.0f)};
    SimSettings packed;
    packed.atomSpace = 6.0f;
    const int split = expectSameSteps(cloud, packed, state, 40);
    EXPECT_EQ(split > 0, threads == 2);
  }
}

// The fast step keeps its grid from one step to the next; changes made between steps (an atom
// dragged onto another, one killed, one added) must be seen by the next step.
TEST(FastStep, SeesWhatChangesBetweenSteps) {
  SimSettings settings;
  settings.atomSpace = 6.0f;  // neighbours in contact
  World lattice;
  buildBox(lattice, settings, -50.0f, 5.0f, 6, 5, 9, 0.0f);
  for (const int threads : threadCounts) {
    SCOPED_TRACE(threads);
    World world = lattice;
    World plain = world;
    StepState state;
    useThreads(state, threads);
    const auto stepBoth = [&] {
      for (int k = 0; k < 3; ++k) {
        stepWorld(plain, settings);
        stepWorldFast(world, settings, state);
      }
      ASSERT_TRUE(sameWorld(plain, world));
    };
    stepBoth();
    for (World* w : {&plain, &world}) {
      w->position(30) = w->atoms()[1].pos;  // dragged onto an atom that moves before it
      w->position(30).x += 1.0f;
      w->velocity(1) = {1.0f, 0.0f};
    }
    stepBoth();
    for (World* w : {&plain, &world})
      ASSERT_TRUE(setAtomLive(*w, 2, false));
    stepBoth();
    for (World* w : {&plain, &world}) {
      ASSERT_TRUE(setAtomLive(*w, 2, true));
      addTestAtom(*w, w->atoms()[20].pos.x + 1.0f, w->atoms()[20].pos.y, -1.0f, 0.0f);
    }
    stepBoth();
  }
}

// The plain loop's own arithmetic keeps non-finite atoms out of every contact: the offset to
// them is NaN or infinite, so the approach rate is NaN. The grid leaves them out likewise.
TEST(FastStep, AtomsAtNaNOrInfinitePositionsNeverTouchAnything) {
  for (const Vec2 odd : {Vec2{nan, 10.0f}, Vec2{inf, 10.0f}, Vec2{-inf, 10.0f}, Vec2{10.0f, -inf},
                         Vec2{inf, -inf}}) {
    World world;
    const std::int32_t still = addTestAtom(world, 10.0f, 10.0f, 0.5f, 0.5f);
    const std::int32_t strange = addTestAtom(world, odd.x, odd.y, 3.0f, -3.0f);
    const std::int32_t mover = addTestAtom(world, 10.0f, 10.0f, -2.0f, 1.0f);
    SimSettings settings;
    settings.yGravity = 0.0f;
    settings.atomSize = nan;  // even when every finite pair would count as touching
    World plain = world;
    collideAtom(plain, settings, strange);
    collideAtom(plain, settings, still);
    EXPECT_EQ(plain.bondCount(), 0);
    EXPECT_EQ(plain.atoms()[strange].vel.x, 3.0f);
    EXPECT_EQ(plain.atoms()[strange].vel.y, -3.0f);
    EXPECT_EQ(plain.atoms()[mover].vel.x, -2.0f) << "coincident atoms do not touch either";

    settings.atomSize = 4.0f;
    for (const int threads : threadCounts) {
      StepState state;
      useThreads(state, threads);
      World plainStepped = world;
      World fast = world;
      stepWorld(plainStepped, settings);
      stepWorldFast(fast, settings, state);
      EXPECT_TRUE(sameWorld(plainStepped, fast));
      EXPECT_EQ(fast.bondCount(), 0);
    }
  }
}

// Atoms beyond a wall are mirrored a long way and fast atoms cross many cells in a step; a
// cluster shot upwards leaves the grid's window, which makes it refile mid-step; far
// coordinates lie beyond the cells altogether.
TEST(FastStep, AtomsLeavingTheirCellsOrTheGridKeepEveryContact) {
  World world;
  for (int i = 0; i < 200; ++i) {
    const float x = 330.0f + static_cast<float>(i % 20) * 7.0f;
    addTestAtom(world, x, 5.0f + static_cast<float>(i / 20) * 7.0f, 40.0f, -1.0f);
    addTestAtom(world, -x, 5.0f + static_cast<float>(i / 20) * 7.0f, -40.0f, 1.0f);
  }
  for (int i = 0; i < 100; ++i) {
    addTestAtom(world, static_cast<float>(i % 10) * 6.0f,
                100.0f + static_cast<float>(i / 10) * 6.0f, static_cast<float>(i % 3), 55.0f);
  }
  for (const int threads : threadCounts) {
    SCOPED_TRACE(threads);
    SimSettings settings;
    settings.maxSpeed = 60.0f;
    StepState state;
    useThreads(state, threads);
    World grown = world;
    expectSameSteps(grown, settings, state, 30);

    for (int i = 0; i < 70; ++i) {
      addTestAtom(grown, 2e15f, 2e15f + static_cast<float>(i) * 1e9f, 0.0f, 0.0f);
      addTestAtom(grown, 1e6f, 1e6f + static_cast<float>(i) * 3.0f, 0.0f, -2.0f);
    }
    expectSameSteps(grown, settings, state, 20);
    settings.atomSize = 0.001f;
    expectSameSteps(grown, settings, state, 5);
  }
}

// Worlds built to strain the split between two threads: a kicked lattice straddling the middle,
// atoms beyond the left wall that the walls put on the other side, two packed bodies thrown at
// each other across the middle so that impacts glue pairs on both sides in one step (into freed
// bond slots first), dead atom slots, and fast atoms whose moves cross several columns.
TEST(FastStep, TwoThreadsMatchThePlainStepAcrossTheSplit) {
  Random random(18);
  SimSettings settings;
  settings.atomSpace = 6.0f;  // closer than twice the atoms' size: contacts everywhere
  settings.bondThreshold = 0.2f;
  World world;
  buildBox(world, settings, -60.0f, 5.0f, 20, 12, 9, 0.0f);
  for (std::int32_t i = 1; i <= world.atomCount(); ++i)
    world.velocity(i) = {uniform(random, -3.0f, 3.0f), uniform(random, -3.0f, 3.0f)};
  const std::int32_t thrownFrom = world.atomCount() + 1;
  buildBox(world, settings, -62.0f, 120.0f, 10, 6, 10, 0.0f);
  buildBox(world, settings, 2.0f, 120.0f, 10, 6, 11, 0.0f);
  for (std::int32_t i = thrownFrom; i <= world.atomCount(); ++i)
    world.velocity(i) = {world.atoms()[i].pos.x < 0.0f ? 4.0f : -4.0f, 0.0f};
  for (int i = 0; i < 40; ++i)
    addTestAtom(world, -700.0f - static_cast<float>(i % 8) * 5.0f,
                40.0f + static_cast<float>(i / 8) * 5.0f, -1.0f, 0.0f);
  for (std::int32_t i = 7; i <= world.atomCount(); i += 50)
    ASSERT_TRUE(setAtomLive(world, i, false));
  for (std::int32_t k = 1; k <= world.bondCount(); k += 5)
    freeBond(world, k);
  const std::int32_t bondsBefore = world.bondCount();
  for (const float maxSpeed : {5.0f, 8.0f}) {
    SCOPED_TRACE(maxSpeed);
    settings.maxSpeed = maxSpeed;
    StepState state;
    useThreads(state, 2);
    EXPECT_GE(expectSameSteps(world, settings, state, 60), 15);
  }
  // A state that times its steps runs some on one thread and some on two: the same worlds.
  StepState timed;
  timed.threads = 2;
  timed.atomsForTwoThreads = 0;
  const int timedSplit = expectSameSteps(world, settings, timed, 40);
  EXPECT_GT(timedSplit, 0);
  EXPECT_LT(timedSplit, 40);
  // The impacts glued pairs into freed slots.
  World stepped = world;
  StepState state;
  useThreads(state, 2);
  for (int step = 0; step < 10; ++step)
    stepWorldFast(stepped, settings, state);
  int reused = 0;
  for (std::int32_t k = 1; k <= bondsBefore; k += 5)
    reused += stepped.bonds()[k].alive && stepped.bonds()[k].colour == 15 ? 1 : 0;
  EXPECT_GT(reused, 0);
}

// Every live atom but `atom` within reach of it in each axis and not at its very position, in
// slot order: what a search must give.
std::vector<std::int32_t> atomsWithinReach(const World& world, std::int32_t atom, float reach) {
  std::vector<std::int32_t> expected;
  const Vec2 here = world.atoms()[atom].pos;
  for (std::int32_t j = 1; j <= world.atomCount(); ++j) {
    const Vec2 there = world.atoms()[j].pos;
    const float dx = there.x - here.x;
    const float dy = there.y - here.y;
    if (j != atom && world.atoms()[j].alive && std::fabs(dx) < reach && std::fabs(dy) < reach &&
        (dx != 0.0f || dy != 0.0f))
      expected.push_back(j);
  }
  return expected;
}

// The grid's answer is exactly the atoms within reach in each axis, in slot order, each once,
// while atoms creep within their cells, jump to other cells, leave the cells in use and turn
// NaN between searches (for good, as in a step), on a dense window, on a hashed one, and on a
// hashed one so small that cells around an atom share buckets.
TEST(FastStep, GridOffersExactlyTheAtomsWithinReachInSlotOrder) {
  std::mt19937 random(99);
  std::uniform_real_distribution<float> near(-40.0f, 40.0f);
  std::uniform_real_distribution<float> step(-3.0f, 3.0f);
  std::uniform_int_distribution<int> pick(0, 9);
  for (const auto& [far, count] : {std::pair{0.0f, 300}, {1.0e7f, 300}, {1.0e7f, 24}}) {
    World world;
    for (int i = 0; i < count; ++i)
      addTestAtom(world, near(random), near(random), 0.0f, 0.0f);
    addTestAtom(world, far, far, 0.0f, 0.0f);  // far away: the cells are hashed
    addTestAtom(world, 3.0e15f, 0.0f, 0.0f, 0.0f);
    ContactGrid grid;
    const float reach = 6.0f;
    ASSERT_TRUE(buildContactGrid(grid, world, reach));
    for (int round = 0; round < 20; ++round) {
      for (std::int32_t i = 1; i <= world.atomCount(); ++i) {
        const auto found = findContactCandidates(grid, world, i);
        ASSERT_EQ(std::vector<std::int32_t>(found.begin(), found.end()),
                  atomsWithinReach(world, i, reach))
            << "atom " << i << " round " << round;
      }
      for (std::int32_t i = 1; i <= count; ++i) {
        Vec2& pos = world.position(i);
        if (std::isnan(pos.x)) continue;  // as in a step: nothing brings a NaN atom back
        const int kind = pick(random);
        if (kind == 0) {
          pos = {near(random), near(random)};  // a jump, maybe to another cell
        } else if (kind == 1 && round == 10) {
          pos.y += 5000.0f;  // out of the cells in use
        } else if (kind == 2 && round == 15) {
          pos.x = std::numeric_limits<float>::quiet_NaN();
        } else {
          pos.x += step(random);
          pos.y += step(random);
        }
        if (!noteMove(grid, world, i)) {
          ASSERT_TRUE(buildContactGrid(grid, world, reach));
        }
      }
    }
  }
}

// Two atoms in reach of each other, one just inside the cells in use and one just beyond them
// (kept on the loose list), each find the other, at each of the four edges and at a corner.
TEST(FastStep, AtomsEitherSideOfTheCellsEdgeFindEachOther) {
  World world;
  for (int i = 0; i < 50; ++i)
    addTestAtom(world, static_cast<float>(i % 10), static_cast<float>(i / 10), 0.0f, 0.0f);
  const float reach = 6.0f;
  ContactGrid grid;
  ASSERT_TRUE(buildContactGrid(grid, world, reach));
  ASSERT_TRUE(grid.dense);
  const double cell = 1.0 / grid.inverseCell;
  const auto left = static_cast<float>(static_cast<double>(grid.columnLow) * cell);
  const auto right = static_cast<float>(static_cast<double>(grid.columnHigh + 1) * cell);
  const auto bottom = static_cast<float>(static_cast<double>(grid.rowLow) * cell);
  const auto top = static_cast<float>(static_cast<double>(grid.rowHigh + 1) * cell);
  const Vec2 pairs[][2] = {{{right - 1.0f, 0.0f}, {right + 1.0f, 0.0f}},
                           {{left + 1.0f, 0.0f}, {left - 1.0f, 0.0f}},
                           {{0.0f, top - 1.0f}, {0.0f, top + 1.0f}},
                           {{0.0f, bottom + 1.0f}, {0.0f, bottom - 1.0f}},
                           {{right - 1.0f, top - 1.0f}, {right + 1.0f, top + 1.0f}}};
  for (const auto& [inside, outside] : pairs) {
    world.position(1) = inside;
    ASSERT_TRUE(noteMove(grid, world, 1));
    world.position(2) = outside;
    ASSERT_TRUE(noteMove(grid, world, 2));
    for (const std::int32_t atom : {1, 2}) {
      const auto found = findContactCandidates(grid, world, atom);
      EXPECT_EQ(std::vector<std::int32_t>(found.begin(), found.end()),
                std::vector<std::int32_t>{3 - atom})
          << "atom " << atom << " at " << world.atoms()[atom].pos.x << ", "
          << world.atoms()[atom].pos.y;
    }
  }
}

// Where floats lie farther apart than a cell (far out, or at a tiny reach) the grid keys a
// coordinate by its exact value: rows of atoms at one far height and columns at one far x, a
// pile at one point, atoms far out on both axes, and tiny atoms crossing between cell indices
// and exact keys. Every atom is filed in a cell, none on the loose list that every search reads.
TEST(FastStep, GridKeysFarAndTinyCoordinatesExactly) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> jitter(-2.0f, 2.0f);
  for (const float reach : {8.0f, 2e-12f}) {
    const float far = reach > 1.0f ? 1e15f : 5.0f;  // beyond 2^40 cells either way
    World world;
    for (int i = 0; i < 60; ++i) {
      const float along = static_cast<float>(i % 10) * reach * 0.4f;  // pairs at one point
      const float high = std::nextafter(far, 1e38f) * static_cast<float>(1 + i / 20);
      addTestAtom(world, along, high);   // a row at one exact height
      addTestAtom(world, -high, along);  // a column at one exact x
      addTestAtom(world, far, far);      // a pile far out on both axes
      addTestAtom(world, reach * jitter(random), reach * jitter(random));  // near the origin
    }
    ContactGrid grid;
    ASSERT_TRUE(buildContactGrid(grid, world, reach));
    EXPECT_EQ(grid.looseAtoms, 0);
    for (int round = 0; round < 4; ++round) {
      for (std::int32_t i = 1; i <= world.atomCount(); ++i) {
        const auto found = findContactCandidates(grid, world, i);
        ASSERT_EQ(std::vector<std::int32_t>(found.begin(), found.end()),
                  atomsWithinReach(world, i, reach))
            << "atom " << i << " round " << round;
      }
      // Rows and columns shift along themselves; atoms near the origin go far out along x and
      // back; the far pile comes near the origin (still one point) and goes back.
      const float in = std::array{1e-20f, 1.0f, 1e20f, 1.0f}[round];
      const float out = std::array{1.0f, 1e13f, 1.0f, 1e-13f}[round];
      for (std::int32_t i = 1; i <= world.atomCount(); ++i) {
        Vec2& pos = world.position(i);
        if (i % 4 == 1) pos.x += reach * jitter(random);
        if (i % 4 == 2) pos.y += reach * jitter(random);
        if (i % 4 == 3) pos = {pos.x * in, pos.y * in};
        if (i % 4 == 0) pos.x *= out;
        ASSERT_TRUE(noteMove(grid, world, i));
      }
    }
  }
}

// The same worlds, and atoms of tiny and huge sizes, stepped: the fast step meets every contact
// the plain one does (impacts glue rows and piles together).
TEST(FastStep, MatchesThePlainStepFarOutAndForAnyAtomSize) {
  for (const int threads : threadCounts) {
    SCOPED_TRACE(threads);
    Random random(11);
    StepState state;
    useThreads(state, threads);
    for (const float size : {4.0f, 1e-12f, 1e-44f, 5000.0f, 1e30f}) {
      SimSettings settings;
      settings.atomSize = size;
      settings.yGravity = 0.0f;
      World world;
      const float far = size > 1.0f ? std::min(1e15f * size, 3e38f) : 1e13f * size;
      for (int i = 0; i < 80; ++i) {
        const float along = static_cast<float>(i % 20) * size * 0.7f;
        const float kick = uniform(random, -1.0f, 1.0f) * size;
        addTestAtom(world, along, far * static_cast<float>(1 + i / 40), kick, 0.0f);
        addTestAtom(world, far, along, 0.0f, kick);
        addTestAtom(world, far, far, kick, kick);
        addTestAtom(world, uniform(random, -5.0f, 5.0f) * size, uniform(random, 0.0f, 5.0f) * size,
                    kick, -kick);
      }
      SCOPED_TRACE(size);
      expectSameSteps(world, settings, state, 12);
    }
  }
}

// A step whose grid cannot grow its buffers (from any one growth on, the first build's or the
// rebuild after atoms shoot out of a dense window) meets its contacts through the all-pairs
// loop, gives the plain step's world and says so; a later step with memory to spare uses the
// grid again.
TEST(FastStep, StepWithoutMemoryForTheGridMatchesThePlainStep) {
  SimSettings settings;
  settings.maxSpeed = 1000.0f;
  World world;
  for (int i = 0; i < 900; ++i)  // packed closer than their size: contacts everywhere
    addTestAtom(world, static_cast<float>(i % 30) * 2.0f, 5.0f + static_cast<float>(i / 30) * 2.0f);
  for (int i = 0; i < 100; ++i)
    world.velocity(1 + 9 * i) = {0.0f, 600.0f};
  StepState ample;
  World fast = world;
  stepWorldFast(fast, settings, ample);
  ASSERT_FALSE(ample.contactsWithoutGrid);
  ASSERT_FALSE(ample.grid.dense) << "the shot atoms made the step rebuild the grid hashed";
  const std::int64_t growths = ample.grid.faults.growths;
  for (std::int64_t failFrom = 1; failFrom <= growths + 1; ++failFrom) {
    SCOPED_TRACE(failFrom);
    StepState state;
    state.grid.faults.failFrom = failFrom;
    World plain = world;
    fast = world;
    for (int step = 0; step < 2; ++step) {
      const std::int64_t before = state.grid.faults.growths;
      stepWorld(plain, settings);
      stepWorldFast(fast, settings, state);
      ASSERT_TRUE(sameWorld(plain, fast)) << "step " << step;
      // Every growth from failFrom on fails: some did in this step when the count has reached it.
      const std::int64_t after = state.grid.faults.growths;
      EXPECT_EQ(state.contactsWithoutGrid, after > before && after >= failFrom) << "step " << step;
      if (step == 0) {
        EXPECT_EQ(state.contactsWithoutGrid, failFrom <= growths);
      }
    }
    state.grid.faults.failFrom = 0;
    stepWorld(plain, settings);
    stepWorldFast(fast, settings, state);
    EXPECT_TRUE(sameWorld(plain, fast));
    EXPECT_FALSE(state.contactsWithoutGrid);
  }
}

}  // namespace
}  // namespace squish::sim
