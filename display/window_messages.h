#pragma once
// Window messages as both presenters deliver them, and the one piece of code that turns them
// into the input state: the key buffer with its BIOS translation, key states, buttons, wheel
// and activation.
#include <cstdint>

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
  close,    // the window's close control
  repaint,  // the window system asks for the whole picture again
};

// Modifier bits of a key-down message.
inline constexpr std::int32_t shiftHeld = 1;
inline constexpr std::int32_t ctrlHeld = 2;
inline constexpr std::int32_t altHeld = 4;

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

// The BIOS keystroke translation of a key-down: a value of 256 or more is an extended key
// (code << 8), a smaller one an ordinary character, 0 nothing.
std::int32_t translateKeyDown(std::int32_t scanCode, bool extended, std::int32_t modifiers,
                              bool producedCharacter);

}  // namespace squish::display
