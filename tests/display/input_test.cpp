// Polling the input state (mouse, held keys, key strings), the clock and the random numbers.
#include "display/input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "display/headless_presenter.h"
#include "display/screen.h"
#include "display/window_messages.h"

namespace squish::display {
namespace {

void openTestScreen(Screen& screen) {
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0));
}

using Mouse = std::optional<MouseState>;

Mouse mouseOf(Screen& screen) {
  return readMouse(screen);
}

const Mouse failed = std::nullopt;

void movePointer(Screen& screen, std::int32_t x, std::int32_t y) {
  handleWindowMessage(screen, {MessageKind::pointerMove, x, y});
}

TEST(Mouse, ReadsInsideThePictureAndFailsOutsideIt) {
  Screen screen;
  EXPECT_EQ(mouseOf(screen), failed);  // no screen
  openTestScreen(screen);
  EXPECT_EQ(mouseOf(screen), failed);  // the pointer starts outside

  movePointer(screen, 100, 200);
  handleWindowMessage(screen, {MessageKind::wheel, 1});
  handleWindowMessage(screen, {MessageKind::buttonDown, 2});
  EXPECT_EQ(mouseOf(screen), (Mouse{MouseState{100, 200, 1, 2}}));
  movePointer(screen, 639, 479);
  EXPECT_EQ(mouseOf(screen), (Mouse{MouseState{639, 479, 1, 2}}));

  for (const auto& [x, y] : {std::pair{640, 0}, {0, 480}, {-1, 5}, {5, -1}}) {
    movePointer(screen, x, y);
    EXPECT_EQ(mouseOf(screen), failed) << x << "," << y;
  }
  // Back over the picture with the button still held: it reads as up until pressed again.
  movePointer(screen, 0, 0);
  EXPECT_EQ(mouseOf(screen), (Mouse{MouseState{0, 0, 1, 0}}));
  handleWindowMessage(screen, {MessageKind::buttonDown, 1});
  EXPECT_EQ(mouseOf(screen), (Mouse{MouseState{0, 0, 1, 1}}));

  handleWindowMessage(screen, {MessageKind::focusOut});
  EXPECT_EQ(mouseOf(screen), failed);
  handleWindowMessage(screen, {MessageKind::focusIn});
  EXPECT_EQ(mouseOf(screen), (Mouse{MouseState{0, 0, 1, 0}}));

  closeScreen(screen);
  EXPECT_EQ(mouseOf(screen), failed);
}

TEST(Mouse, FullScreenClampsThePointerToThePicture) {
  Screen screen;
  openTestScreen(screen);
  handleWindowMessage(screen, {MessageKind::fullScreen, 1});
  movePointer(screen, 700, -5);
  EXPECT_EQ(mouseOf(screen), (Mouse{MouseState{639, 0, 0, 0}}));
  movePointer(screen, INT32_MIN, INT32_MAX);
  EXPECT_EQ(mouseOf(screen), (Mouse{MouseState{0, 479, 0, 0}}));
}

TEST(Keys, IsKeyDownOnlyForHeldScanCodesInRange) {
  Screen screen;
  EXPECT_FALSE(isKeyDown(screen, 1));
  openTestScreen(screen);
  handleWindowMessage(screen, {MessageKind::keyDown, 1});
  handleWindowMessage(screen, {MessageKind::keyDown, 127});
  EXPECT_TRUE(isKeyDown(screen, 1));
  EXPECT_TRUE(isKeyDown(screen, 127));
  EXPECT_FALSE(isKeyDown(screen, 2));
  for (const std::int32_t outside : {-1, 128, 200, INT32_MIN, INT32_MAX}) {
    EXPECT_FALSE(isKeyDown(screen, outside)) << outside;
  }
  closeScreen(screen);
  EXPECT_FALSE(isKeyDown(screen, 1));
}

TEST(Keys, KeyStringsHaveOneOrTwoBytes) {
  Screen screen;
  EXPECT_EQ(readKeyString(screen), std::string());
  openTestScreen(screen);
  EXPECT_EQ(readKeyString(screen), std::string());
  handleWindowMessage(screen, {MessageKind::character, 'a'});
  handleWindowMessage(screen, {MessageKind::character, 0});
  handleWindowMessage(screen, {MessageKind::character, 255});
  handleWindowMessage(screen, {MessageKind::keyDown, 72, 0, true});
  EXPECT_EQ(readKeyString(screen), std::string("a"));
  EXPECT_EQ(readKeyString(screen), std::string());  // a 0 value reads as nothing
  EXPECT_EQ(readKeyString(screen), std::string(1, '\xFF'));
  EXPECT_EQ(readKeyString(screen), std::string("\xFF\x48"));
  EXPECT_EQ(readKeyString(screen), std::string());

  handleWindowMessage(screen, {MessageKind::close});
  closeScreen(screen);
  EXPECT_EQ(readKeyString(screen), std::string());
}

TEST(Clock, FollowsThePresenterOrTheProcessClock) {
  Screen screen;
  const double before = timerSeconds(screen);
  EXPECT_GE(timerSeconds(screen), before);

  HeadlessPresenter headless;
  screen.presenter = &headless;
  openTestScreen(screen);
  EXPECT_EQ(timerSeconds(screen), 0.0);
  for (int frame = 0; frame < 100; ++frame)
    headless.beforeFrame(screen);
  EXPECT_EQ(timerSeconds(screen), 1.0);
}

TEST(Random, SequenceIsFixedAndInsideTheUnitInterval) {
  Screen screen;
  RandomGenerator random;
  EXPECT_EQ(randomUnit(random, 0), 0.0);
  seedRandom(random, screen, 1.0);
  // The generator's sequence for seed 1, after the discarded first value.
  for (const int expected : {18467, 6334, 26500, 19169, 15724}) {
    EXPECT_EQ(randomUnit(random, 1), expected / 32768.0);
    EXPECT_EQ(randomUnit(random, 0), expected / 32768.0);
  }
  for (int i = 0; i < 100000; ++i) {
    const double r = randomUnit(random, 7);
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    ASSERT_EQ(r * 32768.0, std::floor(r * 32768.0));
  }
}

TEST(Random, SeedIsTruncatedAndSaturated) {
  Screen screen;
  auto firstAfterSeed = [&screen](double seed) {
    RandomGenerator random;
    seedRandom(random, screen, seed);
    return randomUnit(random, 1);
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(firstAfterSeed(nan), firstAfterSeed(0.0));
  EXPECT_EQ(firstAfterSeed(2.9), firstAfterSeed(2.0));
  EXPECT_EQ(firstAfterSeed(-2.9), firstAfterSeed(-2.0));
  EXPECT_EQ(firstAfterSeed(1e300), firstAfterSeed(2147483647.0));
  EXPECT_EQ(firstAfterSeed(infinity), firstAfterSeed(2147483647.0));
  EXPECT_EQ(firstAfterSeed(-1e300), firstAfterSeed(-2147483648.0));
  EXPECT_NE(firstAfterSeed(1.0), firstAfterSeed(2.0));

  // -1 seeds from the clock: here the headless presenter's, at 2.5 s.
  HeadlessPresenter headless;
  screen.presenter = &headless;
  openTestScreen(screen);
  for (int frame = 0; frame < 250; ++frame)
    headless.beforeFrame(screen);
  EXPECT_EQ(firstAfterSeed(-1.0), firstAfterSeed(2.0));
  EXPECT_EQ(firstAfterSeed(-1.0), firstAfterSeed(timerSeconds(screen)));
}

}  // namespace
}  // namespace squish::display
