// The per-frame polling operations over the input state the presenter fills, the clock, and
// the process's 15-bit random generator.
#include "display/input.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "display/presenter.h"

namespace squish::display {
namespace {

constexpr std::size_t keyBufferMask = InputState{}.keyBuffer.size() - 1;

// The classic linear congruential step; unsigned, so it wraps the same everywhere.
std::int32_t nextRandom(RandomGenerator& random) {
  random.state = random.state * 214013u + 2531011u;
  return static_cast<std::int32_t>((random.state >> 16) & 0x7FFFu);
}

}  // namespace

std::int32_t saturatedInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

std::optional<MouseState> readMouse(Screen& screen) {
  ScreenLock lock(screen.screenLock);
  InputState& input = screen.input;
  if (!screen.isOpen || !input.active || screen.width <= 0 || screen.height <= 0) {
    return std::nullopt;
  }
  std::int32_t px = input.pointerX;
  std::int32_t py = input.pointerY;
  if (input.fullScreen) {
    px = std::clamp(px, 0, screen.width - 1);
    py = std::clamp(py, 0, screen.height - 1);
  }
  if (px < 0 || px >= screen.width || py < 0 || py >= screen.height) {
    // A button held while the pointer was away reads as up until it is pressed again.
    input.buttons = 0;
    input.buttonsPressed = 0;
    return std::nullopt;
  }
  const MouseState state{px, py, input.wheel, input.buttons | input.buttonsPressed};
  input.buttonsPressed = 0;
  return state;
}

bool isKeyDown(Screen& screen, std::int32_t scanCode) {
  ScreenLock lock(screen.screenLock);
  if (!screen.isOpen || scanCode < 0 ||
      scanCode >= static_cast<std::int32_t>(screen.input.keyStates.size())) {
    return false;
  }
  const auto code = static_cast<std::size_t>(scanCode);
  const bool down = screen.input.keyStates[code] != 0 || screen.input.keysPressed[code] != 0;
  screen.input.keysPressed[code] = 0;
  return down;
}

std::string readKeyString(Screen& screen) {
  ScreenLock lock(screen.screenLock);
  InputState& input = screen.input;
  const std::size_t read = static_cast<std::size_t>(input.keyRead) & keyBufferMask;
  const std::size_t write = static_cast<std::size_t>(input.keyWrite) & keyBufferMask;
  if (!screen.isOpen || read == write) return {};
  const std::int32_t value = input.keyBuffer[read];
  input.keyRead = static_cast<std::int32_t>((read + 1) & keyBufferMask);
  if (value == 0) return {};
  if (value > 0 && value < 256) return std::string(1, static_cast<char>(value));
  return {static_cast<char>(255), static_cast<char>((value >> 8) & 0xFF)};
}

double timerSeconds(const Screen& screen) {
  if (screen.presenter != nullptr) return screen.presenter->clockSeconds();
  const auto sinceOrigin = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(sinceOrigin).count();
}

double randomUnit(RandomGenerator& random, std::int32_t mode) {
  if (mode == 0) return random.last;
  random.last = nextRandom(random) / 32768.0;
  return random.last;
}

void seedRandom(RandomGenerator& random, const Screen& screen, double seed) {
  if (seed == -1.0) seed = timerSeconds(screen);
  random.state = static_cast<std::uint32_t>(saturatedInt32(seed));
  nextRandom(random);
}

}  // namespace squish::display
