// Lines, boxes, bevels and check marks on the work page. Sizes below 1 draw nothing, and end
// points are computed in 64 bits, so any rectangle an application gives is safe to draw.
#include "widgets/frame_drawing.h"

#include <array>

#include "display/draw.h"
#include "widgets/colour_scheme.h"

namespace squish::widgets {

namespace {

// Pixel coordinates as the primitives take them; whole numbers, so exact up to 2^24.
void line(Toolkit& toolkit, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
          std::int32_t c, display::LineShape shape) {
  if (toolkit.screen == nullptr) return;
  display::drawLine(*toolkit.screen, display::workPage, static_cast<float>(x1),
                    static_cast<float>(y1), static_cast<float>(x2), static_cast<float>(y2),
                    static_cast<std::uint32_t>(c), shape, 0xFFFF);
}

void bevel(Toolkit& toolkit, Rect& r, std::int32_t light, std::int32_t dark) {
  const std::int64_t right = std::int64_t{r.x} + r.w - 1;
  const std::int64_t bottom = std::int64_t{r.y} + r.h - 1;
  drawHLine(toolkit, r.x, r.y, saturate(std::int64_t{r.w} - 1), light);
  drawVLine(toolkit, r.x, r.y, saturate(std::int64_t{r.h} - 1), light);
  drawHLine(toolkit, r.x, saturate(bottom), r.w, dark);
  drawVLine(toolkit, saturate(right), r.y, saturate(std::int64_t{r.h} - 1), dark);
  inflateRect(r, -1, -1);
}

void outline(Toolkit& toolkit, Rect& r, std::int32_t c) {
  drawRectOutline(toolkit, r.x, r.y, r.w, r.h, c);
  inflateRect(r, -1, -1);
}

// Border width of each border type (style & 7).
constexpr std::array<std::int32_t, 8> borderWidth{0, 1, 1, 2, 1, 4, 0, 0};

}  // namespace

void drawHLine(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t length,
               std::int32_t c) {
  if (length < 1) return;
  line(toolkit, x, y, std::int64_t{x} + length - 1, y, c, display::line);
}

void drawVLine(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t length,
               std::int32_t c) {
  if (length < 1) return;
  line(toolkit, x, y, x, std::int64_t{y} + length - 1, c, display::line);
}

void drawLineSeg(Toolkit& toolkit, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                 std::int32_t y2, std::int32_t c) {
  line(toolkit, x1, y1, x2, y2, c, display::line);
}

void drawRectOutline(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t w,
                     std::int32_t h, std::int32_t c) {
  if (w < 1 || h < 1) return;
  line(toolkit, x, y, std::int64_t{x} + w - 1, std::int64_t{y} + h - 1, c, display::boxOutline);
}

void fillRect(Toolkit& toolkit, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
              std::int32_t c) {
  if (w < 1 || h < 1) return;
  line(toolkit, x, y, std::int64_t{x} + w - 1, std::int64_t{y} + h - 1, c, display::filledBox);
}

void drawFrame(Toolkit& toolkit, const Rect& rect, std::int32_t style) {
  const std::int32_t type = style & 7;
  Rect r = rect;
  if ((style & frameOutset) != 0) inflateRect(r, borderWidth[type], borderWidth[type]);
  const std::int32_t face = schemeColour(toolkit, faceColour);
  const std::int32_t light = schemeColour(toolkit, lightEdgeColour);
  const std::int32_t dark = schemeColour(toolkit, darkEdgeColour);
  switch (type) {
    case frameRaised:
      bevel(toolkit, r, light, dark);
      break;
    case frameSunken:
      bevel(toolkit, r, dark, light);
      break;
    case frameEtched:
      bevel(toolkit, r, light, dark);
      bevel(toolkit, r, dark, light);
      break;
    case frameOutline:
      outline(toolkit, r, schemeColour(toolkit, outlineColour));
      break;
    case frameThick:
      bevel(toolkit, r, light, dark);
      outline(toolkit, r, face);
      outline(toolkit, r, face);
      bevel(toolkit, r, dark, light);
      break;
    default:
      break;
  }
  if ((style & frameFill) != 0) fillRect(toolkit, r.x, r.y, r.w, r.h, face);
}

void drawCheckMark(Toolkit& toolkit, const Rect& box, bool ticked, std::int32_t c) {
  const std::int32_t s = box.w;
  const std::int32_t sx = box.x;
  const std::int32_t sy = saturate(std::int64_t{box.y} + (std::int64_t{box.h} - s) / 2);
  drawRectOutline(toolkit, sx, sy, s, s, c);
  if (!ticked || s < 1) return;
  const std::int64_t near = 1;
  const std::int64_t far = std::int64_t{s} - 2;
  line(toolkit, sx + near, sy + near, sx + far, sy + far, c, display::line);
  line(toolkit, sx + near, sy + far, sx + far, sy + near, c, display::line);
}

}  // namespace squish::widgets
