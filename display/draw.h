#pragma once
// Drawing primitives: lines, box outlines, filled boxes and circles on the screen's work page
// or on an image, rounded to pixels by one rule and clipped to the target.
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "display/screen.h"

namespace squish::display {

// The target of a primitive: an image block (4-byte header, then rows), or an empty span for
// the screen's work page.
using DrawTarget = std::span<std::uint8_t>;
inline constexpr DrawTarget workPage{};

enum LineShape : std::int32_t { line = 0, boxOutline = 1, filledBox = 2 };

// Float coordinate to pixel, halves away from zero, computed in double precision. Saturates to
// the int32 range; NaN gives 0. Inline: renderers call it for every element.
inline std::int32_t toPixel(double v) {
  if (std::isnan(v)) return 0;
  const double shifted = v > 0 ? v + 0.5 : v - 0.5;
  if (shifted >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
  if (shifted <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(shifted);
}

// Shape 0 is a line (style: a 16-bit mask, bit 15 for the first given end point), 1 a box
// outline and 2 a filled box between the two corners. NaN in any coordinate draws nothing.
void drawLine(Screen& screen, DrawTarget target, float x1, float y1, float x2, float y2,
              std::uint32_t colour, std::int32_t shape, std::uint32_t style);

// Only the whole ellipse (start 0, end 6.283186) is drawn; aspect 0 means the default aspect.
// NaN in the centre, radius or aspect draws nothing; radii beyond 2^30 pixels are drawn at
// 2^30. The cost grows with the rows inside the clip rectangle, not with the radius.
void drawCircle(Screen& screen, DrawTarget target, float x, float y, float radius,
                std::uint32_t colour, float aspect, float startAngle, float endAngle,
                std::int32_t filled);

// Many elements on one target in one call, for callers that draw thousands: the lock is taken
// and the target's surface found once. A PixelLine is drawn exactly as drawLine draws a solid
// line (shape 0) whose end points round to these pixels; a CircleCentre exactly as drawCircle
// draws an outline of the whole ellipse with the default aspect.
struct PixelLine {
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  std::uint32_t colour = 0;
};
void drawPixelLines(Screen& screen, DrawTarget target, std::span<const PixelLine> lines);

struct CircleCentre {
  float x = 0.0f;
  float y = 0.0f;
  std::uint32_t colour = 0;
};
void drawCircles(Screen& screen, DrawTarget target, std::span<const CircleCentre> centres,
                 float radius);

// The same two on the work page, writing only the rows top..bottom - 1 of it: each pixel there
// ends as the whole drawing leaves it. They take no lock, so that threads drawing different
// bands of one page can work at once while their caller holds the screen lock; and they draw
// nothing while the work page is the visible one, whose touched rows must be marked dirty.
struct RowBand {
  std::int64_t top = 0;
  std::int64_t bottom = 0;
};
void drawPixelLinesInBand(Screen& screen, std::span<const PixelLine> lines, RowBand band);
void drawCirclesInBand(Screen& screen, std::span<const CircleCentre> centres, float radius,
                       RowBand band);

}  // namespace squish::display
