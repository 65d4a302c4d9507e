// Turns window messages into the input state: characters and translated extended keys into the
// key buffer, key-downs and -ups into key states, and the mouse, wheel, activation and close
// control into their fields. Runs on the presenter's side, under the screen's lock.
#include "display/window_messages.h"

#include <algorithm>

#include "display/screen.h"

namespace squish::display {
namespace {

constexpr std::int32_t keyBufferSlots = static_cast<std::int32_t>(InputState{}.keyBuffer.size());
// More appends of one value than the buffer holds leave the same buffer as 15 would.
constexpr std::int32_t mostUsefulRepeats = keyBufferSlots - 1;
static_assert((keyBufferSlots & (keyBufferSlots - 1)) == 0, "the ring wraps by masking");
constexpr std::int32_t buttonBits = 1 | 2 | 4;

// The wheel counter wraps around instead of overflowing.
std::int32_t turnWheel(std::int32_t wheel, std::int32_t notch) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(wheel) +
                                   static_cast<std::uint32_t>(notch));
}

bool isScanCode(std::int32_t code) {
  return code >= 0 && code < static_cast<std::int32_t>(InputState{}.keyStates.size());
}

void appendRepeated(InputState& input, std::int32_t value, std::int32_t repeat) {
  const std::int32_t times = std::min(repeat, mostUsefulRepeats);
  for (std::int32_t i = 0; i < times; ++i)
    appendKey(input, value);
}

void markEveryRowDirty(Screen& screen) {
  markRowsDirty(screen, 0, screen.height - 1);
}

void handleKeyDown(Screen& screen, const WindowMessage& message) {
  if (!isScanCode(message.value)) return;
  InputState& input = screen.input;
  // Held states mean nothing while the window is inactive: they read as released then.
  if (input.active) {
    input.keyStates[static_cast<std::size_t>(message.value)] = 1;
    input.keysPressed[static_cast<std::size_t>(message.value)] = 1;
  }
  const std::int32_t key = translateKeyDown(message.value, message.extended, message.modifiers,
                                            message.producedCharacter);
  if (key >= 256) appendRepeated(input, key | 0xFF, message.repeat);
}

void changeActivation(Screen& screen, bool active) {
  screen.input.active = active;
  screen.input.keyStates.fill(0);
  screen.input.keysPressed.fill(0);
  screen.input.buttons = 0;
  screen.input.buttonsPressed = 0;
  markEveryRowDirty(screen);
}

}  // namespace

void appendKey(InputState& input, std::int32_t value) {
  const std::int32_t write = input.keyWrite & (keyBufferSlots - 1);
  const std::int32_t next = (write + 1) & (keyBufferSlots - 1);
  std::int32_t read = input.keyRead & (keyBufferSlots - 1);
  if (next == read) read = (read + 1) & (keyBufferSlots - 1);
  input.keyBuffer[static_cast<std::size_t>(write)] = value;
  input.keyWrite = next;
  input.keyRead = read;
}

std::int32_t heldModifiers(const InputState& input) {
  std::int32_t modifiers = 0;
  if (input.keyStates[42] || input.keyStates[54]) modifiers |= shiftHeld;
  if (input.keyStates[29]) modifiers |= ctrlHeld;
  if (input.keyStates[56]) modifiers |= altHeld;
  return modifiers;
}

void handleWindowMessage(Screen& screen, const WindowMessage& message) {
  InputState& input = screen.input;
  switch (message.kind) {
    case MessageKind::character:
      if (message.value >= 0 && message.value <= 255) {
        appendRepeated(input, message.value, message.repeat);
      }
      break;
    case MessageKind::keyDown:
      handleKeyDown(screen, message);
      break;
    case MessageKind::keyUp:
      if (isScanCode(message.value)) input.keyStates[static_cast<std::size_t>(message.value)] = 0;
      break;
    case MessageKind::buttonDown:
      input.buttons |= message.value & buttonBits;
      input.buttonsPressed |= message.value & buttonBits;
      break;
    case MessageKind::buttonUp:
      input.buttons &= ~(message.value & buttonBits);
      break;
    case MessageKind::wheel:
      if (message.value != 0) input.wheel = turnWheel(input.wheel, message.value > 0 ? 1 : -1);
      break;
    case MessageKind::pointerMove:
      input.pointerX = message.value;
      input.pointerY = message.y;
      break;
    case MessageKind::focusIn:
      changeActivation(screen, true);
      break;
    case MessageKind::focusOut:
      changeActivation(screen, false);
      break;
    case MessageKind::close:
      appendKey(input, closeKey);
      break;
    case MessageKind::repaint:
      markEveryRowDirty(screen);
      break;
    case MessageKind::fullScreen:
      input.fullScreen = message.value != 0;
      markEveryRowDirty(screen);
      break;
  }
}

}  // namespace squish::display
