// squish-headless as a whole: exit statuses and one-line messages for usage errors, the frame
// count, Quit, and dumps and shots that repeat byte for byte and read back.
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "display/headless_presenter.h"
#include "display/image.h"
#include "tests/headless/headless_fixture.h"

namespace squish::headless {
namespace {

using testing::fileBytes;
using testing::ScratchDir;

struct RunResult {
  int status = 0;
  std::string out;
  std::string err;
};

RunResult run(std::vector<std::string> arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runHeadless(arguments, out, err);
  return {status, out.str(), err.str()};
}

TEST(HeadlessRun, UsageErrorsExitWithTwoAndOneLineBeforeAnyFrame) {
  ScratchDir dir;
  const std::string dump = dir.path("dump.json");
  const std::string bad = dir.write("bad.txt", "# fine\n1 mouse 1 2\n\n2 wheel 0\n");
  // A word of the input quoted in a message is cut short and its control bytes escaped.
  const std::string noisy = dir.write("noisy.txt", "1 \x1b[2J" + std::string(5000, 'k') + "\n");
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--bogus", "--dump", dump},
                                             {"--dump", dump, "--frames", "many"},
                                             {"--dump", dump, "--threads", "0"},
                                             {"--dump", dump, "--threads", "3"},
                                             {"--dump", dump, "--input", dir.path("missing.txt")},
                                             {"--dump", dump, "--input", bad},
                                             {"--dump", dump, "--input", noisy},
                                             {"--dump", dump, "--input", dir.path("")},
                                             {"--dump", dump, "--input", "/dev/zero"}}) {
    const RunResult r = run(arguments);
    EXPECT_EQ(r.status, 2) << arguments.back();
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_LT(r.err.size(), 300u) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dump));
  }
  EXPECT_NE(run({"--input", bad}).err.find("line 4"), std::string::npos);
  EXPECT_NE(run({"--input", noisy}).err.find("'\\x1b[2Jkkk"), std::string::npos);
  EXPECT_NE(run({"--input", "/dev/zero"}).err.find("not an ordinary file"), std::string::npos);
}

TEST(HeadlessRun, DumpCountsFramesAndShowsTheDefaultScene) {
  const RunResult none = run({"--frames", "0", "--dump", "-"});
  EXPECT_EQ(none.status, 0);
  EXPECT_NE(none.out.find("\"frame\": 0,"), std::string::npos);
  EXPECT_NE(none.out.find("\"atomCount\": 237, \"atomCapacity\": 256, \"bondCount\": 639, "
                          "\"bondCapacity\": 1024,"),
            std::string::npos);
  EXPECT_NE(none.out.find("\"panel\": null,"), std::string::npos);
  EXPECT_NE(none.out.find("\n    [-1, 100, 150, 0, 0, -1, 14],\n"), std::string::npos);
  const RunResult three = run({"--frames", "3", "--dump", "-"});
  EXPECT_NE(three.out.find("\"frame\": 3,"), std::string::npos);
  EXPECT_NE(three.out.find("\"quit\": false,"), std::string::npos);
}

TEST(HeadlessRun, QuitEndsTheRunEarlyWithStatusZero) {
  ScratchDir dir;
  const std::string input =
      dir.write("quit.txt", "1 keydown 1\n2 keyup 1\n3 mouse 106 276\n4 down left\n5 up left\n");
  const RunResult r = run({"--frames", "100", "--input", input, "--dump", "-"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"frame\": 6,"), std::string::npos);
  EXPECT_NE(r.out.find("\"quit\": true,"), std::string::npos);
  EXPECT_NE(r.out.find("\"panel\": {\"visible\": false, \"x\": 4, \"y\": 4, \"fields\": [\"4\", "
                       "\"10\", \"5\""),
            std::string::npos);
}

