// Whole files: what reading refuses and why, and writes that replace a file only when complete.
#include "files/whole_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace squish::files {
namespace {

namespace fs = std::filesystem;

class WholeFileTest : public ::testing::Test {
 protected:
  WholeFileTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("squish_files_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~WholeFileTest() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(path(name), std::ios::binary) << content;
    return path(name);
  }
  // The names in the folder, so a temporary left behind shows.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }

  fs::path dir_;
};

TEST_F(WholeFileTest, ReadingTakesOnlyWholeOrdinaryFiles) {
  const std::string text("scene\0with a zero\r\n", 19);
  const WholeFile file = readWholeFile(write("scene.txt", text));
  EXPECT_TRUE(file.ok());
  EXPECT_EQ(file.bytes, text);
  EXPECT_EQ(file.data().size(), 19u);

  EXPECT_EQ(readWholeFile(path("missing.txt")).error, "No such file or directory");
  EXPECT_EQ(readWholeFile(dir_.string()).error, "not an ordinary file");
  EXPECT_EQ(readWholeFile("/dev/zero").error, "not an ordinary file");
  // A pipe with no writer is refused at once instead of waiting for one.
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  EXPECT_EQ(readWholeFile(path("pipe")).error, "not an ordinary file");

  const WholeFile large = readWholeFile(write("large.txt", std::string(100, 'x')), 99);
  EXPECT_EQ(large.error, "larger than 99 bytes");
  EXPECT_TRUE(large.bytes.empty());
  EXPECT_TRUE(readWholeFile(path("large.txt"), 100).ok());
}

TEST_F(WholeFileTest, WritesReplaceTheFileOnlyWhenComplete) {
  const std::string target = write("dump.json", "old");
  ::chmod(target.c_str(), 0640);
  const std::string big(3 << 20, 'n');
  EXPECT_TRUE(writeWholeFile(target, big).ok());
  std::ifstream written(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), big);
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
  EXPECT_EQ(names(), std::vector<std::string>{"dump.json"});

  // Abandoned after the first part: the old file stays and no temporary is left.
  int parts = 0;
  const WriteResult abandoned = writeWholeFile(target, "new", [&] { return ++parts < 2; });
  EXPECT_TRUE(abandoned.interrupted);
  EXPECT_FALSE(abandoned.ok());
  const WriteResult cut =
      writeWholeFile(target, std::string(5 << 20, 'c'), [&] { return ++parts < 4; });
  EXPECT_TRUE(cut.interrupted);
  std::ifstream kept(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), big);
  EXPECT_EQ(names(), std::vector<std::string>{"dump.json"});

  EXPECT_EQ(writeWholeFile(path("no/such/folder.json"), "x").error, "No such file or directory");

  // A link keeps leading to the file it names; a device is written, never replaced.
  fs::create_symlink(target, path("link.json"));
  EXPECT_TRUE(writeWholeFile(path("link.json"), "through the link").ok());
  EXPECT_TRUE(fs::is_symlink(path("link.json")));
  EXPECT_EQ(readWholeFile(target).bytes, "through the link");
  EXPECT_TRUE(writeWholeFile("/dev/null", "nothing").ok());
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace squish::files
