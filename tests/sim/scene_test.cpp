// Whole scenes: the default scene's size, bodies refused by the world's limits or bad sizes
// (which must change nothing and return at once), and bit-for-bit repeatable steps.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

#include "sim/builders.h"
#include "sim/default_scene.h"
#include "sim/step.h"
#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

using testing::sameWorld;

TEST(DefaultScene, HasEightBoxesAndATriangleWhateverTheSettings) {
  World world;
  buildDefaultScene(world, SimSettings{});
  EXPECT_EQ(world.atomCount(), 237);
  EXPECT_EQ(world.bondCount(), 639);
  EXPECT_EQ(world.atoms()[1].colour, 14);
  EXPECT_EQ(world.atoms()[237].colour, 7);
  // The tenth atom is the top of the first 2 x 5 box, turned 0.1 radians about (100, 150).
  Vec2 top{10.0f, 40.0f};
  vecRotate(top, 0.1f);
  EXPECT_FLOAT_EQ(world.atoms()[10].pos.x, 100.0f + top.x);
  EXPECT_FLOAT_EQ(world.atoms()[10].pos.y, 150.0f + top.y);

  SimSettings wide;
  wide.atomSpace = 25.0f;
  World other;
  buildDefaultScene(other, wide);
  EXPECT_EQ(other.atomCount(), 237);
  EXPECT_EQ(other.bondCount(), 639);
}

TEST(BodyLimits, EmptyAndNegativeSizesBuildNothing) {
  World world;
  buildDefaultScene(world, SimSettings{});
  const World before = world;
  const std::array<std::uint8_t, 8> image{0, 0, 0, 0, 1, 1, 1, 1};
  buildBox(world, SimSettings{}, 0, 0, 0, 5, 1, 0);
  buildBox(world, SimSettings{}, 0, 0, 5, -1, 1, 0);
  buildTriangle(world, SimSettings{}, 0, 0, 0, 1, 0);
  buildTriangle(world, SimSettings{}, 0, 0, -7, 1, 0);
  buildBitmap(world, SimSettings{}, image, 0, 4, 0, 0, 1, 0);
  buildBitmap(world, SimSettings{}, image, 2, -2, 0, 0, 1, 0);
  EXPECT_TRUE(sameWorld(world, before));
}

TEST(BodyLimits, HugeBodiesAreRefusedBeforeAnythingIsAllocated) {
  constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
  World world;
  buildDefaultScene(world, SimSettings{});
  const World before = world;
  buildBox(world, SimSettings{}, 0, 0, 1'000'000'000, 1'000'000'000, 1, 0);
  buildBox(world, SimSettings{}, 0, 0, most, most, 1, 0);
  buildBox(world, SimSettings{}, 0, 0, 4'000'001, 1, 1, 0);
  buildTriangle(world, SimSettings{}, 0, 0, most, 1, 0);
  buildTriangle(world, SimSettings{}, 0, 0, 3000, 1, 0);

  bool loaderCalled = false;
  const ImageFileLoader loader = [&](const std::string&, std::int32_t, std::int32_t,
                                     std::vector<std::uint8_t>&) { loaderCalled = true; };
  buildBitmapFromFile(world, SimSettings{}, loader, "big.bmp", most, most, 0, 0, 1, 0);
  buildBitmapFromFile(world, SimSettings{}, loader, "big.bmp", 8193, 8192, 0, 0, 1, 0);
  buildBitmapFromFile(world, SimSettings{}, loader, "big.bmp", 0, 10, 0, 0, 1, 0);
  EXPECT_FALSE(loaderCalled);
  EXPECT_TRUE(sameWorld(world, before));
}

TEST(BodyLimits, BodyThatWouldPassTheAtomLimitBuildsNothingButOneThatFitsIsWhole) {
  // A world of maxAtoms slots, all free but the first, up to five short of the limit.
  std::vector<Atom> atoms(maxAtoms + 1);
  atoms[1].alive = true;
  atoms[1].placed = true;
  World world;
  ASSERT_TRUE(restoreWorld(world, std::move(atoms), std::vector<Bond>(initialCapacity + 1),
                           maxAtoms - 5, 0, BondShortage::none));
  buildBox(world, SimSettings{}, 0, 0, 3, 2, 1, 0);
  EXPECT_EQ(world.atomCount(), maxAtoms - 5);
  EXPECT_EQ(world.bondCount(), 0);
  EXPECT_FALSE(world.atoms()[2].alive);

  // Five atoms fit; they take the first free slots.
  buildBox(world, SimSettings{}, 0, 0, 5, 1, 1, 0);
  EXPECT_EQ(world.atomCount(), maxAtoms - 5);
  EXPECT_EQ(world.bondCount(), 4);
  EXPECT_TRUE(world.atoms()[6].alive);
  EXPECT_EQ(world.bonds()[4].atomB, 6);
}

TEST(BodyLimits, ImageShorterThanItsDeclaredSizeBuildsNothing) {
  const std::array<std::uint8_t, 12> image{0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1};
  World world;
  buildBitmap(world, SimSettings{}, image, 3, 3, 0, 0, 1, 0);
  buildBitmap(world, SimSettings{}, std::span(image).first(3), 1, 1, 0, 0, 1, 0);
  EXPECT_EQ(world.atomCount(), 0);
  buildBitmap(world, SimSettings{}, image, 4, 2, 0, 0, 1, 0);
  EXPECT_EQ(world.atomCount(), 8);
}

// FNV-1a over the fields of slots 1..count of both tables, in field order, each 4 bytes wide,
// the marks as -1 for true and 0 for false.
std::uint64_t fingerprint(const World& world) {
  std::uint64_t hash = 14695981039346656037ull;
  const auto mix = [&](auto value) {
    static_assert(sizeof value == 4);
    unsigned char bytes[4];
    std::memcpy(bytes, &value, 4);
    for (const unsigned char byte : bytes)
      hash = (hash ^ byte) * 1099511628211ull;
  };
  const auto mark = [](bool value) { return value ? std::int32_t{-1} : std::int32_t{0}; };
  for (const Atom& atom : world.atoms().subspan(1, static_cast<std::size_t>(world.atomCount()))) {
    mix(mark(atom.alive));
    for (const float field : {atom.pos.x, atom.pos.y, atom.vel.x, atom.vel.y})
      mix(field);
    for (const std::int32_t field : {mark(atom.placed), atom.colour})
      mix(field);
  }
  for (const Bond& bond : world.bonds().subspan(1, static_cast<std::size_t>(world.bondCount()))) {
    for (const std::int32_t field : {mark(bond.alive), bond.atomA, bond.atomB})
      mix(field);
    for (const float field : {bond.spacing, bond.restLength})
      mix(field);
    mix(bond.colour);
  }
  return hash;
}

TEST(Determinism, SameSceneAndSettingsGiveTheSameWorldBitForBit) {
  World first;
  World second;
  buildDefaultScene(first, SimSettings{});
  buildDefaultScene(second, SimSettings{});
  for (int step = 0; step < 200; ++step) {
    stepWorld(first, SimSettings{});
    stepWorld(second, SimSettings{});
  }
  EXPECT_TRUE(sameWorld(first, second));
  // Pinned from a sanitized debug build and an optimised one: the value any build, and any
  // faster step, must reproduce.
  EXPECT_EQ(fingerprint(first), 4696243121017079604u);
}

}  // namespace
}  // namespace squish::sim
