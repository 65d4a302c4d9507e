// Running out of memory while the world grows: the step goes on without the impact bonds it
// cannot make, builders build whole bodies or nothing, and the world stays sound throughout.
#include <gtest/gtest.h>

#include "sim/builders.h"
#include "sim/fast_step.h"
#include "sim/step.h"
#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

using testing::sameWorld;

// The world's invariants hold, and every live bond joins atoms already made.
void expectSound(const World& world) {
  ASSERT_EQ(validateWorld(world), "");
  for (std::int32_t k = 1; k <= world.bondCount(); ++k) {
    const Bond& bond = world.bonds()[k];
    if (!bond.alive) continue;
    ASSERT_TRUE(bond.atomA <= world.atomCount() && bond.atomB <= world.atomCount()) << k;
  }
}

// Atoms packed so tightly that every contact glues a new bond: thousands a step.
World gluingWorld(SimSettings& settings) {
  settings.bondThreshold = -1e30f;
  settings.atomSpace = 0.5f;
  settings.breakThreshold = 1e30f;
  World world;
  buildBox(world, settings, -5.0f, 5.0f, 12, 12, 9, 0.0f);
  return world;
}

TEST(Shortage, StepsGoOnWithoutTheImpactBondsMemoryCannotHold) {
  SimSettings settings;
  const World start = gluingWorld(settings);
  for (const std::int64_t failAfter : {0, 1, 2, 5}) {
    SCOPED_TRACE(failAfter);
    World plain = start;
    plain.faults().failFrom = plain.faults().growths + failAfter + 1;
    World fast = plain;
    StepState state;
    std::int64_t growthsAfterShortage = -1;
    for (int step = 0; step < 6; ++step) {
      stepWorld(plain, settings);
      stepWorldFast(fast, settings, state);
      ASSERT_TRUE(sameWorld(plain, fast)) << "step " << step;
      expectSound(fast);
      // Once short, the step asks for no memory again.
      if (growthsAfterShortage >= 0) {
        EXPECT_EQ(fast.faults().growths, growthsAfterShortage);
      }
      if (fast.impactBondShortage() != BondShortage::none)
        growthsAfterShortage = fast.faults().growths;
    }
    EXPECT_EQ(plain.impactBondShortage(), BondShortage::memory);
    clearWorld(plain);
    EXPECT_EQ(plain.impactBondShortage(), BondShortage::none);
  }
}

TEST(Shortage, BuildersBuildWholeBodiesOrNothing) {
  bool builtNothing = false;
  bool builtWhole = false;
  for (std::int64_t failAfter = 0; failAfter < 12; ++failAfter) {
    World world;
    buildBox(world, SimSettings{}, 0.0f, 0.0f, 3, 3, 1, 0.0f);
    const World before = world;
    world.faults().failFrom = world.faults().growths + failAfter + 1;
    buildBox(world, SimSettings{}, 100.0f, 0.0f, 20, 20, 2, 0.0f);
    buildTriangle(world, SimSettings{}, -100.0f, 0.0f, 12, 3, 0.0f);
    if (world.atomCount() == before.atomCount()) {
      builtNothing = true;
      EXPECT_TRUE(sameWorld(world, before));
    } else {
      builtWhole = true;
      EXPECT_TRUE(world.atomCount() == before.atomCount() + 400 ||
                  world.atomCount() == before.atomCount() + 400 + 78);
    }
    expectSound(world);
  }
  EXPECT_TRUE(builtNothing);
  EXPECT_TRUE(builtWhole);
}

}  // namespace
}  // namespace squish::sim
