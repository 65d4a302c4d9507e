// Window messages into the input state: the key buffer and its BIOS translation, held keys,
// buttons, wheel, activation, the close control and repaint requests.
#include "display/window_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "display/input.h"
#include "display/screen.h"

namespace squish::display {
namespace {

// The buttons readMouse gives; -1 when it gives no reading.
std::int32_t buttonsRead(Screen& screen) {
  const std::optional<MouseState> mouse = readMouse(screen);
  return mouse ? mouse->buttons : -1;
}

void openTestScreen(Screen& screen) {
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0));
}

void deliver(Screen& screen, WindowMessage message) {
  handleWindowMessage(screen, message);
}

WindowMessage keyDown(std::int32_t scanCode, std::int32_t modifiers = 0, bool extended = false) {
  WindowMessage message{MessageKind::keyDown, scanCode};
  message.modifiers = modifiers;
  message.extended = extended;
  return message;
}

// Every key waiting in the buffer, as the KeyCodes the toolkit makes of the key strings.
std::vector<std::int32_t> drainKeys(Screen& screen) {
  std::vector<std::int32_t> keys;
  for (int i = 0; i < 20; ++i) {
    const std::string bytes = readKeyString(screen);
    if (bytes.empty()) break;
    std::int32_t code = static_cast<unsigned char>(bytes[0]);
    if (bytes.size() == 2) code |= static_cast<unsigned char>(bytes[1]) << 8;
    keys.push_back(code);
  }
  return keys;
}

bool everyRowDirty(const Screen& screen) {
  return std::all_of(screen.dirtyRows.begin(), screen.dirtyRows.end(),
                     [](std::uint8_t d) { return d != 0; });
}

TEST(WindowMessages, CharactersAreAppendedOncePerRepeatUpTo255) {
  Screen screen;
  openTestScreen(screen);
  WindowMessage a{MessageKind::character, 'a'};
  a.repeat = 3;
  deliver(screen, a);
  deliver(screen, {MessageKind::character, 256});
  deliver(screen, {MessageKind::character, -7});
  deliver(screen, {MessageKind::character, 0x82});
  WindowMessage noRepeat{MessageKind::character, 'z'};
  noRepeat.repeat = 0;
  deliver(screen, noRepeat);
  EXPECT_EQ(drainKeys(screen), (std::vector<std::int32_t>{'a', 'a', 'a', 0x82}));

  WindowMessage held{MessageKind::character, 'q'};
  held.repeat = INT32_MAX;
  deliver(screen, held);
  EXPECT_EQ(drainKeys(screen), std::vector<std::int32_t>(15, 'q'));
}

TEST(WindowMessages, KeyDownAppendsOnlyExtendedKeys) {
  Screen screen;
  openTestScreen(screen);
  deliver(screen, keyDown(72, 0, true));  // Up
  deliver(screen, keyDown(30));           // A: its character comes on its own
  deliver(screen, keyDown(1));            // Escape: the character 27 comes on its own
  deliver(screen, keyDown(30, altHeld));  // Alt+A
  WindowMessage repeated = keyDown(59);   // F1, auto-repeated twice
  repeated.repeat = 2;
  deliver(screen, repeated);
  deliver(screen, keyDown(62, altHeld));  // Alt+F4
  deliver(screen, keyDown(200));
  deliver(screen, keyDown(-1));
  EXPECT_EQ(drainKeys(screen),
            (std::vector<std::int32_t>{0x48FF, 0x1EFF, 0x3BFF, 0x3BFF, closeKey}));
}

