#pragma once
// What the program polls once per frame: the mouse, a key's held state and the next key from
// the key buffer; and the clock and the random numbers.
#include <cstdint>
#include <optional>
#include <string>

#include "display/screen.h"

namespace squish::display {

// The pointer in picture pixels, the wheel count and the buttons (1 left, 2 right, 4 middle).
struct MouseState {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t wheel = 0;
  std::int32_t buttons = 0;
  bool operator==(const MouseState&) const = default;
};

// None when there is no screen, the window is not active, or the pointer is outside the
// picture; the last also forgets the buttons, so one held while the pointer was away reads as
// up until it is pressed again. A button that went down since the last read reads as down this
// once, even if it is already up again.
std::optional<MouseState> readMouse(Screen& screen);
// Whether the key with this set-1 scan code (0..127) is held, or went down since the last read
// of that key; false for any other code.
bool isKeyDown(Screen& screen, std::int32_t scanCode);
// The oldest pending key as 0, 1 or 2 bytes (an extended key is 255 then its code).
std::string readKeyString(Screen& screen);

// Seconds from the screen's presenter clock, or from the process's monotonic clock when the
// screen has no presenter. Only differences mean anything.
double timerSeconds(const Screen& screen);

// A seeded generator of 15-bit integers and the last number drawn; one per process, owned by
// the program's entry point. Its sequence is the same on every machine.
struct RandomGenerator {
  std::uint32_t state = 1;
  double last = 0.0;
};

// The value truncated toward zero and saturated to int32; NaN gives 0.
std::int32_t saturatedInt32(double value);

// mode != 0: a new number r / 32768 in [0, 1); mode 0: the last one again.
double randomUnit(RandomGenerator& random, std::int32_t mode);
// Seeds with the value truncated toward zero and saturated to int32 (NaN gives 0); -1 seeds
// from the clock. One value is drawn and discarded.
void seedRandom(RandomGenerator& random, const Screen& screen, double seed);

}  // namespace squish::display
