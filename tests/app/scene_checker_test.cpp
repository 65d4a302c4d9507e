// squish --check: each kind of problem with its exact message and line, nothing on the sample
// scenes, the summaries and exit statuses, and the checker building what the program builds.
#include "app/scene_checker.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/display/display_test_support.h"
#include "tests/headless/headless_fixture.h"

namespace squish::app {
namespace {

using headless::HeadlessProgram;
using headless::testing::ScratchDir;

// The problem lines of checking one scene text (the summaries left out), and its exit status.
struct Checked {
  std::vector<std::string> problems;
  int status = 0;
  std::string output;
};

Checked checkText(const ScratchDir& dir, const std::string& text) {
  const std::vector<std::string> files{dir.write("scene.txt", text)};
  std::ostringstream out;
  Checked checked;
  checked.status = checkScenes(files, out);
  checked.output = out.str();
  // Problem lines are "FILE:LINE: message"; the summaries are "FILE: ...".
  const std::string prefix = files.front() + ":";
  std::istringstream lines(checked.output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() &&
        std::isdigit(static_cast<unsigned char>(line[prefix.size()])) != 0) {
      checked.problems.push_back(line.substr(prefix.size()));
    }
  }
  return checked;
}

std::string writeBmp(const ScratchDir& dir, const std::string& name, std::int32_t width,
                     std::int32_t height, std::uint32_t bits, std::uint8_t pixel) {
  const std::vector<std::uint8_t> bytes = display::testing::makeBmp(
      width, height, bits, bits <= 8 ? 1u << bits : 0u,
      std::vector<std::uint8_t>(static_cast<std::size_t>(width * height), pixel));
  return dir.write(name, std::string(bytes.begin(), bytes.end()));
}

TEST(SceneChecker, KeysThatMatchNothingAreToldWithTheNearestKeyword) {
  ScratchDir dir;
  const Checked checked = checkText(dir,
                                    "# a comment = 1\n"
                                    "\n"
                                    "   \t \n"
                                    "; BOX = 1\n"
                                    "ATOMSPAC = 12\n"
                                    "trinagle = 0, 0, 3, 9, 0\n"
                                    "GRAVITY = 1\n"
                                    "WIBBLE = 3\n"
                                    "just words\n"
                                    "  # moved in\n"
                                    "  #ATOMSIZE = 6\n"
                                    "= 5\n"
                                    "ATOMSIZE\t= 6\n");
  EXPECT_EQ(checked.problems,
            (std::vector<std::string>{
                "5: unknown key 'ATOMSPAC': the line is skipped (did you mean ATOMSPACE?)",
                "6: unknown key 'trinagle': the line is skipped (did you mean TRIANGLE?)",
                "7: unknown key 'GRAVITY': the line is skipped (did you mean YGRAVITY?)",
                "8: unknown key 'WIBBLE': the line is skipped",
                "9: line has no '=': it is skipped",
                "11: comments start only in the first column: the line is skipped",
                "12: no key before '=': the line is skipped",
                "13: unknown key 'ATOMSIZE\\x09': the line is skipped (did you mean ATOMSIZE?)",
            }));
  EXPECT_EQ(checked.status, 1);
}

TEST(SceneChecker, ValuesThatAreNoNumberOrCarryIgnoredTextAreTold) {
  ScratchDir dir;
  const Checked checked = checkText(dir,
                                    "ATOMSIZE = big\n"
                                    "MAXSPEED =\n"
                                    "STIFFNESS = 0.5 0.6\n"
                                    "BOUNDDECAY = 0.9x\n"
                                    "SHOWATOMS = 0.4\n"
                                    "XGRAVITY = &H10\n"
                                    "BOX = 1,, 3x,4,12,0\n"
                                    "TRIANGLE = 0, 100, 6.5, 15, 0.1 \n"
                                    "BOX = 0, 0, 2, 2, 12, 0.3, 99\n");
  EXPECT_EQ(checked.problems, (std::vector<std::string>{
                                  "1: ATOMSIZE 'big' is not a number: it reads as 0",
                                  "2: MAXSPEED is empty: it reads as 0",
                                  "3: STIFFNESS '0.5' is followed by ' 0.6', which is ignored",
                                  "4: BOUNDDECAY '0.9' is followed by 'x', which is ignored",
                                  "5: SHOWATOMS 0.4 is rounded to 0",
                                  "7: BOX y is empty: it reads as 0",
                                  "7: BOX columns '3' is followed by 'x', which is ignored",
                                  "8: TRIANGLE size 6.5 is rounded to 6",
                                  "9: BOX takes 6 fields: ', 99' after them is ignored",
                              }));
}

TEST(SceneChecker, BodiesWithTooFewFieldsNoCellsOrTooManyAtomsAreTold) {
  ScratchDir dir;
  const Checked checked = checkText(dir,
                                    "BOX = 0, 0, 3, 3, 12\n"
                                    "TRIANGLE = 0, 0\n"
                                    "BITMAP = a.bmp, 4, 4, 0, 0, 0\n"
                                    "BOX = 0, 0, 0, 3, 12, 0\n"
                                    "BOX = 0, 0, 3, -1, 12, 0\n"
                                    "TRIANGLE = 0, 0, 0, 12, 0\n"
                                    "BITMAP = a.bmp, 0, 4, 0, 0, 0, 0\n"
                                    "BITMAP = a.bmp, 10000, 10000, 0, 0, 0, 0\n"
                                    "BOX = 0, 0, 100000, 100000, 12, 0\n"
                                    "TRIANGLE = 0, 0, 3000, 12, 0\n"
                                    "BOX = 0, 0, 2, 2, 12, 0\n");
  EXPECT_EQ(
      checked.problems,
      (std::vector<std::string>{
          "1: BOX needs 6 fields (x, y, columns, rows, colour, angle), found 5: nothing is built",
          "2: TRIANGLE needs 5 fields (x, y, size, colour, angle), found 2: nothing is built",
          "3: BITMAP needs 7 fields (file, width, height, x, y, colour, angle), found 6: "
          "nothing is built",
          "4: BOX of 0 columns and 3 rows builds nothing",
          "5: BOX of 3 columns and -1 rows builds nothing",
          "6: TRIANGLE of size 0 builds nothing",
          "7: BITMAP of 0 x 4 pixels builds nothing",
          "8: BITMAP of 10000 x 10000 pixels is refused: an image may have at most 67108864 "
          "pixels",
          "9: BOX of 10000000000 atoms is refused: the world holds at most 4000000 atoms",
          "10: TRIANGLE of 4501500 atoms is refused: the world holds at most 4000000 atoms",
      }));
  EXPECT_NE(checked.output.find("scene.txt: 10 problems, 1 body, 4 atoms, 6 bonds\n"),
            std::string::npos);
}

TEST(SceneChecker, BitmapImagesThatCannotBeLoadedAsDeclaredAreTold) {
  ScratchDir dir;
  const std::string good = writeBmp(dir, "good.bmp", 4, 3, 8, 5);
  const std::string deep = writeBmp(dir, "deep.bmp", 4, 3, 24, 0);
  const std::string blank = writeBmp(dir, "blank.bmp", 4, 3, 4, 0);
  const std::string text = dir.write("text.bmp", "not a picture");
  std::string cut = writeBmp(dir, "cut.bmp", 4, 3, 1, 1);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 4);
  const std::string missing = dir.path("missing.bmp");
  const auto line = [](const std::string& file, const std::string& size) {
    return "BITMAP = " + file + ", " + size + ", 0, 0, 0, 0\n";
  };
  const Checked checked =
      checkText(dir, line(good, "4, 3") + line(missing, "4, 3") + line(deep, "4, 3") +
                         line(text, "4, 3") + line(cut, "4, 3") + line(good, "5, 3") +
                         line(blank, "4, 3") + "BITMAP = " + good + " , 4, 3, 0, 0, 0, 0\n");
  EXPECT_EQ(
      checked.problems,
      (std::vector<std::string>{
          "2: BITMAP image '" + missing + "' cannot be read: No such file or directory",
          "3: BITMAP image '" + deep +
              "' has 24 bits per pixel: only 1, 4 and 8-bit BMP images can be loaded",
          "4: BITMAP image '" + text + "' is not a BMP file",
          "5: BITMAP image '" + cut + "' is damaged or cut short: only the rows read are built",
          "6: BITMAP image '" + good + "' is 4 x 3 pixels, but the line declares 5 x 3",
          "7: BITMAP image '" + blank + "' has no nonzero pixel: it builds nothing",
          "8: BITMAP image '" + good +
              " ' cannot be read: No such file or directory (the "
              "name has spaces at an end, and they are part of it)",
      }));
}

