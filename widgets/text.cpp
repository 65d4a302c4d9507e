// Text with the current font: widths, drawing side by side or aligned in a rectangle, and the
// searches from a character position by a pixel budget. Positions add up in 64 bits, so no
// text length or starting point can overflow.
#include "widgets/text.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "widgets/font.h"

namespace squish::widgets {

namespace {

// Text lengths beyond the int32 range are treated as that range's end.
std::int32_t lengthOf(std::string_view chars) {
  constexpr auto most = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(std::min(chars.size(), most));
}

// The byte at i, with the terminator (0) at and beyond the end of the text.
std::int32_t codeAt(std::string_view chars, std::int32_t i) {
  if (i < 0 || static_cast<std::size_t>(i) >= chars.size()) return 0;
  return static_cast<std::uint8_t>(chars[static_cast<std::size_t>(i)]);
}

}  // namespace

std::int32_t textWidth(Toolkit& toolkit, std::string_view chars) {
  if (toolkit.font == nullptr) return 0;
  std::int64_t width = 0;
  for (const char c : chars)
    width += charWidth(toolkit, static_cast<std::uint8_t>(c));
  return saturate(width);
}

std::int32_t textHeight(Toolkit& toolkit, std::string_view) {
  return toolkit.font != nullptr ? toolkit.font->cellHeight : 0;
}

std::int32_t drawText(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::string_view chars,
                      std::uint32_t ink, std::uint32_t paper, bool transparent) {
  BitmapFont* font = toolkit.font;
  if (font == nullptr || toolkit.screen == nullptr) return 0;
  std::int64_t advance = 0;
  for (const char c : chars) {
    advance += drawChar(*font, *toolkit.screen, saturate(x + advance), y,
                        static_cast<std::uint8_t>(c), ink, paper, transparent);
  }
  return saturate(advance);
}

void drawTextAligned(Toolkit& toolkit, const Rect& rect, std::string_view chars, std::uint32_t ink,
                     std::uint32_t paper, std::int32_t align) {
  std::int64_t x = rect.x;
  std::int64_t y = rect.y;
  if ((align & alignCentreX) != 0) {
    x += (std::int64_t{rect.w} - textWidth(toolkit, chars)) / 2;
  } else if ((align & alignRight) != 0) {
    x += std::int64_t{rect.w} - textWidth(toolkit, chars);
  }
  if ((align & alignCentreY) != 0) {
    y += (std::int64_t{rect.h} - textHeight(toolkit, chars)) / 2;
  } else if ((align & alignBottom) != 0) {
    y += std::int64_t{rect.h} - textHeight(toolkit, chars);
  }
  drawText(toolkit, saturate(x), saturate(y), chars, ink, paper, true);
}

std::int32_t indexAtOffset(Toolkit& toolkit, std::string_view chars, std::int32_t pos,
                           std::int32_t pixels) {
  const std::int32_t length = lengthOf(chars);
  std::int32_t i = std::clamp(pos, 0, length);
  std::int64_t budget = pixels;
  if (pixels > 0) {
    for (; i < length; ++i) {
      budget -= charWidth(toolkit, codeAt(chars, i));
      if (budget <= 0) return i;
    }
    return length;
  }
  // Walking left, the character at the starting position itself is counted first.
  while (i > 0 && budget < 0) {
    budget += charWidth(toolkit, codeAt(chars, i));
    if (budget >= 0) return i;
    --i;
  }
  return i;
}

std::int32_t charsThatFit(Toolkit& toolkit, std::string_view chars, std::int32_t pixels) {
  const std::int32_t length = lengthOf(chars);
  std::int64_t sum = 0;
  for (std::int32_t i = 0; i < length; ++i) {
    sum += charWidth(toolkit, codeAt(chars, i));
    if (sum >= pixels) return i;
  }
  return length;
}

}  // namespace squish::widgets
