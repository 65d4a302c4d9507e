#pragma once
// The lines, boxes, bevelled frames and check marks every widget kind draws itself with, on the
// screen's work page. Coordinates are whole pixels, inclusive at both ends.
#include <cstdint>

#include "widgets/toolkit.h"

namespace squish::widgets {

// Frame styles: the border type in the low three bits, plus the option bits.
inline constexpr std::int32_t frameNone = 0;
inline constexpr std::int32_t frameRaised = 1;
inline constexpr std::int32_t frameSunken = 2;
inline constexpr std::int32_t frameEtched = 3;
inline constexpr std::int32_t frameOutline = 4;
inline constexpr std::int32_t frameThick = 5;
inline constexpr std::int32_t frameFill = 8;       // fill the inside with the face colour
inline constexpr std::int32_t frameOutset = 0x10;  // put the border outside the rectangle

// Lines and boxes in colour c; nothing is drawn for a length, width or height below 1.
void drawHLine(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t length,
               std::int32_t c);
void drawVLine(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t length,
               std::int32_t c);
void drawLineSeg(Toolkit& toolkit, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                 std::int32_t y2, std::int32_t c);
void drawRectOutline(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t w,
                     std::int32_t h, std::int32_t c);
void fillRect(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
              std::int32_t c);

// The border of the style drawn from the outside in, then the optional fill.
void drawFrame(Toolkit& toolkit, const Rect& rect, std::int32_t style);
// A square as wide as box, centred vertically in it, crossed when ticked.
void drawCheckMark(Toolkit& toolkit, const Rect& box, bool ticked, std::int32_t c);

}  // namespace squish::widgets
