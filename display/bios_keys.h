#pragma once
// The PC keyboard BIOS translation of a key-down: which key value (an ordinary character or an
// extended key code) a key with its modifiers gives.
#include <cstdint>

namespace squish::display {

// Modifier bits of a key-down. Alt takes precedence over Ctrl, Ctrl over Shift.
inline constexpr std::int32_t shiftHeld = 1;
inline constexpr std::int32_t ctrlHeld = 2;
inline constexpr std::int32_t altHeld = 4;

// A value of 256 or more is an extended key (code << 8), a smaller one an ordinary character,
// 0 nothing. A key that produced a character with no modifier held is never extended: its
// character arrives on its own. Scan codes outside the keyboard's range give 0.
std::int32_t translateKeyDown(std::int32_t scanCode, bool extended, std::int32_t modifiers,
                              bool producedCharacter);

}  // namespace squish::display