TEST(SceneChecker, SettingsTheStepCannotWorkWithAreTold) {
  ScratchDir dir;
  const Checked checked = checkText(dir,
                                    "ATOMSPACE = 0\n"
                                    "YGRAVITY = 1e999\n"
                                    "MAXSPEED = -1e39\n"
                                    "ATOMSPACE = 10\n"
                                    "BREAKTHRESHOLD = 1e38\n");
  EXPECT_EQ(checked.problems,
            (std::vector<std::string>{
                "1: ATOMSPACE 0 puts every atom of a body on one point, and bonds measure their "
                "stretch against it: the step cannot work with it",
                "2: YGRAVITY reads as inf, too large for a setting: the step cannot work with it",
                "3: MAXSPEED reads as -inf, too large for a setting: the step cannot work with it",
            }));
}

TEST(SceneChecker, SampleScenesAreCleanAndSummariesCountWhatWasBuilt) {
  ScratchDir dir;
  const std::string first = dir.write("first.txt",
                                      "# two bodies\n"
                                      "BOX = 0, 0, 2, 3, 12, 0\n"
                                      "YGRAVITY = -0.01\n");
  const std::string second = dir.write("second.txt", "TRIANGLE = 0, 100, 3, 15, 0\n");
  std::ostringstream out;
  const std::vector<std::string> files{first, second, "", "never read"};
  EXPECT_EQ(checkScenes(files, out), 0);
  const std::string defaults =
      " ATOMSIZE=4 ATOMSPACE=10 MAXSPEED=5 YGRAVITY=-0.01 XGRAVITY=0 BOUNDDECAY=0.99 "
      "DEFORMFACTOR=0.4 DEFORMTHRESHOLD=1 BREAKTHRESHOLD=2 STIFFNESS=0.5 BONDTHRESHOLD=0.5 "
      "SHOWATOMS=1\n";
  EXPECT_EQ(out.str(), first + ": 0 problems, 1 body, 6 atoms, 11 bonds\n  settings:" + defaults +
                           second +
                           ": 0 problems, 1 body, 6 atoms, 9 bonds\n  settings:" + defaults +
                           "total of 2 files: 0 problems, 2 bodies, 12 atoms, 20 bonds\n"
                           "  settings:" +
                           defaults);

  std::ostringstream none;
  EXPECT_EQ(checkScenes({}, none), 2);
  EXPECT_EQ(none.str(), "usage: squish --check SCENE...\n");

  const std::vector<std::string> unreadable{dir.path("absent.txt")};
  std::ostringstream told;
  EXPECT_EQ(checkScenes(unreadable, told), 1);
  EXPECT_EQ(told.str().substr(0, told.str().find('\n')),
            unreadable.front() + ": cannot read scene file: No such file or directory");

  // The sample scenes name their images from the repository's root.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(SQUISH_SOURCE_DIR);
  std::vector<std::string> samples;
  for (const char* name : {"bridge", "creature", "low_gravity", "rain", "stiff_soft", "tower"}) {
    samples.push_back(std::string("scenes/") + name + ".txt");
  }
  std::ostringstream sampleOut;
  const int status = checkScenes(samples, sampleOut);
  std::filesystem::current_path(previous);
  EXPECT_EQ(status, 0) << sampleOut.str();
  EXPECT_NE(sampleOut.str().find("total of 6 files: 0 problems, 36 bodies"), std::string::npos)
      << sampleOut.str();
}

