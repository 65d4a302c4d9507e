// The world's indexes against plain scans: the lowest free slot and the bonded-pair test
// through random runs of allocations, fills, breaks, reuse and clears; the free-slot bitset
// across its levels.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>

#include "sim/free_slots.h"
#include "sim/world.h"
#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

using testing::addTestAtom;
using testing::addTestBond;

std::int32_t scannedFreeBond(const World& world) {
  for (std::int32_t k = 1; k <= world.bondCount(); ++k) {
    if (!world.bonds()[k].alive) return k;
  }
  return world.bondCount() + 1;
}

bool scannedBondExists(const World& world, std::int32_t a, std::int32_t b) {
  if (a == b) return true;
  for (std::int32_t k = 1; k <= world.bondCount(); ++k) {
    const Bond& bond = world.bonds()[k];
    if (bond.alive &&
        ((bond.atomA == a && bond.atomB == b) || (bond.atomA == b && bond.atomB == a)))
      return true;
  }
  return false;
}

TEST(WorldIndex, AllocationAndBondExistsAgreeWithPlainScans) {
  std::mt19937 random(99);
  World world;
  for (int i = 0; i < 30; ++i)
    addTestAtom(world, 0.0f, 0.0f);
  const auto atom = [&] { return std::uniform_int_distribution<std::int32_t>(1, 30)(random); };
  for (int op = 0; op < 20000; ++op) {
    const int what = std::uniform_int_distribution<int>(0, 9)(random);
    if (what < 5) {
      const std::int32_t expected = scannedFreeBond(world);
      const std::int32_t slot = allocateBond(world);
      ASSERT_EQ(slot, expected) << "operation " << op;
      setBond(world, slot, atom(), atom(), 10.0f, 10.0f, 1);
    } else if (what < 8 && world.bondCount() > 0) {
      freeBond(world, std::uniform_int_distribution<std::int32_t>(1, world.bondCount())(random));
    } else if (what == 8 && op % 50 == 0) {
      clearWorld(world);
      for (int i = 0; i < 30; ++i)
        addTestAtom(world, 0.0f, 0.0f);
    }
    const std::int32_t a = atom();
    const std::int32_t b = atom();
    ASSERT_EQ(bondExists(world, a, b), scannedBondExists(world, a, b)) << "operation " << op;
  }
}

TEST(WorldIndex, ReservedSlotIsHandedOutAgainUntilFilled) {
  World world;
  addTestAtom(world, 0.0f, 0.0f);
  EXPECT_EQ(allocateAtom(world), 2);
  EXPECT_EQ(allocateAtom(world), 2) << "a reserved slot still reads as free";
  EXPECT_EQ(world.atomCount(), 2);
  setAtom(world, 2, 0.0f, 0.0f, 0.0f, 0.0f, 1);
  EXPECT_EQ(allocateAtom(world), 3);
}

TEST(FreeSlots, LowestMarkedSlotAcrossEveryLevel) {
  std::mt19937 random(5);
  FreeSlots free;
  std::set<std::int32_t> model;
  AllocationFaults faults;
  std::int32_t covered = 0;
  for (int op = 0; op < 30000; ++op) {
    const int what = std::uniform_int_distribution<int>(0, 9)(random);
    if (what == 0) {
      covered += std::uniform_int_distribution<std::int32_t>(0, 40000)(random);
      // Room made ahead of covering must change no answer.
      if (op % 2 == 0) {
        ASSERT_TRUE(free.reserve(covered + 70000, faults));
      }
      ASSERT_TRUE(free.cover(covered, faults));
    } else if (what == 1 && op % 1000 == 0) {
      free.reset();
      model.clear();
      covered = 0;
    } else if (covered > 0) {
      const std::int32_t slot = std::uniform_int_distribution<std::int32_t>(1, covered)(random);
      if (what < 6) {
        free.markFree(slot);
        model.insert(slot);
      } else {
        free.markTaken(slot);
        model.erase(slot);
      }
    }
    const std::int32_t from = std::uniform_int_distribution<std::int32_t>(-2, covered + 2)(random);
    const auto expected = model.lower_bound(std::max(from, 1));
    ASSERT_EQ(free.firstFreeFrom(from), expected == model.end() ? 0 : *expected) << op;
  }
  free.markFree(covered + 1);
  EXPECT_EQ(free.firstFreeFrom(covered + 1), 0) << "slots beyond the covered range are ignored";
}

}  // namespace
}  // namespace squish::sim
