// The squish command line, read through the option reader both programs share.
#include "app/squish_options.h"

#include <gtest/gtest.h>

namespace squish::app {
namespace {

SquishOptionsResult parse(std::vector<std::string> arguments) {
  return parseSquishOptions(arguments);
}

TEST(SquishOptions, ReadsEveryOptionAndNeedsDoubleDashBeforeADashedScene) {
  const SquishOptionsResult defaults = parse({"a.txt", "", "b.txt"});
  ASSERT_TRUE(defaults.ok());
  EXPECT_EQ(defaults.options.pace, 500);
  EXPECT_EQ(defaults.options.scale, 0);
  EXPECT_EQ(defaults.options.threads, 0);
  EXPECT_FALSE(defaults.options.paused || defaults.options.stats || defaults.options.help);
  EXPECT_EQ(defaults.options.scenes, (std::vector<std::string>{"a.txt", "", "b.txt"}));

  const SquishOptionsResult all = parse({"--pace", "0", "tower.txt", "--scale", "3", "--paused",
                                         "--stats", "--threads", "1", "--", "--odd"});
  ASSERT_TRUE(all.ok()) << all.error;
  EXPECT_EQ(all.options.pace, 0);
  EXPECT_EQ(all.options.scale, 3);
  EXPECT_EQ(all.options.threads, 1);
  EXPECT_TRUE(all.options.paused && all.options.stats);
  EXPECT_EQ(all.options.scenes, (std::vector<std::string>{"tower.txt", "--odd"}));
  EXPECT_EQ(parse({"--pace", "15"}).options.pace, 15);
  EXPECT_EQ(parse({"--pace", "32000"}).options.pace, 32000);
  EXPECT_TRUE(parse({"--help"}).options.help);
  EXPECT_TRUE(parse({"--version"}).options.version);

  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"--odd"},
                                             {"--pace"},
                                             {"--pace", "14"},
                                             {"--pace", "32001"},
                                             {"--pace", "-1"},
                                             {"--pace", "fast"},
                                             {"--scale", "0"},
                                             {"--scale", "17"},
                                             {"--threads", "0"},
                                             {"--threads", "3"},
                                             {"-p"}}) {
    const SquishOptionsResult r = parse(bad);
    EXPECT_FALSE(r.ok()) << bad[0];
    EXPECT_NE(r.error.find(bad[0]), std::string::npos) << r.error;
    EXPECT_EQ(r.error.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace squish::app
