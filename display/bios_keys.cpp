// The BIOS keystroke tables: for every set-1 scan code, the 16-bit keystroke word the PC
// keyboard BIOS gives with no modifier, Shift, Ctrl and Alt. A word holds the scan-code byte
// high and the character byte low; a character byte of 0 marks an extended key.
#include "display/bios_keys.h"

#include <array>
#include <cstddef>

namespace squish::display {
namespace {

using KeystrokeRow = std::array<std::uint16_t, 4>;  // none, Shift, Ctrl, Alt

// Table A: scan codes 0..88 as the main block, the function keys and the numeric keypad send
// them (the keypad as cursor keys when it produces no digit).
constexpr std::array<KeystrokeRow, 89> mainKeys{{
    {0, 0, 0, 0},                      // 0
    {0x011B, 0x011B, 0x011B, 0x0100},  // 1 Escape
    {0x0231, 0x0221, 0, 0x7800},       // 2 1 !
    {0x0332, 0x0340, 0x0300, 0x7900},  // 3 2 @
    {0x0433, 0x0423, 0, 0x7A00},       // 4 3 #
    {0x0534, 0x0524, 0, 0x7B00},       // 5 4 $
    {0x0635, 0x0625, 0, 0x7C00},       // 6 5 %
    {0x0736, 0x075E, 0x071E, 0x7D00},  // 7 6 ^
    {0x0837, 0x0826, 0, 0x7E00},       // 8 7 &
    {0x0938, 0x092A, 0, 0x7F00},       // 9 8 *
    {0x0A39, 0x0A28, 0, 0x8000},       // 10 9 (
    {0x0B30, 0x0B29, 0, 0x8100},       // 11 0 )
    {0x0C2D, 0x0C5F, 0x0C1F, 0x8200},  // 12 - _
    {0x0D3D, 0x0D2B, 0, 0x8300},       // 13 = +
    {0x0E08, 0x0E08, 0x0E7F, 0x0E00},  // 14 Backspace
    {0x0F09, 0x0F00, 0x9400, 0xA500},  // 15 Tab
    {0x1071, 0x1051, 0x1011, 0x1000},  // 16 Q
    {0x1177, 0x1157, 0x1117, 0x1100},  // 17 W
    {0x1265, 0x1245, 0x1205, 0x1200},  // 18 E
    {0x1372, 0x1352, 0x1312, 0x1300},  // 19 R
    {0x1474, 0x1454, 0x1414, 0x1400},  // 20 T
    {0x1579, 0x1559, 0x1519, 0x1500},  // 21 Y
    {0x1675, 0x1655, 0x1615, 0x1600},  // 22 U
    {0x1769, 0x1749, 0x1709, 0x1700},  // 23 I
    {0x186F, 0x184F, 0x180F, 0x1800},  // 24 O
    {0x1970, 0x1950, 0x1910, 0x1900},  // 25 P
    {0x1A5B, 0x1A7B, 0x1A1B, 0x1A00},  // 26 [ {
    {0x1B5D, 0x1B7D, 0x1B1D, 0x1B00},  // 27 ] }
    {0x1C0D, 0x1C0D, 0x1C0A, 0x1C00},  // 28 Enter
    {0, 0, 0, 0},                      // 29 Ctrl
    {0x1E61, 0x1E41, 0x1E01, 0x1E00},  // 30 A
    {0x1F73, 0x1F53, 0x1F13, 0x1F00},  // 31 S
    {0x2064, 0x2044, 0x2004, 0x2000},  // 32 D
    {0x2166, 0x2146, 0x2106, 0x2100},  // 33 F
    {0x2267, 0x2247, 0x2207, 0x2200},  // 34 G
    {0x2368, 0x2348, 0x2308, 0x2300},  // 35 H
    {0x246A, 0x244A, 0x240A, 0x2400},  // 36 J
    {0x256B, 0x254B, 0x250B, 0x2500},  // 37 K
    {0x266C, 0x264C, 0x260C, 0x2600},  // 38 L
    {0x273B, 0x273A, 0, 0x2700},       // 39 ; :
    {0x2827, 0x2822, 0, 0x2800},       // 40 ' "
    {0x2960, 0x297E, 0, 0x2900},       // 41 ` ~
    {0, 0, 0, 0},                      // 42 left Shift
    {0x2B5C, 0x2B7C, 0x2B1C, 0x2B00},  // 43 \ |
    {0x2C7A, 0x2C5A, 0x2C1A, 0x2C00},  // 44 Z
    {0x2D78, 0x2D58, 0x2D18, 0x2D00},  // 45 X
    {0x2E63, 0x2E43, 0x2E03, 0x2E00},  // 46 C
    {0x2F76, 0x2F56, 0x2F16, 0x2F00},  // 47 V
    {0x3062, 0x3042, 0x3002, 0x3000},  // 48 B
    {0x316E, 0x314E, 0x310E, 0x3100},  // 49 N
    {0x326D, 0x324D, 0x320D, 0x3200},  // 50 M
    {0x332C, 0x333C, 0, 0x3300},       // 51 , <
    {0x342E, 0x343E, 0, 0x3400},       // 52 . >
    {0x352F, 0x353F, 0, 0x3500},       // 53 / ?
    {0, 0, 0, 0},                      // 54 right Shift
    {0x372A, 0x372A, 0x9600, 0x3700},  // 55 keypad *
    {0, 0, 0, 0},                      // 56 Alt
    {0x3920, 0x3920, 0x3920, 0x3920},  // 57 Space
    {0, 0, 0, 0},                      // 58 Caps Lock
    {0x3B00, 0x5400, 0x5E00, 0x6800},  // 59 F1
    {0x3C00, 0x5500, 0x5F00, 0x6900},  // 60 F2
    {0x3D00, 0x5600, 0x6000, 0x6A00},  // 61 F3
    {0x3E00, 0x5700, 0x6100, 0x6B00},  // 62 F4 (Alt+F4 is the close key)
    {0x3F00, 0x5800, 0x6200, 0x6C00},  // 63 F5
    {0x4000, 0x5900, 0x6300, 0x6D00},  // 64 F6
    {0x4100, 0x5A00, 0x6400, 0x6E00},  // 65 F7
    {0x4200, 0x5B00, 0x6500, 0x6F00},  // 66 F8
    {0x4300, 0x5C00, 0x6600, 0x7000},  // 67 F9
    {0x4400, 0x5D00, 0x6700, 0x7100},  // 68 F10
    {0, 0, 0, 0},                      // 69 Num Lock
    {0, 0, 0, 0},                      // 70 Scroll Lock
    {0x4700, 0x4737, 0x7700, 0},       // 71 keypad 7 / Home
    {0x4800, 0x4838, 0x8D00, 0},       // 72 keypad 8 / Up
    {0x4900, 0x4939, 0x8400, 0},       // 73 keypad 9 / Page Up
    {0x4A2D, 0x4A2D, 0x8E00, 0x4A00},  // 74 keypad -
    {0x4B00, 0x4B34, 0x7300, 0},       // 75 keypad 4 / Left
    {0x4C00, 0x4C35, 0x8F00, 0},       // 76 keypad 5
    {0x4D00, 0x4D36, 0x7400, 0},       // 77 keypad 6 / Right
    {0x4E2B, 0x4E2B, 0x9000, 0x4E00},  // 78 keypad +
    {0x4F00, 0x4F31, 0x7500, 0},       // 79 keypad 1 / End
    {0x5000, 0x5032, 0x9100, 0},       // 80 keypad 2 / Down
    {0x5100, 0x5133, 0x7600, 0},       // 81 keypad 3 / Page Down
    {0x5200, 0x5230, 0x9200, 0},       // 82 keypad 0 / Insert
    {0x5300, 0x532E, 0x9300, 0},       // 83 keypad . / Delete
    {0, 0, 0, 0},                      // 84 SysRq
    {0, 0, 0, 0},                      // 85
    {0x565C, 0x567C, 0, 0},            // 86 the extra \ | key of 102-key boards
    {0x8500, 0x8700, 0x8900, 0x8B00},  // 87 F11
    {0x8600, 0x8800, 0x8A00, 0x8C00},  // 88 F12
}};

struct ExtendedKeyRow {
  std::int32_t scanCode;
  KeystrokeRow keystrokes;
};

// Table B: the keys the keyboard sends with the extra prefix byte, when they produce no
// character: keypad Enter and slash and the dedicated cursor block.
constexpr std::array<ExtendedKeyRow, 12> extendedKeys{{
    {28, {0x1C0D, 0x1C0D, 0x1C0A, 0xA600}},  // keypad Enter
    {53, {0x352F, 0x352F, 0x9500, 0xA400}},  // keypad /
    {71, {0x4700, 0x4700, 0x7700, 0x9700}},  // Home
    {72, {0x4800, 0x4800, 0x8D00, 0x9800}},  // Up
    {73, {0x4900, 0x4900, 0x8400, 0x9900}},  // Page Up
    {75, {0x4B00, 0x4B00, 0x7300, 0x9B00}},  // Left
    {77, {0x4D00, 0x4D00, 0x7400, 0x9D00}},  // Right
    {79, {0x4F00, 0x4F00, 0x7500, 0x9F00}},  // End
    {80, {0x5000, 0x5000, 0x9100, 0xA000}},  // Down
    {81, {0x5100, 0x5100, 0x7600, 0xA100}},  // Page Down
    {82, {0x5200, 0x5200, 0x9200, 0xA200}},  // Insert
    {83, {0x5300, 0x5300, 0x9300, 0xA300}},  // Delete
}};

// The column of a row the modifiers select: Alt over Ctrl over Shift.
std::size_t modifierColumn(std::int32_t modifiers) {
  if (modifiers & altHeld) return 3;
  if (modifiers & ctrlHeld) return 2;
  if (modifiers & shiftHeld) return 1;
  return 0;
}

// A keystroke word as a key value: its character, or the extended key (code << 8).
std::int32_t keyValueOf(std::uint16_t keystroke) {
  const std::int32_t character = keystroke & 0xFF;
  if (character != 0) return character;
  return keystroke & 0xFF00;
}

const KeystrokeRow* extendedRowFor(std::int32_t scanCode) {
  for (const ExtendedKeyRow& row : extendedKeys) {
    if (row.scanCode == scanCode) return &row.keystrokes;
  }
  return nullptr;
}

}  // namespace

std::int32_t translateKeyDown(std::int32_t scanCode, bool extended, std::int32_t modifiers,
                              bool producedCharacter) {
  const std::size_t column = modifierColumn(modifiers);
  if (extended && !producedCharacter) {
    if (const KeystrokeRow* row = extendedRowFor(scanCode)) return keyValueOf((*row)[column]);
  }
  if (scanCode < 0 || scanCode >= static_cast<std::int32_t>(mainKeys.size())) return 0;
  const std::uint16_t keystroke = mainKeys[static_cast<std::size_t>(scanCode)][column];
  if (column == 0 && producedCharacter) return keystroke & 0xFF;
  return keyValueOf(keystroke);
}

}  // namespace squish::display
