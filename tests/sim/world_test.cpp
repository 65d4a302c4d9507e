// The world store: slot allocation, reuse and growth, clearing, picking and the bonded-pair test.
#include "sim/world.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "sim/builders.h"
#include "sim/step.h"
#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

using testing::addTestAtom;
using testing::addTestBond;

TEST(WorldStore, AllocationHandsOutSlotsInOrderAndRestartsAfterClear) {
  World world;
  EXPECT_EQ(addTestAtom(world, 0, 0), 1);
  EXPECT_EQ(addTestAtom(world, 0, 0), 2);
  EXPECT_EQ(addTestBond(world, 1, 2, 10.0f), 1);
  EXPECT_EQ(world.atomCount(), 2);

  // A reserved slot reads as free until it is set, so it is handed out again.
  EXPECT_EQ(allocateAtom(world), 3);
  EXPECT_EQ(allocateAtom(world), 3);
  EXPECT_FALSE(world.atoms()[3].alive);

  clearWorld(world);
  EXPECT_EQ(world.atomCount(), 0);
  EXPECT_EQ(world.bondCount(), 0);
  EXPECT_EQ(allocateAtom(world), 1);
  EXPECT_EQ(allocateBond(world), 1);
}

TEST(WorldStore, BrokenBondSlotIsReusedWithoutRaisingTheCount) {
  World world;
  addTestAtom(world, 0, 0);
  addTestAtom(world, 10, 0);
  for (int k = 0; k < 10; ++k)
    addTestBond(world, 1, 2, 10.0f);
  freeBond(world, 3);
  EXPECT_EQ(allocateBond(world), 3);
  EXPECT_EQ(world.bondCount(), 10);
}

