#pragma once
// Measuring and drawing text with the current font, and the two position searches the text
// field scrolls and places its cursor with. Without a current font every character measures
// 0 x 0 and nothing is drawn.
#include <cstdint>
#include <string_view>

#include "widgets/toolkit.h"

namespace squish::widgets {

// Alignment bits of drawTextAligned.
inline constexpr std::int32_t alignCentreX = 1;
inline constexpr std::int32_t alignRight = 2;  // only when alignCentreX is clear
inline constexpr std::int32_t alignCentreY = 4;
inline constexpr std::int32_t alignBottom = 8;  // only when alignCentreY is clear

std::int32_t textWidth(Toolkit& toolkit, std::string_view chars);
std::int32_t textHeight(Toolkit& toolkit, std::string_view chars);
// Draws the characters side by side from (x, y); returns the total width drawn.
std::int32_t drawText(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::string_view chars,
                      std::uint32_t ink, std::uint32_t paper, bool transparent);
// Draws the text (transparently) aligned in rect; wider text is not clipped to it.
void drawTextAligned(Toolkit& toolkit, const Rect& rect, std::string_view chars, std::uint32_t ink,
                     std::uint32_t paper, std::int32_t align);
// The index of the character whose cell holds the point `pixels` right (or left, when
// negative) of the left edge of character pos; a boundary belongs to the character on its
// left. pos is first clamped to 0..length.
std::int32_t indexAtOffset(Toolkit& toolkit, std::string_view chars, std::int32_t pos,
                           std::int32_t pixels);
// How many characters from the first fit strictly within `pixels`.
std::int32_t charsThatFit(Toolkit& toolkit, std::string_view chars, std::int32_t pixels);

}  // namespace squish::widgets
