// The real-time controls driven headless: pause and single step, restart, the pace keys, the
// help and statistics overlays, Ctrl+Q and the close note, presses that begin and end within
// one frame, keys typed into a focused field, and the unreadable scene file notice.
#include <gtest/gtest.h>

#include <sstream>

#include "panel/settings_panel.h"
#include "sim/step.h"
#include "tests/headless/headless_fixture.h"

namespace squish::app {
namespace {

using headless::HeadlessProgram;
using headless::runHeadless;
using headless::testing::atFrame;
using headless::testing::expectSameWorld;
using headless::testing::runFrameWith;
using headless::testing::ScratchDir;

// Typed characters, as the window delivers them.
constexpr const char* pauseKey = "char 112";   // p
constexpr const char* stepKey = "char 110";    // n
constexpr const char* restartKey = "char 82";  // R

bool dumpSays(HeadlessProgram& program, const std::string& text) {
  return program.stateDump().find(text) != std::string::npos;
}

// How many pixels of the colour lie in rows top..bottom of the visible page.
int pixelsOfColour(display::Screen& screen, int top, int bottom, std::uint8_t colour) {
  const std::vector<std::uint8_t>& page = screen.pages[screen.visiblePage];
  int count = 0;
  for (int y = top; y <= bottom; ++y) {
    for (int x = 0; x < screen.width; ++x)
      count += page[static_cast<std::size_t>(y) * screen.pitch + x] == colour;
  }
  return count;
}

TEST(RealTime, PauseHoldsTheWorldWhileInputActsAndNStepsOnce) {
  HeadlessProgram program({}, 1);
  runFrameWith(program, atFrame(program, "mouse 600 400"));
  runFrameWith(program, atFrame(program, pauseKey));
  EXPECT_TRUE(dumpSays(program, "\"frame\": 2,\n  \"steps\": 1,\n  \"paused\": true,"));
  EXPECT_GT(pixelsOfColour(program.screen(), 14, 21, 14), 0);  // "PAUSED" in yellow

  // Paused, a drag still sets the held atom's velocity; nothing moves until N.
  const sim::Atom corner = program.world().atoms()[1];  // box 1's corner, screen (420, 330)
  runFrameWith(program, atFrame(program, "mouse 420 330"));
  runFrameWith(program, atFrame(program, "down left"));
  EXPECT_EQ(program.frame().heldAtom, 1);
  runFrameWith(program, atFrame(program, "mouse 420 300"));
  EXPECT_EQ(program.world().atoms()[1].pos.y, corner.pos.y);
  EXPECT_EQ(program.world().atoms()[1].vel.y, 180.0f - corner.pos.y);
  sim::World expected = program.world();
  sim::stepWorld(expected, program.settings());
  runFrameWith(program, atFrame(program, stepKey));
  expectSameWorld(expected, program.world());
  EXPECT_TRUE(dumpSays(program, "\"frame\": 6,\n  \"steps\": 2,\n  \"paused\": true,"));
  runFrameWith(program, atFrame(program, "up left"));
  EXPECT_TRUE(dumpSays(program, "\"steps\": 2,"));

  runFrameWith(program, atFrame(program, pauseKey));
  EXPECT_TRUE(dumpSays(program, "\"frame\": 8,\n  \"steps\": 3,\n  \"paused\": false,"));
  EXPECT_EQ(pixelsOfColour(program.screen(), 14, 21, 14), 0);
  // N while running is no extra step.
  runFrameWith(program, atFrame(program, stepKey));
  EXPECT_TRUE(dumpSays(program, "\"steps\": 4,"));
}

TEST(RealTime, RestartKeyRebuildsButKeysTypedIntoAFocusedFieldDoNothingElse) {
  HeadlessProgram program({}, 1);
  const sim::World built = program.world();
  for (int i = 0; i < 5; ++i)
    program.runFrame();
  runFrameWith(program, atFrame(program, restartKey));
  expectSameWorld(built, program.world());
  EXPECT_TRUE(dumpSays(program, "\"frame\": 6,\n  \"steps\": 5,"));

  // The panel's first field has the keyboard: p, n, r, + and - are typed, not acted on.
  runFrameWith(program, atFrame(program, "keydown 1") + atFrame(program, "keyup 1"));
  runFrameWith(program, atFrame(program, "mouse 142 36"));
  runFrameWith(program, atFrame(program, "down left") + atFrame(program, "up left"));
  const std::int32_t atoms = program.world().atomCount();
  for (const char* key : {pauseKey, stepKey, "char 114", "char 43", "char 45"})
    runFrameWith(program, atFrame(program, key));
  EXPECT_FALSE(program.state().pacer.paused);
  EXPECT_EQ(program.state().pacer.pace, 500.0);
  EXPECT_TRUE(dumpSays(program, "\"frame\": 14,\n  \"steps\": 13,"));
  EXPECT_EQ(program.world().atomCount(), atoms);
  const std::string field =
      panel::fieldText(program.panel().panelWindow, panel::fieldIdBase + 1);
  EXPECT_NE(field.find("pnr+-"), std::string::npos) << field;
}

TEST(RealTime, PaceKeysAndTheHelpAndStatisticsOverlays) {
  HeadlessProgram program({}, 1);
  const Pacer& pacer = program.state().pacer;
  for (const char* key : {"char 43", "char 61", "char 45", "char 45", "char 45"})
    runFrameWith(program, atFrame(program, key));
  EXPECT_EQ(pacer.pace, 250.0);
  // The virtual clock still runs one step per frame whatever the pace.
  EXPECT_TRUE(dumpSays(program, "\"frame\": 5,\n  \"steps\": 5,"));

  EXPECT_EQ(pixelsOfColour(program.screen(), 0, 11, 15), 0);
  runFrameWith(program, atFrame(program, "keydown 61") + atFrame(program, "keyup 61"));  // F3
  EXPECT_GT(pixelsOfColour(program.screen(), 2, 9, 15), 40);
  EXPECT_TRUE(program.state().overlays.statisticsText.find("250 steps/s") != std::string::npos)
      << program.state().overlays.statisticsText;
  for (int i = 0; i < 100; ++i)
    program.runFrame();
  // A second of the virtual clock: 100 steps and 100 pictures against the pace of 250.
  EXPECT_EQ(program.state().overlays.statisticsText.substr(0, 34),
            "100/250 steps/s  100 pictures/s  2");
  EXPECT_NE(program.state().overlays.statisticsText.find("PACE NOT KEPT"), std::string::npos);

  const auto helpBorder = [&] { return pixelsOfColour(program.screen(), 353, 353, 15); };
  EXPECT_LT(helpBorder(), 50);
  runFrameWith(program, atFrame(program, "keydown 59") + atFrame(program, "keyup 59"));  // F1
  EXPECT_GT(helpBorder(), 300);
  runFrameWith(program, atFrame(program, "keydown 59") + atFrame(program, "keyup 59"));
  EXPECT_LT(helpBorder(), 50);
  runFrameWith(program, atFrame(program, "keydown 59") + atFrame(program, "keyup 59"));
  runFrameWith(program, atFrame(program, "keydown 1"));  // Escape closes it (and opens the panel)
  EXPECT_LT(helpBorder(), 50);
}

TEST(RealTime, CloseShowsANoteForThreeSecondsAndCtrlQQuits) {
  ScratchDir dir;
  HeadlessProgram program({dir.path("empty.txt")}, 1);  // no atoms: white is the note's text
  const auto noteShown = [&] { return pixelsOfColour(program.screen(), 460, 469, 15) > 100; };
  program.runFrame();
  EXPECT_FALSE(noteShown());
  runFrameWith(program, atFrame(program, "close"));
  EXPECT_TRUE(noteShown());
  for (int i = 0; i < 298; ++i)
    program.runFrame();
  EXPECT_TRUE(noteShown());
  for (int i = 0; i < 5; ++i)
    program.runFrame();
  EXPECT_FALSE(noteShown());
  EXPECT_FALSE(program.quit());

  // Ctrl and Q held in one frame: that frame still runs, the next ends the loop.
  EXPECT_TRUE(
      runFrameWith(program, atFrame(program, "keydown 29") + atFrame(program, "keydown 16") +
                                atFrame(program, "keyup 16") + atFrame(program, "keyup 29")));
  EXPECT_FALSE(program.runFrame());
  EXPECT_TRUE(program.quit());

  // The typed control character Ctrl+Q makes does the same; Q alone does not.
  HeadlessProgram typed({}, 1);
  EXPECT_TRUE(runFrameWith(typed, atFrame(typed, "keydown 16") + atFrame(typed, "char 113")));
  EXPECT_TRUE(runFrameWith(typed, atFrame(typed, "keyup 16") + atFrame(typed, "keydown 29")));
  EXPECT_TRUE(runFrameWith(typed, atFrame(typed, "char 17")));
  EXPECT_FALSE(typed.runFrame());
}

TEST(RealTime, PressesThatEndWithinOneFrameAreNotLost) {
  HeadlessProgram program({}, 1);
  runFrameWith(program, atFrame(program, "keydown 1") + atFrame(program, "keyup 1"));
  widgets::Widget* window = program.panel().panelWindow;
  ASSERT_NE(window, nullptr);
  EXPECT_NE(window->flags & widgets::visible, 0u);
  // A click on Close whose press and release arrive in the same frame.
  runFrameWith(program, atFrame(program, "mouse 106 16"));
  runFrameWith(program, atFrame(program, "down left") + atFrame(program, "up left"));
  EXPECT_NE(window->flags & widgets::visible, 0u);  // pressed this frame, released the next
  program.runFrame();
  EXPECT_EQ(window->flags & widgets::visible, 0u);
  // A tap on an atom grabs it for one frame.
  runFrameWith(program, atFrame(program, "mouse 420 330"));
  runFrameWith(program, atFrame(program, "down left") + atFrame(program, "up left"));
  EXPECT_EQ(program.frame().heldAtom, 1);
  program.runFrame();
  EXPECT_EQ(program.frame().heldAtom, 0);
}

TEST(RealTime, AnUnreadableSceneFileIsReportedAndTheRunGoesOn) {
  ScratchDir dir;
  const std::string box = dir.write("box.txt", "BOX=0,0,2,2,14,0\n");
  const std::string missing = dir.path("tower.txt");
  std::ostringstream out;
  std::ostringstream err;
  const std::vector<std::string> arguments = {"--frames", "2", "--dump", "-", missing, box};
  EXPECT_EQ(runHeadless(arguments, out, err), 0);
  EXPECT_EQ(err.str(), "squish-headless: cannot read scene file '" + missing +
                           "': No such file or directory\n");
  EXPECT_NE(out.str().find("\"atomCount\": 4,"), std::string::npos);
}

}  // namespace
}  // namespace squish::app
