// Scene lines with the number forms and body sizes a hostile or careless file may hold: each
// stores what the number reader gives, bodies too large or empty build nothing, and zero,
// negative or NaN spacings and positions build bodies that the physics step survives.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scene/scene_reader.h"
#include "sim/step.h"

namespace squish::scene {
namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();

struct Read {
  sim::World world;
  sim::SimSettings settings;
  void operator()(std::string_view text) { readSceneText(world, settings, text, {}); }
};

TEST(SceneBadInput, OddNumberFormsStoreWhatTheReaderGives) {
  const struct {
    const char* text;
    float atomSize;
    std::int32_t showAtoms;
  } cases[] = {
      {"&H", 0.0f, 0},
      {"&HFFFFFFFFFFFFFFFF", 18446744073709551615.0f, std::numeric_limits<std::int32_t>::max()},
      {"&O9", 0.0f, 0},
      {"&B2", 0.0f, 0},
      {"1e999", infinity, std::numeric_limits<std::int32_t>::max()},
      {"-1e999", -infinity, std::numeric_limits<std::int32_t>::min()},
      {"1e-400", 0.0f, 0},
      {"nan", 0.0f, 0},
      {"inf", 0.0f, 0},
      {"--1", 0.0f, 0},
      {"1.2.3", 1.2f, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Read read;
    read(std::string("ATOMSIZE=") + c.text + "\nSHOWATOMS=" + c.text + "\n");
    EXPECT_EQ(read.settings.atomSize, c.atomSize);
    EXPECT_EQ(read.settings.showAtoms, c.showAtoms);
  }
}

TEST(SceneBadInput, BodiesTooLargeOrEmptyBuildNothing) {
  Read read;
  read(
      "BOX=0,0,2147483647,2147483647,9,0\nBOX=0,0,&HFFFFFFFFFFFFFFFF,2,9,0\n"
      "TRIANGLE=0,0,1e999,9,0\nTRIANGLE=0,0,100000,9,0\nBOX=0,0,-5,3,9,0\nBOX=0,0,3,0,9,0\n"
      "TRIANGLE=0,0,-1,9,0\nBOX=0,0,nan,nan,9,0\n");
  EXPECT_EQ(read.world.atomCount(), 0);
  EXPECT_EQ(read.world.bondCount(), 0);
}

TEST(SceneBadInput, ZeroNegativeAndNaNSpacingsBuildBodiesTheStepSurvives) {
  Read read;
  read(
      "ATOMSPACE=0\nBOX=0,50,3,3,9,0\nATOMSPACE=-10\nTRIANGLE=0,80,4,10,0.5\n"
      "ATOMSPACE=1e999\nBOX=0,20,2,2,11,0\nATOMSPACE=5\nBOX=1e30,-1e30,2,2,12,1e30\n"
      "BOX=1e999,0,2,2,13,-1e999\n");
  ASSERT_EQ(read.world.atomCount(), 9 + 10 + 4 + 4 + 4);
  // Zero spacing stacks the lattice on its corner with bonds of rest length 0.
  EXPECT_EQ(read.world.atoms()[9].pos.x, 0.0f);
  EXPECT_EQ(read.world.atoms()[9].pos.y, 50.0f);
  EXPECT_EQ(read.world.bonds()[1].restLength, 0.0f);
  // Negative spacing mirrors the triangle to the left of its anchor.
  EXPECT_LT(read.world.atoms()[10 + 9].pos.x, 0.0f);
  for (int step = 0; step < 200; ++step)
    sim::stepWorld(read.world, read.settings);
  EXPECT_LE(read.world.atomCount(), read.world.atomCapacity());
  for (std::int32_t b = 1; b <= read.world.bondCount(); ++b) {
    if (!read.world.bonds()[b].alive) continue;
    EXPECT_GE(read.world.bonds()[b].atomA, 1);
    EXPECT_LE(read.world.bonds()[b].atomB, read.world.atomCount());
  }
}

}  // namespace
}  // namespace squish::scene
