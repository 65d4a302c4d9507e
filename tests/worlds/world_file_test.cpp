// World files: everything written reads back bit for bit, and a file that is wrong anywhere is
// refused with the place and the problem.
#include "worlds/world_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "scene/scene_reader.h"
#include "sim/step.h"

namespace squish::worlds {
namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

struct Saved {
  sim::World world;
  sim::SimSettings settings;
  display::RandomGenerator random{123456789u, 0.25};
  std::array<std::uint32_t, 256> palette{};
  std::string text;
};

// Two boxes stepped until they touch, with a freed bond slot, an atom flying off as NaN and one
// at infinity, a setting of NaN, colours outside 0..255, and tables grown past their first size.
Saved sampleWorld() {
  Saved saved;
  scene::readSceneText(
      saved.world, saved.settings,
      "STIFFNESS = 0.3\nBOX = 100, 200, 4, 5, 270, 0.1\nBOX = 110, 150, 3, 3, -7, 0", {});
  for (int i = 0; i < 40; ++i)
    sim::stepWorld(saved.world, saved.settings);
  sim::freeBond(saved.world, 3);
  sim::setAtom(saved.world, 2, nan, -0.0f, infinity, -infinity, 9);
  saved.settings.bondThreshold = nan;
  const sim::World& built = saved.world;
  EXPECT_TRUE(sim::restoreWorld(saved.world,
                                std::vector<sim::Atom>(built.atoms().begin(), built.atoms().end()),
                                std::vector<sim::Bond>(built.bonds().begin(), built.bonds().end()),
                                built.atomCount(), built.bondCount(), sim::BondShortage::limit));
  for (std::uint32_t i = 0; i < 256; ++i)
    saved.palette[i] = i * 0x010101u;
  saved.text = formatWorldFile({40, 38, true, false, 0}, saved.settings, saved.world, std::nullopt,
                               saved.palette, saved.random);
  return saved;
}

template <typename T>
void expectSameBits(const T& a, const T& b) {
  EXPECT_EQ(std::memcmp(&a, &b, sizeof(T)), 0);
}

// Field by field: the records hold padding after their marks.
void expectSameAtom(const sim::Atom& a, const sim::Atom& b) {
  EXPECT_EQ(a.alive, b.alive);
  expectSameBits(a.pos, b.pos);
  expectSameBits(a.vel, b.vel);
  EXPECT_EQ(a.placed, b.placed);
  EXPECT_EQ(a.colour, b.colour);
}

void expectSameBond(const sim::Bond& a, const sim::Bond& b) {
  EXPECT_EQ(a.alive, b.alive);
  EXPECT_EQ(a.atomA, b.atomA);
  EXPECT_EQ(a.atomB, b.atomB);
  expectSameBits(a.spacing, b.spacing);
  expectSameBits(a.restLength, b.restLength);
  EXPECT_EQ(a.colour, b.colour);
}

TEST(WorldFile, ReadsBackEveryFieldBitForBit) {
  const Saved saved = sampleWorld();
  ASSERT_GT(saved.world.atomCapacity(), sim::initialCapacity);
  const WorldRead read = readWorldFile(saved.text);
  ASSERT_TRUE(read.world) << read.problem;
  const SavedWorld& world = *read.world;
  expectSameBits(world.settings, saved.settings);
  EXPECT_EQ(world.atomCount, saved.world.atomCount());
  EXPECT_EQ(world.bondCount, saved.world.bondCount());
  EXPECT_EQ(world.atoms.size(), saved.world.atoms().size());
  EXPECT_EQ(world.bonds.size(), saved.world.bonds().size());
  for (std::int32_t i = 1; i <= world.atomCount; ++i)
    expectSameAtom(world.atoms[i], saved.world.atoms()[i]);
  for (std::int32_t i = 1; i <= world.bondCount; ++i)
    expectSameBond(world.bonds[i], saved.world.bonds()[i]);
  EXPECT_FALSE(world.bonds[3].alive);
  EXPECT_EQ(world.impactBondShortage, sim::BondShortage::limit);
  ASSERT_TRUE(world.random);
  EXPECT_EQ(world.random->state, saved.random.state);
  EXPECT_EQ(world.random->last, saved.random.last);
  EXPECT_EQ(world.palette, saved.palette);

  // Put back into a world and written again, it is the same text.
  sim::World again;
  ASSERT_TRUE(sim::restoreWorld(again, world.atoms, world.bonds, world.atomCount, world.bondCount,
                                world.impactBondShortage));
  EXPECT_EQ(formatWorldFile({40, 38, true, false, 0}, world.settings, again, std::nullopt,
                            world.palette, *world.random),
            saved.text);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(WorldFile, ADumpWithFormatAndVersionAddedLoads) {
  const Saved saved = sampleWorld();
  const std::string dump = formatStateDump({}, saved.settings, saved.world, std::nullopt, {});
  const std::string text = "{\"format\": \"squish-world\", \"version\": 1, " + dump.substr(1);
  const WorldRead read = readWorldFile(text);
  ASSERT_TRUE(read.world) << read.problem;
  EXPECT_FALSE(read.world->random);
  EXPECT_EQ(read.world->impactBondShortage, sim::BondShortage::none);

  // A number written by hand with an exponent of -0 is still that number.
  const WorldRead other = readWorldFile(replaced(text, "\"atomSize\": 4,", "\"atomSize\": 4e-0,"));
  ASSERT_TRUE(other.world) << other.problem;
  EXPECT_EQ(other.world->settings.atomSize, 4.0f);
}

TEST(WorldFile, RefusesWrongFilesNamingThePlace) {
  const std::string good = sampleWorld().text;
  const std::string firstAtom =
      good.substr(good.find("[\n    [") + 6,
                  good.find(']', good.find("[\n    [") + 6) - good.find("[\n    [") - 5);
  const struct {
    std::string text;
    std::string problem;
  } cases[] = {
      {"", "the file: not valid JSON"},
      {good.substr(0, good.size() / 2), "not valid JSON"},
      {"[1, 2]", "the file: must be a JSON object"},
      {replaced(good, "\"squish-world\"", "\"squish-dump\""), "format: must be \"squish-world\""},
      {replaced(good, "\"version\": 1", "\"version\": 2"), "version: must be 1"},
      {replaced(good, "\"atomCount\"", "\"atomCount\": 1, \"colour\": 3, \"atomCount\""),
       "atomCount: is given twice"},
      {replaced(good, "\"heldAtom\"", "\"holdAtom\""), "holdAtom: unknown entry"},
      {replaced(good, "\"stiffness\": 0.3, ", ""), "settings.stiffness: is missing"},
      {replaced(good, "\"showAtoms\": 1", "\"showAtoms\": 1.5"),
       "settings.showAtoms: must be a whole"},
      {replaced(good, firstAtom, "[-1, \"x\", 2, 3, 4, 0, 1]"), "atoms[0][1]: must be a number"},
      {replaced(good, firstAtom, "[-1, 1, 2, 3, 4, 0]"), "atoms[0]: must hold 7 numbers"},
      {replaced(good, firstAtom, "[1, 1, 2, 3, 4, 0, 5]"),
       "atoms[0][0]: must be a whole number from -1 to 0"},
      {replaced(good, firstAtom, "[-1, 1e39, 2, 3, 4, 0, 5]"), "atoms[0][1]: is out of the range"},
      {replaced(good, firstAtom, "[-1, [1], 2, 3, 4, 0, 5]"), "atoms[0][1]: must be a number"},
      {replaced(good, "\"atomCount\": 29", "\"atomCount\": 28"), "atoms: must hold atomCount rows"},
      {replaced(good, "\"atomCapacity\": 32", "\"atomCapacity\": 8000000"),
       "atomCapacity: must be a whole number from 0 to 7999999"},
      {replaced(good, "\"atomCapacity\": ", "\"atomCapacity\": -"),
       "atomCapacity: must be a whole number"},
      {replaced(good, "\"bonds\": [\n    [-1, 1, ", "\"bonds\": [\n    [-1, 999, "),
       "bonds[0]: joins an atom slot"},
      {replaced(good, "\"palette\": [0, ", "\"palette\": ["), "palette: must hold 256 colours"},
      {replaced(good, "\"palette\": [0, ", "\"palette\": [16777216, "),
       "palette[0]: must be a whole number from 0 to 16777215"},
      {replaced(good, "\"state\": 123456789", "\"state\": -1"), "random.state: must be a whole"},
      {replaced(good, "\"last\": 0.25", "\"last\": 1"),
       "random.last: must be a number from 0 up to 1"},
      {replaced(good, "\"limit\"", "\"plenty\""), "impactBondShortage: must be \"none\""},
      {replaced(good, "\"settings\": {", "\"settings\": [1], \"x\": {"),
       "settings: must be an object"},
      {replaced(good, "\"bonds\": [", "\"bonds\": 5, \"x\": ["), "bonds: must be an array"},
  };
  for (const auto& [text, problem] : cases) {
    const WorldRead read = readWorldFile(text);
    EXPECT_FALSE(read.world) << problem;
    EXPECT_NE(read.problem.find(problem), std::string::npos) << read.problem;
  }
}

}  // namespace
}  // namespace squish::worlds
