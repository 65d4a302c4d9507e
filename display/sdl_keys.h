#pragma once
// SDL's keys in the PC keyboard's terms: the set-1 scan code of an SDL scancode, with the
// extended flag of the keys the keyboard sends with a prefix byte.
#include <array>
#include <cstdint>

namespace squish::display {

struct SetOneKey {
  std::int32_t scanCode = 0;  // 0: the key has no set-1 code we use
  bool extended = false;
};

SetOneKey setOneKeyFromSdl(std::int32_t sdlScancode);

// Sets keyStates[code] to 1 for every set-1 code with a key down in SDL's keyboard state
// (indexed by SDL scancode, `count` entries), and to 0 for the others.
void setOneKeyStates(const std::uint8_t* sdlKeyboard, std::int32_t count,
                     std::array<std::uint8_t, 128>& keyStates);

}  // namespace squish::display