// The checker must build what the program builds: the same reader and builders, the same
// image loading, and settings carried from file to file.
TEST(SceneChecker, BuildsTheSameWorldAsTheProgram) {
  ScratchDir dir;
  writeBmp(dir, "shape.bmp", 5, 4, 8, 9);
  const std::vector<std::vector<std::string>> sceneSets{
      {dir.write("mixed.txt",
                 "ATOMSPACE = 14\n"
                 "BOX = -100, 200, 4, 3, 12, 0.3\n"
                 "ATOMSPAC = 99\n"
                 "TRIANGLE = 50, 300, 5.5, 10, -0.2\n"
                 "BITMAP = " +
                     dir.path("shape.bmp") +
                     ", 5, 4, 0, 400, 0, 0.1\n"
                     "BITMAP = " +
                     dir.path("shape.bmp") +
                     ", 6, 4, 0, 400, 0, 0\n"
                     "BOX = 0, 0, 0, 3, 12, 0\n"),
       dir.write("after.txt", "BOX = 100, 100, 2, 2, 9, 1\nATOMSPACE = l0\nBOX = 0,0,2,2,9,0\n")},
      {SQUISH_SOURCE_DIR "/scenes/tower.txt", SQUISH_SOURCE_DIR "/scenes/bridge.txt",
       SQUISH_SOURCE_DIR "/scenes/rain.txt", SQUISH_SOURCE_DIR "/scenes/stiff_soft.txt"},
  };
  for (const std::vector<std::string>& files : sceneSets) {
    SCOPED_TRACE(files.front());
    HeadlessProgram program(files, 1);
    ASSERT_TRUE(program.started());

    display::Screen screen;
    ASSERT_TRUE(display::openScreen(screen, 18, 8, 2, 0, 0));
    sim::World world;
    sim::SimSettings settings;
    std::ostringstream out;
    const SceneTally tally = checkSceneFiles(files, world, settings, screen, out);
    display::closeScreen(screen);

    headless::testing::expectSameWorld(program.world(), world);
    EXPECT_EQ(tally.atoms, world.atomCount());
    EXPECT_EQ(tally.bonds, world.bondCount());
    EXPECT_EQ(std::memcmp(&settings, &program.settings(), sizeof settings), 0);
  }
}

}  // namespace
}  // namespace squish::app