TEST(WorldStore, AllocatingAfterASlotSkipsOnlyTheSlotsUpToIt) {
  World world;
  addTestAtom(world, 0, 0);
  addTestAtom(world, 10, 0);
  for (int k = 0; k < 6; ++k)
    addTestBond(world, 1, 2, 10.0f);
  freeBond(world, 2);
  freeBond(world, 5);
  EXPECT_EQ(allocateBondAfter(world, 0), 2);
  EXPECT_EQ(allocateBondAfter(world, 2), 5);
  EXPECT_EQ(allocateBondAfter(world, 5), 7);
  EXPECT_EQ(allocateBondAfter(world, 2'000'000'000), 8) << "past the count: the next new slot";
  EXPECT_EQ(world.bondCount(), 8);
  EXPECT_EQ(allocateAtomAfter(world, -5), 3);
}

TEST(WorldStore, TablesDoubleWithZeroFilledSlotsAndClearKeepsCapacity) {
  World world;
  for (int i = 1; i <= 16; ++i)
    EXPECT_EQ(addTestAtom(world, 1.0f, 2.0f, 3.0f, 4.0f), i);
  EXPECT_EQ(world.atomCapacity(), 16);
  EXPECT_EQ(allocateAtom(world), 17);
  EXPECT_EQ(world.atomCapacity(), 32);
  ASSERT_EQ(world.atoms().size(), 33u);
  for (int i = 17; i <= 32; ++i) {
    const Atom& atom = world.atoms()[i];
    EXPECT_EQ(atom.alive, 0);
    EXPECT_EQ(atom.pos.x, 0.0f);
    EXPECT_EQ(atom.pos.y, 0.0f);
    EXPECT_EQ(atom.vel.x, 0.0f);
    EXPECT_EQ(atom.vel.y, 0.0f);
    EXPECT_EQ(atom.placed, 0);
    EXPECT_EQ(atom.colour, 0);
  }
  EXPECT_EQ(world.atoms()[16].pos.x, 1.0f) << "slots below the old capacity keep their contents";

  for (int k = 1; k <= 17; ++k)
    EXPECT_EQ(addTestBond(world, 1, 2, 10.0f), k);
  EXPECT_EQ(world.bondCapacity(), 32);
  for (int k = 18; k <= 32; ++k) {
    EXPECT_EQ(world.bonds()[k].alive, 0);
    EXPECT_EQ(world.bonds()[k].atomA, 0);
    EXPECT_EQ(world.bonds()[k].restLength, 0.0f);
  }

  clearWorld(world);
  EXPECT_EQ(world.atomCapacity(), 32);
  EXPECT_EQ(world.bondCapacity(), 32);
  EXPECT_EQ(world.atoms()[16].pos.x, 1.0f) << "clearing keeps the old records";
  EXPECT_EQ(allocateAtom(world), 1);
}

TEST(WorldStore, SettingASlotNotHandedOutChangesNothing) {
  World world;
  setAtom(world, 0, 5.0f, 5.0f, 0.0f, 0.0f, 3);
  setAtom(world, 1, 5.0f, 5.0f, 0.0f, 0.0f, 3);
  setAtom(world, -4, 5.0f, 5.0f, 0.0f, 0.0f, 3);
  EXPECT_FALSE(world.atoms()[0].alive);
  EXPECT_FALSE(world.atoms()[1].alive) << "slot 1 lies above the count";

  const std::int32_t a = addTestAtom(world, 0, 0);
  setBond(world, 1, a, a, 1.0f, 1.0f, 2);
  EXPECT_FALSE(world.bonds()[1].alive) << "slot 1 lies above the count";
  ASSERT_EQ(allocateBond(world), 1);
  setBond(world, 0, a, a, 1.0f, 1.0f, 2);
  setBond(world, 1, a, 17, 1.0f, 1.0f, 2);
  setBond(world, 1, -1, a, 1.0f, 1.0f, 2);
  EXPECT_FALSE(world.bonds()[0].alive);
  EXPECT_FALSE(world.bonds()[1].alive) << "a bond naming an atom outside the table is refused";

  setBond(world, 1, a, 16, 7.0f, 3.0f, 9);
  const Bond& bond = world.bonds()[1];
  EXPECT_TRUE(bond.alive);
  EXPECT_EQ(bond.atomA, a);
  EXPECT_EQ(bond.atomB, 16);
  EXPECT_EQ(bond.restLength, 7.0f) << "rest length comes before spacing in the call";
  EXPECT_EQ(bond.spacing, 3.0f);
  EXPECT_EQ(bond.colour, 9);
}

TEST(WorldStore, PickAtomFindsTheLowestLiveAtomInsideAStrictSquare) {
  World world;
  SimSettings settings;
  addTestAtom(world, 100.0f, 100.0f);
  addTestAtom(world, 105.0f, 100.0f);
  EXPECT_EQ(pickAtom(world, settings, 103.0f, 100.0f), 1);
  EXPECT_EQ(pickAtom(world, settings, 113.0f, 100.0f), 2);
  EXPECT_EQ(pickAtom(world, settings, 115.0f, 100.0f), 0) << "exactly atomSpace away in x";
  EXPECT_EQ(pickAtom(world, settings, 100.0f, 90.0f), 0) << "exactly atomSpace away in y";
  EXPECT_EQ(pickAtom(world, settings, 91.0f, 109.0f), 1) << "a square, not a circle";

  // Slot 1 reserved again keeps its record but is not live.
  clearWorld(world);
  ASSERT_EQ(allocateAtom(world), 1);
  setAtom(world, allocateAtomAfter(world, 1), 105.0f, 100.0f, 0.0f, 0.0f, 1);
  EXPECT_EQ(pickAtom(world, settings, 103.0f, 100.0f), 2);
  settings.atomSpace = 1.0f;
  EXPECT_EQ(pickAtom(world, settings, 103.0f, 100.0f), 0);
  clearWorld(world);
  settings.atomSpace = 10.0f;
  EXPECT_EQ(pickAtom(world, settings, 105.0f, 100.0f), 0) << "slots above the count are not read";
}

TEST(WorldStore, BondExistsCountsOnlyLiveBondsBelowTheCount) {
  World world;
  EXPECT_TRUE(bondExists(world, 4, 4)) << "an atom is bonded to itself";
  for (int i = 0; i < 3; ++i)
    addTestAtom(world, 0, 0);
  addTestBond(world, 1, 2, 10.0f);
  addTestBond(world, 2, 3, 10.0f);
  addTestBond(world, 1, 3, 10.0f);
  EXPECT_TRUE(bondExists(world, 1, 2));
  EXPECT_TRUE(bondExists(world, 2, 1));
  EXPECT_TRUE(bondExists(world, 3, 2));

  freeBond(world, 3);
  EXPECT_FALSE(bondExists(world, 1, 3)) << "a broken bond does not count";

  clearWorld(world);
  addTestBond(world, 1, 3, 10.0f);
  EXPECT_TRUE(bondExists(world, 1, 3));
  EXPECT_FALSE(bondExists(world, 2, 3)) << "slot 2 still holds a live 2-3 but lies above the count";
}

// A world's tables as a file would hold them.
struct Tables {
  std::vector<Atom> atoms;
  std::vector<Bond> bonds;
};

Tables tablesOf(const World& world) {
  return {{world.atoms().begin(), world.atoms().end()},
          {world.bonds().begin(), world.bonds().end()}};
}

TEST(WorldInvariants, HoldThroughEveryChangeAndRestoringRefusesTablesThatBreakThem) {
  SimSettings settings;
  settings.bondThreshold = -1.0f;  // every contact glues
  World world;
  EXPECT_EQ(validateWorld(world), "");
  buildBox(world, settings, 0.0f, 0.0f, 6, 5, 9, 0.3f);
  buildTriangle(world, settings, 100.0f, 0.0f, 4, 3, 0.0f);
  freeBond(world, 7);
  allocateAtom(world);  // reserved, never filled
  for (int step = 0; step < 20; ++step)
    stepWorld(world, settings);
  EXPECT_EQ(validateWorld(world), "");

  // Tables that hold go in whole: the same world, whose indexes answer as the original's.
  World restored;
  Tables tables = tablesOf(world);
  ASSERT_TRUE(restoreWorld(restored, tables.atoms, tables.bonds, world.atomCount(),
                           world.bondCount(), BondShortage::memory));
  EXPECT_TRUE(testing::sameWorld(restored, world));
  EXPECT_EQ(restored.impactBondShortage(), BondShortage::memory);
  EXPECT_EQ(validateWorld(restored), "");
  for (std::int32_t a = 1; a <= 12; ++a) {
    for (std::int32_t b = 1; b <= 12; ++b)
      EXPECT_EQ(bondExists(restored, a, b), bondExists(world, a, b)) << a << "-" << b;
  }
  EXPECT_EQ(allocateBond(restored), allocateBond(world));
  EXPECT_EQ(allocateAtom(restored), world.atomCount());

  // Tables that break an invariant, or memory that runs out, leave the world as it was.
  const World before = restored;
  const auto refused = [&](Tables broken, std::int32_t atomCount, std::int32_t bondCount,
                           BondShortage shortage = BondShortage::none) {
    return !restoreWorld(restored, std::move(broken.atoms), std::move(broken.bonds), atomCount,
                         bondCount, shortage) &&
           testing::sameWorld(restored, before) && validateWorld(restored).empty();
  };
  const std::int32_t atoms = world.atomCount();
  const std::int32_t bonds = world.bondCount();
  EXPECT_TRUE(refused({{Atom{}}, tables.bonds}, 0, bonds)) << "no atom slot at all";
  EXPECT_TRUE(refused(tables, world.atomCapacity() + 1, bonds)) << "count past the capacity";
  EXPECT_TRUE(refused(tables, -1, bonds));
  EXPECT_TRUE(refused(tables, atoms, world.bondCapacity() + 1));
  EXPECT_TRUE(refused(tables, atoms, bonds, static_cast<BondShortage>(3)));
  Tables outside = tables;
  outside.bonds[bonds].alive = true;
  outside.bonds[bonds].atomB = world.atomCapacity() + 1;
  EXPECT_TRUE(refused(outside, atoms, bonds)) << "a live bond naming an atom past the table";
  outside.bonds[bonds].atomB = 0;
  EXPECT_TRUE(refused(outside, atoms, bonds));
  EXPECT_FALSE(refused(outside, atoms, bonds - 1)) << "a slot above the count is not read";
  restored = before;
  restored.faults().failFrom = restored.faults().growths + 1;
  EXPECT_TRUE(refused(tables, atoms, bonds)) << "no memory for the indexes";
}

TEST(VectorHelpers, ClampCapsEachComponentAndNegativeLimitsFlipToTheirOpposite) {
  Vec2 v{7.0f, -9.0f};
  vecClamp(v, 5.0f);
  EXPECT_EQ(v.x, 5.0f);
  EXPECT_EQ(v.y, -5.0f);
  Vec2 w{-100.0f, 100.0f};
  vecClamp(w, -3.0f);
  EXPECT_EQ(w.x, 3.0f);
  EXPECT_EQ(w.y, 3.0f);
}

}  // namespace
}  // namespace squish::sim