TEST(WindowMessages, BiosTablesGiveTheKeystrokeCodes) {
  for (std::int32_t f = 0; f < 10; ++f) {
    EXPECT_EQ(translateKeyDown(59 + f, false, 0, false), (59 + f) << 8);
    EXPECT_EQ(translateKeyDown(59 + f, false, shiftHeld, false), (84 + f) << 8);
    EXPECT_EQ(translateKeyDown(59 + f, false, ctrlHeld, false), (94 + f) << 8);
    EXPECT_EQ(translateKeyDown(59 + f, false, altHeld, false), (104 + f) << 8);
  }
  EXPECT_EQ(translateKeyDown(87, false, 0, false), 133 << 8);
  EXPECT_EQ(translateKeyDown(88, false, 0, false), 134 << 8);
  EXPECT_EQ(translateKeyDown(62, false, altHeld, false), closeKey & 0xFF00);

  struct CursorKey {
    std::int32_t scanCode;
    std::int32_t withCtrl;  // 0: not given
  };
  const CursorKey cursorKeys[] = {{71, 119}, {72, 0}, {73, 132}, {75, 115}, {77, 116},
                                  {79, 117}, {80, 0}, {81, 118}, {82, 0},   {83, 0}};
  for (const CursorKey& key : cursorKeys) {
    EXPECT_EQ(translateKeyDown(key.scanCode, true, 0, false), key.scanCode << 8);
    // The keypad sends the same codes when it types no digit.
    EXPECT_EQ(translateKeyDown(key.scanCode, false, 0, false), key.scanCode << 8);
    if (key.withCtrl != 0) {
      EXPECT_EQ(translateKeyDown(key.scanCode, true, ctrlHeld, false), key.withCtrl << 8);
    }
  }
  // A keypad key typing its digit is no cursor key.
  EXPECT_LT(translateKeyDown(71, false, 0, true), 256);

  const std::int32_t letterRows[][2] = {{16, 25}, {30, 38}, {44, 50}};
  for (const auto& row : letterRows) {
    for (std::int32_t scan = row[0]; scan <= row[1]; ++scan) {
      EXPECT_EQ(translateKeyDown(scan, false, altHeld, false), scan << 8);
      const std::int32_t plain = translateKeyDown(scan, false, 0, true);
      EXPECT_TRUE(plain >= 'a' && plain <= 'z') << scan;
    }
  }
  EXPECT_EQ(translateKeyDown(15, false, shiftHeld, false), 15 << 8);  // Shift+Tab
  EXPECT_EQ(translateKeyDown(1, false, 0, true), 27);
  EXPECT_EQ(translateKeyDown(28, false, 0, true), 13);
  EXPECT_EQ(translateKeyDown(14, false, 0, true), 8);
  EXPECT_EQ(translateKeyDown(15, false, 0, true), 9);
  // Alt over Ctrl over Shift.
  EXPECT_EQ(translateKeyDown(59, false, altHeld | ctrlHeld | shiftHeld, false), 104 << 8);
  EXPECT_EQ(translateKeyDown(59, false, ctrlHeld | shiftHeld, false), 94 << 8);
  // Keypad slash typing '/' is looked up as an ordinary key.
  EXPECT_EQ(translateKeyDown(53, true, 0, true), '/');

  for (const std::int32_t outside : {-1, 89, 127, 128, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(translateKeyDown(outside, false, altHeld, false), 0) << outside;
    EXPECT_EQ(translateKeyDown(outside, true, 0, false), 0) << outside;
  }
}

TEST(WindowMessages, FullKeyBufferKeepsTheLatestFifteen) {
  Screen screen;
  openTestScreen(screen);
  for (std::int32_t i = 0; i < 20; ++i)
    deliver(screen, {MessageKind::character, 'A' + i});
  std::vector<std::int32_t> latest;
  for (std::int32_t i = 5; i < 20; ++i)
    latest.push_back('A' + i);
  EXPECT_EQ(drainKeys(screen), latest);

  // The ring keeps working across its wrap after being drained.
  deliver(screen, {MessageKind::character, '1'});
  deliver(screen, {MessageKind::close});
  EXPECT_EQ(drainKeys(screen), (std::vector<std::int32_t>{'1', closeKey}));
}

TEST(WindowMessages, CloseControlDeliversTheCloseKeyOnly) {
  Screen screen;
  openTestScreen(screen);
  deliver(screen, {MessageKind::close});
  EXPECT_TRUE(screen.isOpen);
  EXPECT_EQ(readKeyString(screen), std::string("\xFF\x6B"));
  EXPECT_EQ(readKeyString(screen), std::string());
}

TEST(WindowMessages, HeldKeysFollowKeyDownAndUp) {
  Screen screen;
  openTestScreen(screen);
  deliver(screen, keyDown(1));
  deliver(screen, keyDown(42));
  EXPECT_TRUE(isKeyDown(screen, 1));
  EXPECT_EQ(heldModifiers(screen.input), shiftHeld);
  deliver(screen, {MessageKind::keyUp, 1});
  deliver(screen, {MessageKind::keyUp, 500});
  EXPECT_FALSE(isKeyDown(screen, 1));
  EXPECT_TRUE(isKeyDown(screen, 42));

  deliver(screen, keyDown(54));
  deliver(screen, keyDown(29));
  deliver(screen, keyDown(56));
  deliver(screen, {MessageKind::keyUp, 42});
  EXPECT_EQ(heldModifiers(screen.input), shiftHeld | ctrlHeld | altHeld);
}

TEST(WindowMessages, ActivationChangeReleasesKeysAndButtonsAndRepaints) {
  Screen screen;
  openTestScreen(screen);
  deliver(screen, keyDown(1));
  deliver(screen, {MessageKind::buttonDown, 1});
  std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{0});

  deliver(screen, {MessageKind::focusOut});
  EXPECT_FALSE(screen.input.active);
  EXPECT_FALSE(isKeyDown(screen, 1));
  EXPECT_EQ(screen.input.buttons, 0);
  EXPECT_TRUE(everyRowDirty(screen));

  // A key pressed while another window has the focus does not read as held.
  deliver(screen, keyDown(57));
  EXPECT_FALSE(isKeyDown(screen, 57));

  std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{0});
  deliver(screen, {MessageKind::focusIn});
  EXPECT_TRUE(screen.input.active);
  EXPECT_TRUE(everyRowDirty(screen));
  deliver(screen, keyDown(57));
  EXPECT_TRUE(isKeyDown(screen, 57));
}

