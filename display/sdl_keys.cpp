// The SDL scancode (USB usage) to PC set-1 scan code table. Keys sharing a set-1 code (Enter
// and keypad Enter, the cursor block and the keypad) differ only by the extended flag.
#include "display/sdl_keys.h"

#include <SDL.h>

#include <array>

namespace squish::display {
namespace {

struct SdlKeyRow {
  SDL_Scancode sdl;
  SetOneKey key;
};

constexpr std::array<SdlKeyRow, 105> sdlKeys{{
    {SDL_SCANCODE_ESCAPE, {1, false}},
    {SDL_SCANCODE_1, {2, false}},
    {SDL_SCANCODE_2, {3, false}},
    {SDL_SCANCODE_3, {4, false}},
    {SDL_SCANCODE_4, {5, false}},
    {SDL_SCANCODE_5, {6, false}},
    {SDL_SCANCODE_6, {7, false}},
    {SDL_SCANCODE_7, {8, false}},
    {SDL_SCANCODE_8, {9, false}},
    {SDL_SCANCODE_9, {10, false}},
    {SDL_SCANCODE_0, {11, false}},
    {SDL_SCANCODE_MINUS, {12, false}},
    {SDL_SCANCODE_EQUALS, {13, false}},
    {SDL_SCANCODE_BACKSPACE, {14, false}},
    {SDL_SCANCODE_TAB, {15, false}},
    {SDL_SCANCODE_Q, {16, false}},
    {SDL_SCANCODE_W, {17, false}},
    {SDL_SCANCODE_E, {18, false}},
    {SDL_SCANCODE_R, {19, false}},
    {SDL_SCANCODE_T, {20, false}},
    {SDL_SCANCODE_Y, {21, false}},
    {SDL_SCANCODE_U, {22, false}},
    {SDL_SCANCODE_I, {23, false}},
    {SDL_SCANCODE_O, {24, false}},
    {SDL_SCANCODE_P, {25, false}},
    {SDL_SCANCODE_LEFTBRACKET, {26, false}},
    {SDL_SCANCODE_RIGHTBRACKET, {27, false}},
    {SDL_SCANCODE_RETURN, {28, false}},
    {SDL_SCANCODE_KP_ENTER, {28, true}},
    {SDL_SCANCODE_LCTRL, {29, false}},
    {SDL_SCANCODE_RCTRL, {29, true}},
    {SDL_SCANCODE_A, {30, false}},
    {SDL_SCANCODE_S, {31, false}},
    {SDL_SCANCODE_D, {32, false}},
    {SDL_SCANCODE_F, {33, false}},
    {SDL_SCANCODE_G, {34, false}},
    {SDL_SCANCODE_H, {35, false}},
    {SDL_SCANCODE_J, {36, false}},
    {SDL_SCANCODE_K, {37, false}},
    {SDL_SCANCODE_L, {38, false}},
    {SDL_SCANCODE_SEMICOLON, {39, false}},
    {SDL_SCANCODE_APOSTROPHE, {40, false}},
    {SDL_SCANCODE_GRAVE, {41, false}},
    {SDL_SCANCODE_LSHIFT, {42, false}},
    {SDL_SCANCODE_BACKSLASH, {43, false}},
    {SDL_SCANCODE_NONUSHASH, {43, false}},
    {SDL_SCANCODE_Z, {44, false}},
    {SDL_SCANCODE_X, {45, false}},
    {SDL_SCANCODE_C, {46, false}},
    {SDL_SCANCODE_V, {47, false}},
    {SDL_SCANCODE_B, {48, false}},
    {SDL_SCANCODE_N, {49, false}},
    {SDL_SCANCODE_M, {50, false}},
    {SDL_SCANCODE_COMMA, {51, false}},
    {SDL_SCANCODE_PERIOD, {52, false}},
    {SDL_SCANCODE_SLASH, {53, false}},
    {SDL_SCANCODE_KP_DIVIDE, {53, true}},
    {SDL_SCANCODE_RSHIFT, {54, false}},
    {SDL_SCANCODE_KP_MULTIPLY, {55, false}},
    {SDL_SCANCODE_PRINTSCREEN, {55, true}},
    {SDL_SCANCODE_LALT, {56, false}},
    {SDL_SCANCODE_RALT, {56, true}},
    {SDL_SCANCODE_SPACE, {57, false}},
    {SDL_SCANCODE_CAPSLOCK, {58, false}},
    {SDL_SCANCODE_F1, {59, false}},
    {SDL_SCANCODE_F2, {60, false}},
    {SDL_SCANCODE_F3, {61, false}},
    {SDL_SCANCODE_F4, {62, false}},
    {SDL_SCANCODE_F5, {63, false}},
    {SDL_SCANCODE_F6, {64, false}},
    {SDL_SCANCODE_F7, {65, false}},
    {SDL_SCANCODE_F8, {66, false}},
    {SDL_SCANCODE_F9, {67, false}},
    {SDL_SCANCODE_F10, {68, false}},
    {SDL_SCANCODE_NUMLOCKCLEAR, {69, false}},
    {SDL_SCANCODE_SCROLLLOCK, {70, false}},
    {SDL_SCANCODE_KP_7, {71, false}},
    {SDL_SCANCODE_HOME, {71, true}},
    {SDL_SCANCODE_KP_8, {72, false}},
    {SDL_SCANCODE_UP, {72, true}},
    {SDL_SCANCODE_KP_9, {73, false}},
    {SDL_SCANCODE_PAGEUP, {73, true}},
    {SDL_SCANCODE_KP_MINUS, {74, false}},
    {SDL_SCANCODE_KP_4, {75, false}},
    {SDL_SCANCODE_LEFT, {75, true}},
    {SDL_SCANCODE_KP_5, {76, false}},
    {SDL_SCANCODE_KP_6, {77, false}},
    {SDL_SCANCODE_RIGHT, {77, true}},
    {SDL_SCANCODE_KP_PLUS, {78, false}},
    {SDL_SCANCODE_KP_1, {79, false}},
    {SDL_SCANCODE_END, {79, true}},
    {SDL_SCANCODE_KP_2, {80, false}},
    {SDL_SCANCODE_DOWN, {80, true}},
    {SDL_SCANCODE_KP_3, {81, false}},
    {SDL_SCANCODE_PAGEDOWN, {81, true}},
    {SDL_SCANCODE_KP_0, {82, false}},
    {SDL_SCANCODE_INSERT, {82, true}},
    {SDL_SCANCODE_KP_PERIOD, {83, false}},
    {SDL_SCANCODE_DELETE, {83, true}},
    {SDL_SCANCODE_NONUSBACKSLASH, {86, false}},
    {SDL_SCANCODE_F11, {87, false}},
    {SDL_SCANCODE_F12, {88, false}},
    {SDL_SCANCODE_LGUI, {91, true}},
    {SDL_SCANCODE_RGUI, {92, true}},
    {SDL_SCANCODE_APPLICATION, {93, true}},
}};

}  // namespace

SetOneKey setOneKeyFromSdl(std::int32_t sdlScancode) {
  for (const SdlKeyRow& row : sdlKeys) {
    if (row.sdl == sdlScancode) return row.key;
  }
  return {};
}

void setOneKeyStates(const std::uint8_t* sdlKeyboard, std::int32_t count,
                     std::array<std::uint8_t, 128>& keyStates) {
  keyStates.fill(0);
  for (const SdlKeyRow& row : sdlKeys) {
    if (row.sdl < count && sdlKeyboard[row.sdl]) {
      keyStates[static_cast<std::size_t>(row.key.scanCode)] = 1;
    }
  }
}

}  // namespace squish::display
