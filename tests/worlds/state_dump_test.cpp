// The JSON dump: exact float texts, the shape of a small world, the panel and the palette.
#include "worlds/state_dump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

#include "scene/scene_reader.h"

namespace squish::worlds {
namespace {

// Each physics setting, set through its keyword in a scene, is that setting alone and shows in
// the dump under its name; no two settings share a keyword, a name, a label or a field.
TEST(StateDump, TheSettingsTableNamesEachSettingOnceEverywhere) {
  std::set<std::string_view> names;
  std::vector<float sim::SimSettings::*> fields;
  for (const sim::PhysicsSetting& setting : sim::physicsSettings) {
    SCOPED_TRACE(setting.keyword);
    EXPECT_TRUE(names.insert(setting.keyword).second);
    EXPECT_TRUE(names.insert(setting.dumpName).second);
    EXPECT_TRUE(names.insert(setting.label).second);
    EXPECT_EQ(std::count(fields.begin(), fields.end(), setting.field), 0);
    fields.push_back(setting.field);
    sim::World world;
    sim::SimSettings settings;
    scene::readSceneText(world, settings, std::string(setting.keyword) + " = 7.25", {});
    sim::SimSettings expected;
    expected.*setting.field = 7.25f;
    EXPECT_EQ(std::memcmp(&settings, &expected, sizeof settings), 0);
    const std::string dump = formatStateDump({}, settings, world, std::nullopt, {});
    std::string entry = "\"";
    entry.append(setting.dumpName).append("\": 7.25,");
    EXPECT_NE(dump.find(entry), std::string::npos);
  }
}

TEST(StateDump, FloatsAreShortestTextsThatReadBackExactly) {
  EXPECT_EQ(formatFloat(4.0f), "4");
  EXPECT_EQ(formatFloat(-0.004f), "-0.004");
  EXPECT_EQ(formatFloat(0.99f), "0.99");
  EXPECT_EQ(formatFloat(-0.0f), "-0");
  EXPECT_EQ(formatFloat(1e20f), "1e+20");
  EXPECT_EQ(formatFloat(std::numeric_limits<float>::quiet_NaN()), "NaN");
  EXPECT_EQ(formatFloat(std::numeric_limits<float>::infinity()), "Infinity");
  EXPECT_EQ(formatFloat(-std::numeric_limits<float>::infinity()), "-Infinity");
  for (const float value :
       {0.1f, 14.142136f, 1.17549435e-38f, 1e-45f, 3.40282347e38f, 1.0f / 3.0f}) {
    const std::string text = formatFloat(value);
    float back = 0.0f;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
  }
}

TEST(StateDump, StringsEscapeQuotesControlsAndHighBytes) {
  EXPECT_EQ(formatString("4"), "\"4\"");
  EXPECT_EQ(formatString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(formatString(std::string("\x01\x7f\xe9", 3)), "\"\\u0001\\u007f\\u00e9\"");
}

TEST(StateDump, SmallWorldDumpHasEveryKeyInOrder) {
  std::vector<sim::Atom> atoms(17);
  atoms[1] = {true, {1.5f, 2.0f}, {-0.25f, 0.0f}, true, 14};
  atoms[2] = {false, {0.0f, 0.0f}, {0.0f, 0.0f}, false, 270};
  std::vector<sim::Bond> bonds(17);
  bonds[1] = {true, 1, 2, 10.0f, 14.142136f, 14};
  sim::World world;
  ASSERT_TRUE(sim::restoreWorld(world, atoms, bonds, 2, 1, sim::BondShortage::none));
  sim::SimSettings settings;
  std::array<std::uint32_t, 256> palette{};
  palette[1] = 0xAA0000u;
  palette[255] = 0xFFFFFFu;

  const std::string dump =
      formatStateDump({12, 10, true, true, 1}, settings, world, std::nullopt, palette);
  EXPECT_EQ(dump.substr(0, dump.find("\"palette\"")),
            "{\n"
            "  \"frame\": 12,\n"
            "  \"steps\": 10,\n"
            "  \"paused\": true,\n"
            "  \"quit\": true,\n"
            "  \"settings\": {\"atomSize\": 4, \"atomSpace\": 10, \"maxSpeed\": 5, "
            "\"yGravity\": -0.004, \"xGravity\": 0, \"boundDecay\": 0.99, \"deformFactor\": 0.4, "
            "\"deformThreshold\": 1, \"breakThreshold\": 2, \"stiffness\": 0.5, "
            "\"bondThreshold\": 0.5, \"showAtoms\": 1, \"showBonds\": 1},\n"
            "  \"atomCount\": 2, \"atomCapacity\": 16, \"bondCount\": 1, \"bondCapacity\": 16,\n"
            "  \"heldAtom\": 1,\n"
            "  \"atoms\": [\n"
            "    [-1, 1.5, 2, -0.25, 0, -1, 14],\n"
            "    [0, 0, 0, 0, 0, 0, 270]\n"
            "  ],\n"
            "  \"bonds\": [\n"
            "    [-1, 1, 2, 10, 14.142136, 14]\n"
            "  ],\n"
            "  \"panel\": null,\n"
            "  ");
  EXPECT_NE(dump.find("\"palette\": [0, 11141120, 0,"), std::string::npos);
  EXPECT_NE(dump.find(", 16777215]\n}\n"), std::string::npos);
}

TEST(StateDump, PanelAndEmptyTables) {
  sim::World world;
  PanelSnapshot panel;
  panel.visible = true;
  panel.x = 4;
  panel.y = 4;
  panel.fields = {"4", "10", "5", "-0.004", "0", "0.99", "0.4", "1", "2", "0.5", "a\"b"};
  panel.checks = {1, 0};
  const std::string dump = formatStateDump({0, 0, false, false, 0}, {}, world, panel, {});
  EXPECT_NE(dump.find("\"atoms\": [],\n  \"bonds\": [],\n"), std::string::npos);
  EXPECT_NE(dump.find("\"panel\": {\"visible\": true, \"x\": 4, \"y\": 4, \"fields\": [\"4\", "
                      "\"10\", \"5\", \"-0.004\", \"0\", \"0.99\", \"0.4\", \"1\", \"2\", "
                      "\"0.5\", \"a\\\"b\"], \"checks\": [1, 0]},\n"),
            std::string::npos);
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '['), 5);  // atoms, bonds, fields, checks, palette
}

}  // namespace
}  // namespace squish::worlds
