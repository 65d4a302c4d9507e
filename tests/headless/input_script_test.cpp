// Input files of squish-headless: every message kind, ordering by frame, modifiers, and the
// line number of the first malformed line.
#include "headless/input_script.h"

#include <gtest/gtest.h>

namespace squish::headless {
namespace {

using display::MessageKind;

TEST(InputScript, EveryKindBecomesItsWindowMessage) {
  const InputScriptResult r = parseInputScript(
      "# a comment\n"
      "\n"
      "1 mouse 10 -20\n"
      "1 down left\n"
      "1 up right\n"
      "1 down middle\n"
      "1 wheel -3\n"
      "1 keydown 72 extended\n"
      "1 keyup 57\n"
      "1 char 255\n"
      "1 focus in\n"
      "1 focus out\n"
      "1 close\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  const auto m = messagesForFrame(r.script, 1);
  ASSERT_EQ(m.size(), 11u);
  EXPECT_EQ(m[0].message.kind, MessageKind::pointerMove);
  EXPECT_EQ(m[0].message.value, 10);
  EXPECT_EQ(m[0].message.y, -20);
  EXPECT_EQ(m[1].message.kind, MessageKind::buttonDown);
  EXPECT_EQ(m[1].message.value, 1);
  EXPECT_EQ(m[2].message.kind, MessageKind::buttonUp);
  EXPECT_EQ(m[2].message.value, 2);
  EXPECT_EQ(m[3].message.value, 4);
  EXPECT_EQ(m[4].message.kind, MessageKind::wheel);
  EXPECT_EQ(m[4].message.value, -3);
  EXPECT_EQ(m[5].message.kind, MessageKind::keyDown);
  EXPECT_EQ(m[5].message.value, 72);
  EXPECT_TRUE(m[5].message.extended);
  EXPECT_FALSE(m[5].message.producedCharacter);
  EXPECT_EQ(m[6].message.kind, MessageKind::keyUp);
  EXPECT_FALSE(m[6].message.extended);
  EXPECT_EQ(m[7].message.kind, MessageKind::character);
  EXPECT_EQ(m[7].message.value, 255);
  EXPECT_EQ(m[8].message.kind, MessageKind::focusIn);
  EXPECT_EQ(m[9].message.kind, MessageKind::focusOut);
  EXPECT_EQ(m[10].message.kind, MessageKind::close);
}

TEST(InputScript, UnsortedLinesAreGroupedByFrameKeepingFileOrder) {
  const InputScriptResult r = parseInputScript(
      "5 char 1\n"
      "2 char 2\n"
      "5 char 3\n"
      "2 char 4\n");
  ASSERT_TRUE(r.ok());
  const auto two = messagesForFrame(r.script, 2);
  const auto five = messagesForFrame(r.script, 5);
  ASSERT_EQ(two.size(), 2u);
  ASSERT_EQ(five.size(), 2u);
  EXPECT_EQ(two[0].message.value, 2);
  EXPECT_EQ(two[1].message.value, 4);
  EXPECT_EQ(five[0].message.value, 1);
  EXPECT_EQ(five[1].message.value, 3);
  EXPECT_TRUE(messagesForFrame(r.script, 1).empty());
  EXPECT_TRUE(messagesForFrame(r.script, 3).empty());
  EXPECT_TRUE(messagesForFrame(r.script, 6).empty());
}

TEST(InputScript, MalformedLinesAreReportedWithTheirLineNumber) {
  const char* bad[] = {
      "0 char 1",      "-1 char 1",    "x char 1",         "1",
      "1 jump",        "1 mouse 10",   "1 mouse 10 20 30", "1 mouse a 2",
      "1 down",        "1 down both",  "1 wheel 0",        "1 wheel",
      "1 keydown 128", "1 keydown -1", "1 keydown 1 ext",  "1 keydown 1 extended x",
      "1 char 256",    "1 char -1",    "1 focus",          "1 focus sideways",
      "1 close now",   "1 MOUSE 1 2",  "1.5 char 1",       "1 char 1.0",
  };
  for (const char* line : bad) {
    const InputScriptResult r = parseInputScript(std::string("# ok\n\n1 char 65\n") + line + "\n");
    EXPECT_FALSE(r.ok()) << line;
    EXPECT_EQ(r.errorLine, 4) << line;
    EXPECT_NE(r.error.find("line 4"), std::string::npos) << r.error;
    EXPECT_TRUE(r.script.messages.empty());
  }
}

TEST(InputScript, BlankAndCommentLinesAndEdgeBoundsAreAccepted) {
  const InputScriptResult r = parseInputScript(
      "   \n\t\n  # indented comment\n"
      "1 keydown 0\n1 keyup 127 extended\n1 char 0\n1 wheel 2147483647\n"
      "9223372036854775807 close");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.script.messages.size(), 5u);
  EXPECT_EQ(messagesForFrame(r.script, 9223372036854775807LL).size(), 1u);
  EXPECT_TRUE(parseInputScript("").ok());
}

}  // namespace
}  // namespace squish::headless