TEST(HeadlessRun, DumpsAndShotsRepeatByteForByteAndShotsReadBack) {
  ScratchDir dir;
  const std::string input = dir.write("kick.txt", "3 char 32\n5 mouse 420 330\n6 down right\n");
  const std::vector<std::string> arguments = {
      "--frames", "20",     "--input",          input,    "--seed",
      "5",        "--dump", dir.path("a.json"), "--shot", dir.path("a.bmp")};
  ASSERT_EQ(run(arguments).status, 0);
  std::vector<std::string> again = arguments;
  again[7] = dir.path("b.json");
  again[9] = dir.path("b.bmp");
  ASSERT_EQ(run(again).status, 0);
  EXPECT_TRUE(fileBytes(dir.path("a.json")) == fileBytes(dir.path("b.json")));
  EXPECT_TRUE(fileBytes(dir.path("a.bmp")) == fileBytes(dir.path("b.bmp")));
  std::vector<std::string> otherSeed = arguments;
  otherSeed[5] = "6";
  otherSeed[7] = dir.path("c.json");
  otherSeed[9] = dir.path("c.bmp");
  ASSERT_EQ(run(otherSeed).status, 0);
  EXPECT_TRUE(fileBytes(dir.path("a.json")) != fileBytes(dir.path("c.json")));

  HeadlessProgram program({}, 5);
  const InputScriptResult script = parseInputScript(fileBytes(input));
  while (program.framesRun() < 20)
    program.runFrame(script.script);
  // The program run in-process is the same as squish-headless.
  EXPECT_TRUE(program.stateDump() == fileBytes(dir.path("a.json")));
  display::HeadlessPresenter presenter;
  display::Screen reader;
  reader.presenter = &presenter;
  ASSERT_TRUE(display::openScreen(reader, 18, 8, 2, 0, 0));
  display::ImageBuffer image(4 + 640 * 480);
  ASSERT_EQ(display::loadImageFile(reader, dir.path("a.bmp"), image), display::loaded);
  EXPECT_EQ(display::imageWidth(image), 640);
  EXPECT_EQ(display::imageHeight(image), 480);
  const std::vector<std::uint8_t>& page = program.screen().pages[program.screen().visiblePage];
  EXPECT_TRUE(std::equal(page.begin(), page.end(), image.begin() + 4));
  EXPECT_EQ(reader.palette, program.screen().palette);
  display::closeScreen(reader);
}

// The fast step and the plain one give the same world and picture, frame for frame, through
// drags, a kick and the impacts of the default scene landing.
TEST(HeadlessRun, ReferenceStepGivesTheSameRun) {
  ScratchDir dir;
  const std::string input =
      dir.write("drag.txt",
                "2 mouse 420 330\n3 down right\n9 mouse 200 100\n40 up right\n"
                "60 char 32\n");
  const std::vector<std::string> fast = {
      "--frames",          "150", "--input", input, "--dump", dir.path("fast.json"), "--shot",
      dir.path("fast.bmp")};
  std::vector<std::string> plain = fast;
  plain[5] = dir.path("plain.json");
  plain[7] = dir.path("plain.bmp");
  plain.push_back("--reference-step");
  ASSERT_EQ(run(fast).status, 0);
  ASSERT_EQ(run(plain).status, 0);
  EXPECT_TRUE(fileBytes(dir.path("fast.json")) == fileBytes(dir.path("plain.json")));
  EXPECT_TRUE(fileBytes(dir.path("fast.bmp")) == fileBytes(dir.path("plain.bmp")));
}

