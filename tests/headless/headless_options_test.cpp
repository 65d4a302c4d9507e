// The squish-headless command line: defaults, every option, the scene list, usage errors, and
// --help and --version.
#include "headless/headless_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "headless/headless_program.h"

namespace squish::headless {
namespace {

HeadlessOptionsResult parse(std::vector<std::string> arguments) {
  return parseHeadlessOptions(arguments);
}

TEST(HeadlessOptions, ReadsEveryOptionAndKeepsScenesInOrder) {
  const HeadlessOptionsResult r =
      parse({"--frames", "500", "--input", "in.txt", "--seed", "-7", "--dump", "-", "--shot",
             "out.bmp", "--reference-step", "--threads", "2", "a.txt", "", "b.txt"});
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.options.frames, 500);
  EXPECT_EQ(r.options.inputFile, "in.txt");
  EXPECT_EQ(r.options.seed, -7);
  EXPECT_EQ(r.options.dumpFile, "-");
  EXPECT_EQ(r.options.shotFile, "out.bmp");
  EXPECT_TRUE(r.options.referenceStep);
  EXPECT_EQ(r.options.threads, 2);
  EXPECT_EQ(r.options.scenes, (std::vector<std::string>{"a.txt", "", "b.txt"}));
}

TEST(HeadlessOptions, OptionsMayFollowScenesUntilDoubleDash) {
  const HeadlessOptionsResult r = parse({"tower.txt", "--frames", "0", "--", "--seed", "-x"});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.options.frames, 0);
  EXPECT_EQ(r.options.seed, 1);
  EXPECT_EQ(r.options.scenes, (std::vector<std::string>{"tower.txt", "--seed", "-x"}));
}

TEST(HeadlessOptions, MalformedOrOutOfRangeNumbersAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {"--frames"},
      {"--frames", "x"},
      {"--frames", "-1"},
      {"--frames", "1.5"},
      {"--frames", "+3"},
      {"--frames", " 3"},
      {"--frames", "3 "},
      {"--frames", ""},
      {"--frames", "2147483648"},
      {"--seed", "2147483648"},
      {"--seed", "-2147483649"},
      {"--seed", "1e3"},
      {"--frames", "99999999999999999999999"},
      {"--threads", "0"},
      {"--threads", "3"},
  };
  for (const auto& arguments : bad) {
    const HeadlessOptionsResult r = parse(arguments);
    EXPECT_FALSE(r.ok()) << arguments.back();
    EXPECT_EQ(r.error.find('\n'), std::string::npos);
  }
  EXPECT_EQ(parse({"--frames", "2147483647"}).options.frames, 2147483647);
  EXPECT_EQ(parse({"--seed", "-2147483648"}).options.seed, -2147483648LL);
}

TEST(HeadlessOptions, UnknownOptionsAndMissingFileNamesAreUsageErrors) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"-f"}, {"--input"}, {"--dump"}, {"--shot"}, {"--input", ""}}) {
    const HeadlessOptionsResult r = parse(arguments);
    EXPECT_FALSE(r.ok()) << arguments[0];
  }
  EXPECT_NE(parse({"--bogus"}).error.find("--bogus"), std::string::npos);
}

TEST(HeadlessOptions, HelpAndVersionPrintAndExitZeroBeforeAnyFrame) {
  for (const char* option : {"--help", "--version"}) {
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> arguments = {option, "--dump", "-"};
    EXPECT_EQ(runHeadless(arguments, out, err), 0);
    EXPECT_EQ(out.str().find("squish-headless"), option[2] == 'h' ? 7u : 0u) << out.str();
    EXPECT_EQ(out.str().find("\"frame\""), std::string::npos);
    EXPECT_TRUE(err.str().empty());
  }
}

}  // namespace
}  // namespace squish::headless