// A press and release that both arrive between two reads read as down once, then up; a press
// still held reads as down as before; losing the focus or the pointer forgets a press.
TEST(WindowMessages, PressesBetweenTwoReadsAreSeenOnce) {
  Screen screen;
  openTestScreen(screen);
  deliver(screen, {MessageKind::pointerMove, 10, 20});
  deliver(screen, {MessageKind::buttonDown, 1});
  deliver(screen, {MessageKind::buttonUp, 1});
  deliver(screen, keyDown(1));
  deliver(screen, {MessageKind::keyUp, 1});
  EXPECT_EQ(buttonsRead(screen), 1);
  EXPECT_TRUE(isKeyDown(screen, 1));
  EXPECT_FALSE(isKeyDown(screen, 57));
  EXPECT_EQ(buttonsRead(screen), 0);
  EXPECT_FALSE(isKeyDown(screen, 1));

  deliver(screen, {MessageKind::buttonDown, 2});
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(buttonsRead(screen), 2);
  }
  deliver(screen, {MessageKind::buttonUp, 2});

  deliver(screen, {MessageKind::buttonDown, 4});
  deliver(screen, {MessageKind::buttonUp, 4});
  deliver(screen, keyDown(1));
  deliver(screen, {MessageKind::keyUp, 1});
  deliver(screen, {MessageKind::focusOut});
  deliver(screen, {MessageKind::focusIn});
  EXPECT_EQ(buttonsRead(screen), 0);
  EXPECT_FALSE(isKeyDown(screen, 1));

  deliver(screen, {MessageKind::buttonDown, 1});
  deliver(screen, {MessageKind::buttonUp, 1});
  deliver(screen, {MessageKind::pointerMove, -1, 20});
  EXPECT_FALSE(readMouse(screen));
  deliver(screen, {MessageKind::pointerMove, 10, 20});
  EXPECT_EQ(buttonsRead(screen), 0);
}

TEST(WindowMessages, ButtonsSetAndClearTheirBits) {
  Screen screen;
  openTestScreen(screen);
  deliver(screen, {MessageKind::buttonDown, 1});
  deliver(screen, {MessageKind::buttonDown, 4});
  deliver(screen, {MessageKind::buttonDown, 8});
  EXPECT_EQ(screen.input.buttons, 5);
  deliver(screen, {MessageKind::buttonUp, 1});
  EXPECT_EQ(screen.input.buttons, 4);
}

TEST(WindowMessages, WheelCountsNotchesBySignOnly) {
  Screen screen;
  openTestScreen(screen);
  for (const std::int32_t delta : {120, 1, 7})
    deliver(screen, {MessageKind::wheel, delta});
  EXPECT_EQ(screen.input.wheel, 3);
  deliver(screen, {MessageKind::wheel, -240});
  deliver(screen, {MessageKind::wheel, 0});
  EXPECT_EQ(screen.input.wheel, 2);

  screen.input.wheel = INT32_MAX;
  deliver(screen, {MessageKind::wheel, INT32_MAX});
  EXPECT_EQ(screen.input.wheel, INT32_MIN);
}

TEST(WindowMessages, RepaintAndFullScreenSwitchMarkEveryRowDirty) {
  Screen screen;
  openTestScreen(screen);
  std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{0});
  deliver(screen, {MessageKind::repaint});
  EXPECT_TRUE(everyRowDirty(screen));

  std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{0});
  deliver(screen, {MessageKind::fullScreen, 1});
  EXPECT_TRUE(screen.input.fullScreen);
  EXPECT_TRUE(everyRowDirty(screen));
  deliver(screen, {MessageKind::fullScreen, 0});
  EXPECT_FALSE(screen.input.fullScreen);
}

TEST(WindowMessages, CorruptRingIndicesStayInsideTheBuffer) {
  Screen screen;
  openTestScreen(screen);
  screen.input.keyRead = -3;
  screen.input.keyWrite = 1000;
  deliver(screen, {MessageKind::character, 'x'});
  for (int i = 0; i < 20; ++i)
    readKeyString(screen);
  EXPECT_EQ(readKeyString(screen), std::string());
}

}  // namespace
}  // namespace squish::display
