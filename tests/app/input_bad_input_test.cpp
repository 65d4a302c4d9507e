// Window input no real window would send: floods of keys, codes out of range, buttons released
// that were never pressed, the pointer far away, and the focus lost in the middle of a drag.
// The program must run on with its state sound.
#include <gtest/gtest.h>

#include <limits>

#include "display/input.h"
#include "tests/headless/headless_fixture.h"

namespace squish::app {
namespace {

using display::MessageKind;
using display::WindowMessage;
using headless::HeadlessProgram;
using headless::testing::runFrameWith;

constexpr std::int32_t intMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t intMin = std::numeric_limits<std::int32_t>::min();

void queue(HeadlessProgram& program, MessageKind kind, std::int32_t value, std::int32_t y = 0) {
  WindowMessage message;
  message.kind = kind;
  message.value = value;
  message.y = y;
  program.queueMessage(message);
}

TEST(InputBadInput, TenThousandKeysInOneFrameKeepTheLastFifteen) {
  HeadlessProgram program({}, 1);
  for (std::int32_t i = 0; i < 10000; ++i) {
    queue(program, MessageKind::character, 'a' + i % 26);
    queue(program, MessageKind::keyDown, i % 200 - 50);
    queue(program, MessageKind::keyUp, i % 200 - 50);
  }
  queue(program, MessageKind::character, 300);
  queue(program, MessageKind::character, -5);
  ASSERT_TRUE(program.runFrame());
  // The frame read one key; fourteen of the fifteen kept remain.
  std::int32_t pending = 0;
  while (!display::readKeyString(program.screen()).empty())
    ++pending;
  EXPECT_EQ(pending, 14);
  for (std::int32_t code : {-1, 128, 200, intMax, intMin}) {
    EXPECT_FALSE(display::isKeyDown(program.screen(), code)) << code;
  }
  EXPECT_EQ(program.world().atomCount(), 237);
}

TEST(InputBadInput, StrayReleasesAndAFarPointerTouchNothing) {
  HeadlessProgram program({}, 1);
  ASSERT_TRUE(runFrameWith(program, "1 mouse 420 330\n"));
  const sim::World before = program.world();
  for (std::int32_t button : {1, 2, 4, 8, -1, intMin})
    queue(program, MessageKind::buttonUp, button);
  queue(program, MessageKind::pointerMove, intMax, intMin);
  queue(program, MessageKind::wheel, intMin);
  ASSERT_TRUE(program.runFrame());
  EXPECT_EQ(program.frame().heldAtom, 0);
  EXPECT_FALSE(program.frame().mouse);
  queue(program, MessageKind::pointerMove, 420, 330);
  ASSERT_TRUE(program.runFrame());
  ASSERT_TRUE(program.frame().mouse);
  EXPECT_EQ(program.frame().mouse->buttons, 0);
  EXPECT_EQ(program.world().atomCount(), before.atomCount());
}

// Losing the focus releases every button, so a window drag and a held atom both end and the
// next press starts afresh.
TEST(InputBadInput, FocusLostWhileDraggingEndsTheDrag) {
  HeadlessProgram program({}, 1);
  ASSERT_TRUE(runFrameWith(program, "1 keydown 1\n"));
  ASSERT_TRUE(runFrameWith(program, "2 keyup 1\n"));
  widgets::Widget* window = program.panel().panelWindow;
  ASSERT_NE(window, nullptr);
  // (100, 125) is the window's own face, between the rows of labels and fields.
  ASSERT_TRUE(runFrameWith(program, "3 mouse 100 125\n"));
  ASSERT_TRUE(runFrameWith(program, "4 down left\n"));
  ASSERT_TRUE(runFrameWith(program, "5 mouse 150 135\n"));
  EXPECT_EQ(window->rect.x, 54);
  EXPECT_EQ(window->rect.y, 14);
  ASSERT_TRUE(runFrameWith(program, "6 focus out\n"));
  ASSERT_TRUE(runFrameWith(program, "7 focus in\n7 mouse 300 300\n"));
  ASSERT_TRUE(runFrameWith(program, "8 mouse 320 310\n"));
  EXPECT_EQ(window->rect.x, 54);
  EXPECT_EQ(window->rect.y, 14);
  EXPECT_EQ(program.frame().heldAtom, 0);
}

}  // namespace
}  // namespace squish::app
