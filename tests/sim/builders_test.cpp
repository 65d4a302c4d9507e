// The body builders: atom and bond order, positions and rest lengths of boxes, triangles and
// bitmaps, the turn about the anchor, and bodies that build nothing.
#include "sim/builders.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "tests/sim/test_world.h"

namespace squish::sim {
namespace {

struct ExpectedBond {
  std::int32_t atomA;
  std::int32_t atomB;
  float restLength;
};

void expectAtomAt(const World& world, std::int32_t slot, float x, float y) {
  SCOPED_TRACE(::testing::Message() << "atom " << slot);
  const Atom& atom = world.atoms()[slot];
  EXPECT_TRUE(atom.alive);
  EXPECT_FLOAT_EQ(atom.pos.x, x);
  EXPECT_FLOAT_EQ(atom.pos.y, y);
  EXPECT_EQ(atom.vel.x, 0.0f);
  EXPECT_EQ(atom.vel.y, 0.0f);
  EXPECT_TRUE(atom.placed);
}

void expectBonds(const World& world, const std::vector<ExpectedBond>& expected, std::int32_t colour,
                 float spacing) {
  ASSERT_EQ(world.bondCount(), static_cast<std::int32_t>(expected.size()));
  for (std::size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE(::testing::Message() << "bond " << k + 1);
    const Bond& bond = world.bonds()[k + 1];
    EXPECT_TRUE(bond.alive);
    EXPECT_EQ(bond.atomA, expected[k].atomA);
    EXPECT_EQ(bond.atomB, expected[k].atomB);
    EXPECT_FLOAT_EQ(bond.restLength, expected[k].restLength);
    EXPECT_EQ(bond.spacing, spacing);
    EXPECT_EQ(bond.colour, colour);
  }
}

TEST(BodyBuilders, BoxMakesAtomsColumnByColumnAndBondsInFourPasses) {
  World world;
  buildBox(world, SimSettings{}, 0.0f, 0.0f, 2, 2, 14, 0.0f);
  ASSERT_EQ(world.atomCount(), 4);
  expectAtomAt(world, 1, 0.0f, 0.0f);
  expectAtomAt(world, 2, 0.0f, 10.0f);
  expectAtomAt(world, 3, 10.0f, 0.0f);
  expectAtomAt(world, 4, 10.0f, 10.0f);
  for (std::int32_t i = 1; i <= 4; ++i)
    EXPECT_EQ(world.atoms()[i].colour, 14);
  const float diagonal = 14.142136f;
  expectBonds(world,
              {{1, 3, 10}, {2, 4, 10}, {1, 2, 10}, {3, 4, 10}, {1, 4, diagonal}, {3, 2, diagonal}},
              14, 10.0f);

  World bar;
  buildBox(bar, SimSettings{}, 5.0f, 7.0f, 3, 1, 2, 0.0f);
  ASSERT_EQ(bar.atomCount(), 3);
  expectAtomAt(bar, 3, 25.0f, 7.0f);
  expectBonds(bar, {{1, 2, 10}, {2, 3, 10}}, 2, 10.0f);
}

TEST(BodyBuilders, BoxCountsMatchTheLatticeFormula) {
  World world;
  buildBox(world, SimSettings{}, 0.0f, 0.0f, 4, 3, 1, 0.0f);
  EXPECT_EQ(world.atomCount(), 12);
  EXPECT_EQ(world.bondCount(), 3 * 3 + 4 * 2 + 2 * 3 * 2);
  EXPECT_EQ(world.atomCapacity(), 16);
  EXPECT_EQ(world.bondCapacity(), 32) << "the table grows by doubling";
}

TEST(BodyBuilders, TriangleMakesRowsShiftedByHalfASpacingAndEveryEdgeOnce) {
  World world;
  buildTriangle(world, SimSettings{}, 0.0f, 0.0f, 3, 15, 0.0f);
  const float h = 8.660254f;
  ASSERT_EQ(world.atomCount(), 6);
  expectAtomAt(world, 1, 0.0f, 0.0f);
  expectAtomAt(world, 2, 5.0f, h);
  expectAtomAt(world, 3, 10.0f, 2 * h);
  expectAtomAt(world, 4, 10.0f, 0.0f);
  expectAtomAt(world, 5, 15.0f, h);
  expectAtomAt(world, 6, 20.0f, 0.0f);
  expectBonds(world,
              {{1, 2, 10},
               {1, 4, 10},
               {4, 2, 10},
               {2, 3, 10},
               {2, 5, 10},
               {5, 3, 10},
               {4, 5, 10},
               {4, 6, 10},
               {6, 5, 10}},
              15, 10.0f);

  World single;
  buildTriangle(single, SimSettings{}, 3.0f, 4.0f, 1, 15, 1.0f);
  EXPECT_EQ(single.atomCount(), 1);
  EXPECT_EQ(single.bondCount(), 0);
  expectAtomAt(single, 1, 3.0f, 4.0f);
}

TEST(BodyBuilders, BitmapTakesPixelColoursAndBondsOnlyFromInsideTheBorder) {
  // 3 x 3 image after its 4-byte header, the top row first.
  const std::array<std::uint8_t, 13> image{0xAA, 0xBB, 0xCC, 0xDD, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  World world;
  buildBitmap(world, SimSettings{}, image, 3, 3, 100.0f, 200.0f, 77, 0.0f);
  ASSERT_EQ(world.atomCount(), 9);
  for (std::int32_t j = 0; j < 3; ++j) {
    for (std::int32_t i = 0; i < 3; ++i) {
      const std::int32_t slot = j * 3 + i + 1;
      expectAtomAt(world, slot, 100.0f + 10.0f * i, 200.0f - 10.0f * j);
      EXPECT_EQ(world.atoms()[slot].colour, slot) << "the pixel's value, not the argument";
    }
  }
  const float diagonal = 14.142136f;
  expectBonds(world, {{5, 4, 10}, {5, 2, 10}, {5, 1, diagonal}, {5, 7, diagonal}}, 5, 10.0f);

  // Zero pixels make no atom and no bond; the bond takes the colour of its first pixel.
  const std::array<std::uint8_t, 13> sparse{0, 0, 0, 0, 0, 0, 0, 4, 8, 0, 0, 0, 3};
  World gappy;
  buildBitmap(gappy, SimSettings{}, sparse, 3, 3, 0.0f, 0.0f, 1, 0.0f);
  ASSERT_EQ(gappy.atomCount(), 3);
  expectAtomAt(gappy, 1, 0.0f, -10.0f);
  expectAtomAt(gappy, 2, 10.0f, -10.0f);
  expectAtomAt(gappy, 3, 20.0f, -20.0f);
  EXPECT_EQ(gappy.atoms()[3].colour, 3);
  expectBonds(gappy, {{2, 1, 10}}, 8, 10.0f);

  const std::array<std::uint8_t, 10> twoRows{0, 0, 0, 0, 1, 1, 1, 1, 1, 1};
  World thin;
  buildBitmap(thin, SimSettings{}, twoRows, 3, 2, 0.0f, 0.0f, 1, 0.0f);
  EXPECT_EQ(thin.atomCount(), 6);
  EXPECT_EQ(thin.bondCount(), 0);
}

TEST(BodyBuilders, BitmapFromFileBuildsWhatTheLoaderFills) {
  std::string askedFor;
  std::size_t bufferSize = 0;
  AllocationFaults faults;
  const ImageFileLoader loader = [&](const std::string& name, std::int32_t width,
                                     std::int32_t height, std::vector<std::uint8_t>& image) {
    askedFor = name;
    ASSERT_TRUE(makeImageBlock(image, width, height, faults));
    bufferSize = image.size();
    image[4 + 4] = 6;  // the centre pixel
    image[4 + 3] = 2;  // its left neighbour
  };
  World world;
  buildBitmapFromFile(world, SimSettings{}, loader, "shape.bmp", 3, 3, 0.0f, 0.0f, 1, 0.0f);
  EXPECT_EQ(askedFor, "shape.bmp");
  EXPECT_EQ(bufferSize, 13u);
  ASSERT_EQ(world.atomCount(), 2);
  expectBonds(world, {{2, 1, 10}}, 6, 10.0f);

  World untouched;
  const ImageFileLoader failing = [](const std::string&, std::int32_t, std::int32_t,
                                     std::vector<std::uint8_t>&) {};
  buildBitmapFromFile(untouched, SimSettings{}, failing, "missing.bmp", 3, 3, 0, 0, 1, 0);
  buildBitmapFromFile(untouched, SimSettings{}, ImageFileLoader{}, "x.bmp", 3, 3, 0, 0, 1, 0);
  EXPECT_EQ(untouched.atomCount(), 0);
}

TEST(BodyBuilders, PositiveAngleTurnsClockwiseAboutTheAnchorAndOnlyNewAtomsTurn) {
  World world;
  buildBox(world, SimSettings{}, 50.0f, 50.0f, 2, 1, 7, 0.0f);
  buildBox(world, SimSettings{}, 0.0f, 0.0f, 2, 1, 7, std::numbers::pi_v<float> / 2);
  expectAtomAt(world, 1, 50.0f, 50.0f);
  expectAtomAt(world, 2, 60.0f, 50.0f);
  expectAtomAt(world, 3, 0.0f, 0.0f);
  EXPECT_NEAR(world.atoms()[4].pos.x, 0.0f, 1e-5f);
  EXPECT_FLOAT_EQ(world.atoms()[4].pos.y, -10.0f);
  EXPECT_TRUE(world.atoms()[4].placed);
}

TEST(BodyBuilders, NewBodiesTakeTheSpacingInForceWhenTheyAreBuilt) {
  World world;
  SimSettings settings;
  buildBox(world, settings, 0.0f, 0.0f, 2, 1, 1, 0.0f);
  settings.atomSpace = 20.0f;
  buildBox(world, settings, 0.0f, 100.0f, 2, 2, 1, 0.0f);
  expectAtomAt(world, 2, 10.0f, 0.0f);
  expectAtomAt(world, 5, 20.0f, 100.0f);
  expectAtomAt(world, 6, 20.0f, 120.0f);
  EXPECT_EQ(world.bonds()[1].restLength, 10.0f);
  EXPECT_EQ(world.bonds()[2].restLength, 20.0f);
  EXPECT_EQ(world.bonds()[2].spacing, 20.0f);
  EXPECT_FLOAT_EQ(world.bonds()[6].restLength, std::sqrt(800.0f));
}

TEST(BodyBuilders, BodiesFillFreedBondSlotsFirstInOrder) {
  World world;
  buildBox(world, SimSettings{}, 0.0f, 0.0f, 5, 1, 1, 0.0f);
  freeBond(world, 1);
  freeBond(world, 3);
  buildBox(world, SimSettings{}, 0.0f, 50.0f, 4, 1, 2, 0.0f);
  EXPECT_EQ(world.bondCount(), 5);
  const std::array<std::array<std::int32_t, 2>, 5> pairs{{{6, 7}, {2, 3}, {7, 8}, {4, 5}, {8, 9}}};
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    EXPECT_TRUE(world.bonds()[k + 1].alive);
    EXPECT_EQ(world.bonds()[k + 1].atomA, pairs[k][0]) << "bond " << k + 1;
    EXPECT_EQ(world.bonds()[k + 1].atomB, pairs[k][1]) << "bond " << k + 1;
  }
}

}  // namespace
}  // namespace squish::sim
