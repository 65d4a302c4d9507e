#pragma once
// Helpers for driving the whole program headless in tests: scratch files, scripted frames and
// a replica world stepped by hand to compare with, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/whole_file.h"
#include "headless/headless_program.h"

namespace squish::headless::testing {

// A directory of its own for each test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string("squish_app_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }

  std::string write(const std::string& name, const std::string& content) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
  }
  std::string path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The file's bytes, or none when it cannot be read.
inline std::string fileBytes(const std::string& path) {
  return files::readWholeFile(path).bytes;
}

// Runs one frame with the script's lines for that frame ("FRAME KIND ARGS" text, where FRAME
// is the number of the frame about to run).
inline bool runFrameWith(HeadlessProgram& program, const std::string& lines) {
  const InputScriptResult script = parseInputScript(lines);
  EXPECT_TRUE(script.ok()) << script.error;
  return program.runFrame(script.script);
}

inline std::string atFrame(const HeadlessProgram& program, const std::string& message) {
  return std::to_string(program.framesRun() + 1) + " " + message + "\n";
}

// Both worlds hold the same atoms and bonds, every field bit for bit.
inline void expectSameWorld(const sim::World& expected, const sim::World& actual) {
  ASSERT_EQ(expected.atomCount(), actual.atomCount());
  ASSERT_EQ(expected.bondCount(), actual.bondCount());
  for (std::int32_t i = 1; i <= expected.atomCount(); ++i) {
    const sim::Atom& e = expected.atoms()[i];
    const sim::Atom& a = actual.atoms()[i];
    EXPECT_EQ(e.alive, a.alive) << "atom " << i;
    EXPECT_EQ(std::memcmp(&e.pos, &a.pos, sizeof e.pos), 0) << "atom " << i << " position";
    EXPECT_EQ(std::memcmp(&e.vel, &a.vel, sizeof e.vel), 0) << "atom " << i << " velocity";
  }
  for (std::int32_t i = 1; i <= expected.bondCount(); ++i) {
    const sim::Bond& e = expected.bonds()[i];
    const sim::Bond& a = actual.bonds()[i];
    EXPECT_EQ(e.alive, a.alive) << "bond " << i;
    EXPECT_EQ(e.atomA, a.atomA) << "bond " << i;
    EXPECT_EQ(e.atomB, a.atomB) << "bond " << i;
    EXPECT_EQ(std::memcmp(&e.restLength, &a.restLength, sizeof e.restLength), 0) << "bond " << i;
  }
}

}  // namespace squish::headless::testing
