// Scene files on disk: read byte for byte like their text, missing or unreadable names adding
// nothing, and settings carried from one file to the next.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "scene/scene_reader.h"
#include "tests/scene/scene_test_support.h"

namespace squish::scene {
namespace {

using std::string_literals::operator""s;

class SceneFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "scene_tests_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(directory); }

  std::string writeFile(const std::string& name, std::string_view contents) {
    const std::filesystem::path path = directory / name;
    std::ofstream file(path, std::ios::binary);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return path.string();
  }

  void read(const std::string& fileName) {
    readSceneFile(world, settings, fileName, images.loader());
  }

  std::filesystem::path directory;
  sim::World world;
  sim::SimSettings settings;
  FakeImageFiles images;
};

TEST_F(SceneFiles, AFileReadsExactlyLikeItsText) {
  const std::string text =
      "ATOMSPACE=20\r\n\0\0#\xFF\r\nBOX=0,0,2,2,9,0\r\nBITMAP=Big=Shape.bmp,3,3,0,0,0,0\r\n"
      "SHOWATOMS=0"s;
  read(writeFile("scene.txt", text));

  sim::World expected;
  sim::SimSettings expectedSettings;
  FakeImageFiles expectedImages;
  readSceneText(expected, expectedSettings, text, expectedImages.loader());

  EXPECT_EQ(world.atomCount(), 4 + 9);
  EXPECT_EQ(settings.showAtoms, 0);
  EXPECT_EQ(images.names, std::vector<std::string>{"Big=Shape.bmp"});
  EXPECT_EQ(fieldsOf(settings), fieldsOf(expectedSettings));
  expectSameBodies(world, expected);
}

TEST_F(SceneFiles, MissingOrUnreadableNamesAddNothing) {
  const sim::SimSettings defaults;
  read((directory / "no such file.txt").string());
  read(directory.string());
  read("");
  read(writeFile("empty.txt", ""));
  // Neither a pipe with no writer nor an endless device may hang the reader.
  const std::string pipe = (directory / "pipe").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  read(pipe);
  read("/dev/zero");
  EXPECT_EQ(fieldsOf(settings), fieldsOf(defaults));
  EXPECT_EQ(world.atomCount(), 0);

  // The next file named is read as usual.
  read(writeFile("box.txt", "BOX=0,0,2,2,9,0"));
  EXPECT_EQ(world.atomCount(), 4);
}

TEST_F(SceneFiles, SettingsCarryOverToLaterFiles) {
  const std::string first = writeFile("first.txt", "ATOMSPACE=20\nSHOWATOMS=0\n");
  const std::string second = writeFile("second.txt", "BOX=0,0,2,2,9,0\n");
  read(first);
  read(second);
  ASSERT_EQ(world.atomCount(), 4);
  EXPECT_EQ(world.atoms()[2].pos.y, 20.0f);
  EXPECT_EQ(world.bonds()[1].restLength, 20.0f);
  EXPECT_EQ(settings.showAtoms, 0);
}

}  // namespace
}  // namespace squish::scene
