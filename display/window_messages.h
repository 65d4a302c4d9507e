#pragma once
// Window messages as both presenters deliver them, and the one piece of code that turns them
// into the input state: the key buffer with its BIOS translation, key states, buttons, wheel
// and activation.
#include <cstdint>

#include "display/bios_keys.h"
#include "display/input_state.h"

namespace squish::display {

struct Screen;

enum class MessageKind : std::uint8_t {
  character,    // value: character code, already in code page 437
  keyDown,      // value: set-1 scan code; extended, modifiers, producedCharacter, repeat
  keyUp,        // value: set-1 scan code; extended
  buttonDown,   // value: button bit (1 left, 2 right, 4 middle)
  buttonUp,     // value: button bit
  wheel,        // value: the delta (only its sign counts)
  pointerMove,  // value, y: pointer position relative to the picture
  focusIn,
  focusOut,
  close,       // the window's close control
  repaint,     // the window system asks for the whole picture again
  fullScreen,  // value: 1 the picture now fills the display, 0 it is back in the window
};

struct WindowMessage {
  MessageKind kind = MessageKind::repaint;
  std::int32_t value = 0;
  std::int32_t y = 0;
  bool extended = false;           // a key sent with the extra prefix byte
  std::int32_t modifiers = 0;      // keyDown: modifiers held when the key went down
  bool producedCharacter = false;  // keyDown: the window system also made a character of it
  std::int32_t repeat = 1;         // keyDown and character: auto-repeat count
};

// Applies one message to the screen's input state. The caller holds the screen's lock.
void handleWindowMessage(Screen& screen, const WindowMessage& message);

// The modifier bits of the keys held in keyStates: 42 and 54 Shift, 29 Ctrl, 56 Alt.
std::int32_t heldModifiers(const InputState& input);

// Appends a key value to the key buffer, dropping the oldest when 15 are already waiting.
void appendKey(InputState& input, std::int32_t value);

}  // namespace squish::display