// Two overlapping boxes of 4,608 atoms, enough for the step to split its atoms between two
// threads, which push apart and glue on impact: the run is the same on one thread, on two, and
// with the plain step.
TEST(HeadlessRun, TwoThreadsGiveTheSameRun) {
  ScratchDir dir;
  const std::string scene =
      dir.write("boxes.txt", "BOX=-310,0,64,36,9,0.3\nBOX=-305,5,64,36,12,0.3\n");
  std::vector<std::string> dumps;
  for (const std::vector<std::string>& way : std::vector<std::vector<std::string>>{
           {"--threads", "1"}, {"--threads", "2"}, {"--reference-step"}}) {
    std::vector<std::string> arguments = {"--frames", "6", "--dump", dir.path("d.json"), scene};
    arguments.insert(arguments.end(), way.begin(), way.end());
    ASSERT_EQ(run(arguments).status, 0) << way[0];
    dumps.push_back(fileBytes(dir.path("d.json")));
  }
  EXPECT_TRUE(dumps[0] == dumps[1]);
  EXPECT_TRUE(dumps[0] == dumps[2]);
}

// A body of 4,624 atoms spaced closer than its springs can bear crumbles into a heap across the
// floor: contacts and impact bonds on both sides of the split, step after step, for 300 steps.
TEST(HeadlessRun, TwoThreadsCrumbleAHeapAsOneDoes) {
  ScratchDir dir;
  const std::string scene =
      dir.write("heap.txt", "ATOMSPACE=2\nATOMSIZE=0.8\nBOX=-68,10,68,68,9,0\n");
  std::vector<std::string> dumps;
  for (const char* threads : {"1", "2"}) {
    ASSERT_EQ(
        run({"--frames", "300", "--threads", threads, "--dump", dir.path("d.json"), scene}).status,
        0);
    dumps.push_back(fileBytes(dir.path("d.json")));
  }
  EXPECT_TRUE(dumps[0] == dumps[1]);
}

TEST(HeadlessRun, UnwritableOutputsAreReported) {
  const RunResult r = run({"--frames", "0", "--dump", "/nonexistent-dir/d.json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("/nonexistent-dir/d.json"), std::string::npos);
}

// A signal stops the run after its frame and nothing is written: the old dump stays.
TEST(HeadlessRun, SignalEndsTheRunWithoutWritingItsFiles) {
  ScratchDir dir;
  const std::string dump = dir.write("d.json", "the last complete dump");
  const volatile std::sig_atomic_t stop = SIGTERM;
  std::ostringstream out;
  std::ostringstream err;
  const std::vector<std::string> arguments = {"--frames", "5",      "--dump",
                                              dump,       "--shot", dir.path("s.bmp")};
  EXPECT_EQ(runHeadless(arguments, out, err, &stop), 128 + SIGTERM);
  EXPECT_EQ(fileBytes(dump), "the last complete dump");
  EXPECT_FALSE(std::filesystem::exists(dir.path("s.bmp")));
  EXPECT_EQ(err.str(), "");
}

// Unreadable scene and image files are told as the scene is built, every time; a shortage of
// memory for impact bonds once in a run, however long it lasts.
TEST(HeadlessRun, WhatCouldNotBeDoneIsToldOnOneLineEach) {
  ScratchDir dir;
  const std::string scene = dir.write("glue.txt",
                                      "BONDTHRESHOLD=-1e30\nATOMSPACE=0.5\nBREAKTHRESHOLD=1e30\n"
                                      "BITMAP=" +
                                          dir.path("nosuch.bmp") +
                                          ",8191,8191,0,0,1,0\n"
                                          "BOX=-5,5,10,10,9,0\n");
  std::ostringstream notices;
  HeadlessProgram program({dir.path("missing\x1b.txt"), scene}, 1, false, &notices);
  EXPECT_EQ(program.world().atomCount(), 100);
  program.world().faults().failFrom = program.world().faults().growths + 3;
  for (int frame = 0; frame < 10; ++frame)
    ASSERT_TRUE(program.runFrame());
  EXPECT_EQ(notices.str(), "squish-headless: cannot read scene file '" +
                               dir.path("missing\\x1b.txt") +
                               "': No such file or directory\n"
                               "squish-headless: cannot read image file '" +
                               dir.path("nosuch.bmp") +
                               "': No such file or directory\n"
                               "squish-headless: out of memory: impact bonds not made\n");
}

}  // namespace
}  // namespace squish::headless
