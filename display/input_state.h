#pragma once
// The input state the window's messages write and the polling operations read; part of the
// Screen and guarded by its lock.
#include <array>
#include <cstdint>

namespace squish::display {

// The value the window's close control (and Alt+F4) puts in the key buffer.
inline constexpr std::int32_t closeKey = 0x6BFF;

struct InputState {
  // Ring of 16 slots holding at most 15 pending keys, oldest first.
  std::array<std::int32_t, 16> keyBuffer{};
  std::int32_t keyRead = 0;
  std::int32_t keyWrite = 0;
  std::array<std::uint8_t, 128> keyStates{};  // by set-1 scan code: 1 while down
  std::int32_t buttons = 0;                   // 1 left, 2 right, 4 middle
  std::int32_t wheel = 0;
  bool active = true;
  // Pointer position relative to the drawing area, in picture pixels; may lie outside it.
  std::int32_t pointerX = -1;
  std::int32_t pointerY = -1;
  bool fullScreen = false;  // the position is then clamped to the picture
  // Buttons and keys that went down since the program last read them. Each reads as down for
  // that one read (readMouse, isKeyDown) and is then forgotten, so a press and release that
  // both arrive between two reads is still seen once.
  std::int32_t buttonsPressed = 0;
  std::array<std::uint8_t, 128> keysPressed{};
};

}  // namespace squish::display
