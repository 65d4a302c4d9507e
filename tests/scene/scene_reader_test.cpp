// Scene text, line by line: settings, comments, body lines and their fields, line endings, and
// malformed or oversized input.
#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "sim/builders.h"
#include "tests/scene/scene_test_support.h"

namespace squish::scene {
namespace {

using sim::SimSettings;
using sim::World;

// A fresh world and default settings, read through the recording image loader.
struct Scene {
  World world;
  SimSettings settings;
  FakeImageFiles images;

  void read(std::string_view text) { readSceneText(world, settings, text, images.loader()); }
};

TEST(SceneSettingLines, KeysAreUpperCasedAndSpacesAroundKeyAndValueDropped) {
  Scene scene;
  scene.read("atomsize = 6");
  EXPECT_EQ(scene.settings.atomSize, 6.0f);
  scene.read("   AtomSpace   =   20.5   ");
  EXPECT_EQ(scene.settings.atomSpace, 20.5f);
  scene.read("ATOMSIZE=");
  EXPECT_EQ(scene.settings.atomSize, 0.0f);
  scene.read("ATOMSPACE=big");
  EXPECT_EQ(scene.settings.atomSpace, 0.0f);
  scene.read("YGRAVITY=-0.004");
  EXPECT_EQ(scene.settings.yGravity, -0.004f);
  scene.read("MAXSPEED=1e999");
  EXPECT_EQ(scene.settings.maxSpeed, std::numeric_limits<float>::infinity());
  scene.read("STIFFNESS=&H10");
  EXPECT_EQ(scene.settings.stiffness, 16.0f);
  EXPECT_EQ(scene.world.atomCount(), 0);
}

TEST(SceneSettingLines, EachKeywordWritesItsOwnSettingOnly) {
  Scene scene;
  scene.read(
      "ATOMSIZE=1\nATOMSPACE=2\nMAXSPEED=3\nYGRAVITY=4\nXGRAVITY=5\nBOUNDDECAY=6\n"
      "DEFORMFACTOR=7\nDEFORMTHRESHOLD=8\nBREAKTHRESHOLD=9\nSTIFFNESS=10\nBONDTHRESHOLD=11\n"
      "SHOWATOMS=12\n");
  EXPECT_EQ(fieldsOf(scene.settings),
            std::tuple(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 11.0f, 12, 1));
}

TEST(SceneSettingLines, ShowAtomsRoundsToTheNearestEvenInteger) {
  const std::vector<std::pair<std::string_view, std::int32_t>> cases = {
      {"SHOWATOMS=0", 0},
      {"SHOWATOMS=0.4", 0},
      {"SHOWATOMS=2", 2},
      {"SHOWATOMS=2.5", 2},
      {"SHOWATOMS=3.5", 4},
      {"SHOWATOMS=-2.5", -2},
      {"showatoms=&B11", 3},
      {"SHOWATOMS=1e20", std::numeric_limits<std::int32_t>::max()},
      {"SHOWATOMS=-1e999", std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE(line);
    Scene scene;
    scene.read(line);
    EXPECT_EQ(scene.settings.showAtoms, expected);
  }
}

TEST(SceneLines, CommentsAndUnmatchedLinesChangeNothing) {
  const std::vector<std::string_view> lines = {
      "#ATOMSIZE=6",
      ";ATOMSIZE=6",
      "'ATOMSIZE=6",
      "  #ATOMSIZE=6",
      "ATOMSIZE\t=6",
      "\tATOMSIZE=6",
      "ATOMSIZE 6",
      "=6",
      "  =6",
      "ATOM SIZE=6",
      "ATOMSIZEX=6",
      "ATOMSIZ=6",
      "SHOWBONDS=0",
      "#BOX=0,0,2,2,1,0",
      "BOXES=0,0,2,2,1,0",
      "",
      "ATOMSIZE",
      " ",
      "\r",
      "\xC4TOMSIZE=6",
  };
  const SimSettings defaults;
  for (const std::string_view line : lines) {
    SCOPED_TRACE(std::string(line));
    Scene scene;
    scene.read(line);
    EXPECT_EQ(fieldsOf(scene.settings), fieldsOf(defaults));
    EXPECT_EQ(scene.world.atomCount(), 0);
    EXPECT_TRUE(scene.images.names.empty());
  }
}

TEST(SceneBodyLines, BoxLinesBuildTheBoxOfTheirFields) {
  World expected;
  sim::buildBox(expected, SimSettings{}, -50.0f, 300.0f, 4, 4, 12, 0.3f);
  for (const std::string_view line :
       {"BOX=-50,300,4,4,12,0.3", "BOX = -50 , 300 , 4 , 4 , 12 , 0.3", "box=-50,300,4,4,12,0.3,99",
        "BOX=-50,300,4,4,12,0.3,", "BOX=-5e1,3e2,3.5,4.5,&HC,.3"}) {
    SCOPED_TRACE(line);
    Scene scene;
    scene.read(line);
    EXPECT_EQ(scene.world.atomCount(), 16);
    expectSameBodies(scene.world, expected);
  }

  World emptyField;
  sim::buildBox(emptyField, SimSettings{}, 1.0f, 0.0f, 3, 4, 5, 6.0f);
  Scene scene;
  scene.read("BOX=1,,3,4,5,6");
  expectSameBodies(scene.world, emptyField);
  EXPECT_EQ(scene.world.atoms()[1].pos.x, 1.0f);
  EXPECT_EQ(scene.world.atoms()[1].pos.y, 0.0f);
}

TEST(SceneBodyLines, TriangleSizeRoundsHalvesToEven) {
  World seven;
  sim::buildTriangle(seven, SimSettings{}, 0.0f, 100.0f, 7, 15, 0.1f);
  Scene scene;
  scene.read("TRIANGLE=0,100,7,15,0.1");
  EXPECT_EQ(scene.world.atomCount(), 28);
  expectSameBodies(scene.world, seven);

  World six;
  sim::buildTriangle(six, SimSettings{}, 0.0f, 100.0f, 6, 15, 0.1f);
  Scene tie;
  tie.read("TRIANGLE=0,100,6.5,15,0.1");
  EXPECT_EQ(tie.world.atomCount(), 21);
  expectSameBodies(tie.world, six);
}

TEST(SceneBodyLines, LinesWithTooFewFieldsBuildNothing) {
  for (const std::string_view line :
       {"BOX=-50,300,4,4,12", "BOX=", "BOX", "TRIANGLE=0,100,7,15", "TRIANGLE=0 100 7 15 0.1",
        "BITMAP=shape.bmp,32,16,-100,400,0", "BITMAP=shape.bmp"}) {
    SCOPED_TRACE(line);
    Scene scene;
    scene.read(line);
    EXPECT_EQ(scene.world.atomCount(), 0);
    EXPECT_EQ(scene.world.bondCount(), 0);
    EXPECT_TRUE(scene.images.names.empty());
  }
}

TEST(SceneBodyLines, BitmapLinesLoadTheFileNamedExactlyAsWritten) {
  Scene scene;
  scene.read("BITMAP=shape.bmp,32,16,-100,400,0,0");
  ASSERT_EQ(scene.images.names, std::vector<std::string>{"shape.bmp"});
  EXPECT_EQ(scene.images.bufferSizes, std::vector<std::size_t>{4 + 32 * 16});
  EXPECT_EQ(scene.world.atomCount(), 32 * 16);
  EXPECT_EQ(scene.world.atoms()[1].pos.x, -100.0f);
  EXPECT_EQ(scene.world.atoms()[1].pos.y, 400.0f);
  EXPECT_EQ(scene.world.atoms()[1].colour, FakeImageFiles::pixelValue);
  // Rows go downwards from the top-left pixel: the first atom of the second row.
  EXPECT_EQ(scene.world.atoms()[33].pos.x, -100.0f);
  EXPECT_EQ(scene.world.atoms()[33].pos.y, 390.0f);

  scene.read(
      "bitmap=Shape.BMP,32,16,-100,400,0,0\n"
      "BITMAP=a=b.bmp,8,8,0,0,0,0\n"
      "BITMAP =  my shape.bmp ,2,2,0,0,0,0\n"
      "BITMAP=,2,2,0,0,0,0\n");
  EXPECT_EQ(scene.images.names,
            (std::vector<std::string>{"shape.bmp", "Shape.BMP", "a=b.bmp", "my shape.bmp ", ""}));
}

TEST(SceneText, LineEndsAreLineFeedsWithAnOptionalCarriageReturn) {
  const std::string_view lines = "ATOMSPACE=20\nBOX=0,0,2,2,9,0\nBITMAP=s.bmp,2,2,50,50,0,0\n";
  Scene lineFeeds;
  lineFeeds.read(lines);
  ASSERT_EQ(lineFeeds.world.atomCount(), 8);

  Scene crlf;
  crlf.read("ATOMSPACE=20\r\nBOX=0,0,2,2,9,0\r\nBITMAP=s.bmp,2,2,50,50,0,0\r\n");
  EXPECT_EQ(fieldsOf(crlf.settings), fieldsOf(lineFeeds.settings));
  expectSameBodies(crlf.world, lineFeeds.world);
  EXPECT_EQ(crlf.images.names, std::vector<std::string>{"s.bmp"});

  Scene noFinalLineFeed;
  noFinalLineFeed.read("ATOMSPACE=20\nBOX=0,0,2,2,9,0\nBITMAP=s.bmp,2,2,50,50,0,0");
  expectSameBodies(noFinalLineFeed.world, lineFeeds.world);

  // Carriage returns alone do not end lines: this is one ATOMSPACE line whose number stops at
  // the first carriage return.
  Scene carriageReturns;
  carriageReturns.read("ATOMSPACE=20\rBOX=0,0,2,2,9,0\rATOMSIZE=9\r");
  EXPECT_EQ(carriageReturns.settings.atomSpace, 20.0f);
  EXPECT_EQ(carriageReturns.settings.atomSize, 4.0f);
  EXPECT_EQ(carriageReturns.world.atomCount(), 0);

  // Only a carriage return directly before the line feed is dropped.
  Scene innerReturn;
  innerReturn.read("BITMAP=s\r.bmp,2,2,0,0,0,0\r\r\nATO\rMSIZE=6\n");
  EXPECT_EQ(innerReturn.images.names, std::vector<std::string>{"s\r.bmp"});
  EXPECT_EQ(innerReturn.settings.atomSize, 4.0f);
}

TEST(SceneText, SettingsApplyToTheBodiesAfterThemAndOutlastARestart) {
  const std::string_view text = "BOX=0,0,3,3,9,0\nATOMSPACE=20\nBOX=100,0,3,3,9,0\n";
  Scene scene;
  scene.read(text);
  ASSERT_EQ(scene.world.atomCount(), 18);
  // Atoms go column by column, so atom 4 starts the second column of each box.
  EXPECT_EQ(scene.world.atoms()[4].pos.x, 10.0f);
  EXPECT_EQ(scene.world.atoms()[13].pos.x, 120.0f);
  EXPECT_EQ(scene.world.bonds()[1].spacing, 10.0f);
  EXPECT_EQ(scene.world.bonds()[static_cast<std::size_t>(scene.world.bondCount())].spacing, 20.0f);

  // A restart clears the world and reads the text again with atomSpace still 20.
  sim::clearWorld(scene.world);
  scene.read(text);
  EXPECT_EQ(scene.world.atoms()[4].pos.x, 20.0f);
  EXPECT_EQ(scene.world.atoms()[13].pos.x, 120.0f);
  EXPECT_EQ(scene.world.bonds()[1].spacing, 20.0f);

  // The same text and settings give the same world, bit for bit.
  Scene again;
  again.settings.atomSpace = 20.0f;
  again.read(text);
  expectSameBodies(again.world, scene.world);
}

// The scene checker learns from the observer what each line did; listening changes nothing.
TEST(SceneText, ObserverIsToldWhatEachLineDidOnceItHasActed) {
  const std::string_view text =
      "# boxes\n"
      "\n"
      "atomspace = 12 \r\n"
      "ATOMSPAC=3\n"
      "just words\n"
      "BOX = 1, 2,2,2,9\n"
      " Box=0,0,2,2,9,0,extra\n"
      "=5\n"
      "SHOWATOMS=0";
  struct Seen {
    std::int64_t number;
    LineKind kind;
    std::string key, value, keyword;
    std::vector<std::string> fields;
    std::int32_t fieldsWanted;
    std::int32_t atomsSoFar;
  };
  Scene scene;
  std::vector<Seen> seen;
  readSceneText(scene.world, scene.settings, text, scene.images.loader(),
                [&](const SceneLine& line) {
                  seen.push_back({line.number, line.kind, std::string(line.key),
                                  std::string(line.value), std::string(line.keyword),
                                  std::vector<std::string>(line.fields.begin(), line.fields.end()),
                                  line.fieldsWanted, scene.world.atomCount()});
                });
  ASSERT_EQ(seen.size(), 9u);
  const auto expectLine = [&](std::size_t at, LineKind kind, std::string_view key,
                              std::string_view value, std::string_view keyword) {
    SCOPED_TRACE("line " + std::to_string(at + 1));
    EXPECT_EQ(seen[at].number, static_cast<std::int64_t>(at + 1));
    EXPECT_EQ(seen[at].kind, kind);
    EXPECT_EQ(seen[at].key, key);
    EXPECT_EQ(seen[at].value, value);
    EXPECT_EQ(seen[at].keyword, keyword);
  };
  expectLine(0, LineKind::comment, "", "", "");
  expectLine(1, LineKind::empty, "", "", "");
  expectLine(2, LineKind::setting, "atomspace", "12", "ATOMSPACE");
  expectLine(3, LineKind::unknownKey, "ATOMSPAC", "3", "");
  expectLine(4, LineKind::noEquals, "", "", "");
  expectLine(5, LineKind::shortBody, "BOX", "1, 2,2,2,9", "BOX");
  EXPECT_EQ(seen[5].fields, (std::vector<std::string>{"1", " 2", "2", "2", "9"}));
  EXPECT_EQ(seen[5].fieldsWanted, 6);
  expectLine(6, LineKind::body, "Box", "0,0,2,2,9,0,extra", "BOX");
  // The last field ends at the next comma; the rest of the line is ignored.
  EXPECT_EQ(seen[6].fields, (std::vector<std::string>{"0", "0", "2", "2", "9", "0"}));
  EXPECT_EQ(seen[6].atomsSoFar, 4);  // told after the box was built
  expectLine(7, LineKind::unknownKey, "", "5", "");
  expectLine(8, LineKind::setting, "SHOWATOMS", "0", "SHOWATOMS");

  Scene unobserved;
  unobserved.read(text);
  expectSameBodies(scene.world, unobserved.world);
  EXPECT_EQ(fieldsOf(scene.settings), fieldsOf(unobserved.settings));
}

TEST(SceneText, StrayBytesDoNoHarm) {
  using std::string_literals::operator""s;
  Scene scene;
  scene.read(
      "\xEF\xBB\xBF"
      "ATOMSIZE=6\n"
      "\0ATOMSPACE=3\n"
      "ATOMSPACE=12\0junk\n"
      "\0\0\0\n"
      "\xFF\xFE=\xFF\n"
      "BOX=\0,\0,2,2,\0,0\n"
      "MAXSPEED=7\n"s);
  // The byte-order mark belongs to the first key, which then matches nothing.
  EXPECT_EQ(scene.settings.atomSize, 4.0f);
  EXPECT_EQ(scene.settings.atomSpace, 12.0f);
  EXPECT_EQ(scene.settings.maxSpeed, 7.0f);
  EXPECT_EQ(scene.world.atomCount(), 4);
  EXPECT_EQ(scene.world.atoms()[1].pos.x, 0.0f);
}

TEST(SceneText, HugeLinesAndFieldListsAreReadInOnePass) {
  const std::size_t tenMegabytes = std::size_t{10} << 20;
  Scene scene;
  scene.read("ATOMSIZE=" + std::string(tenMegabytes, '1') + "\nMAXSPEED=7");
  EXPECT_EQ(scene.settings.atomSize, std::numeric_limits<float>::infinity());
  EXPECT_EQ(scene.settings.maxSpeed, 7.0f);

  scene.read(std::string(tenMegabytes, 'a') + "=6\nATOMSPACE=" + std::string(tenMegabytes, ' ') +
             "3" + std::string(tenMegabytes, ' '));
  EXPECT_EQ(scene.settings.atomSpace, 3.0f);

  const std::string commas(1'000'000, ',');
  scene.read("BOX=0,0,2,2,1,0" + commas + "\nBOX=" + commas + "\nTRIANGLE" + commas + "=1");
  EXPECT_EQ(scene.world.atomCount(), 4);
}

TEST(FieldSplitting, CommasSplitIntoAtMostTheWantedFields) {
  using Fields = std::vector<std::string_view>;
  EXPECT_EQ(splitFields("a,b,c", 2), (Fields{"a", "b"}));
  EXPECT_EQ(splitFields("a,b", 5), (Fields{"a", "b"}));
  EXPECT_EQ(splitFields("a,", 5), (Fields{"a", ""}));
  EXPECT_EQ(splitFields(",,", 5), (Fields{"", "", ""}));
  EXPECT_EQ(splitFields("", 3), (Fields{""}));
  EXPECT_EQ(splitFields(" 1 , 2 ", 2), (Fields{" 1 ", " 2 "}));
  EXPECT_EQ(splitFields("a,b", 0), Fields{});
  EXPECT_EQ(splitFields("a,b", -1), Fields{});
  EXPECT_EQ(splitFields(std::string(1'000'000, ','), 7).size(), 7u);
}

}  // namespace
}  // namespace squish::scene
