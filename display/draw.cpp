// Lines, box outlines, filled boxes and circles. Each primitive converts its points to pixels,
// clips against its target's rectangle before touching a byte, and writes horizontal runs as
// block fills.
//
// Sections: pixel conversion; boxes; lines (clipping, then drawing with the style mask);
// circles (the integer ellipse walk, evaluated row by row).
#include "display/draw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "display/surface.h"

namespace squish::display {
namespace {

// ---- Pixel conversion ----

// Truncation toward zero into int64, saturating; NaN gives 0.
std::int64_t truncToInt64(double v) {
  if (std::isnan(v)) return 0;
  constexpr double limit = 9223372036854775808.0;  // 2^63
  if (v >= limit) return std::numeric_limits<std::int64_t>::max();
  if (v <= -limit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(v);
}

void fillRun(const Surface& surface, std::int64_t y, std::int64_t xFrom, std::int64_t xTo,
             std::uint8_t index) {
  if (!surface.containsRow(y)) return;
  xFrom = std::max(xFrom, surface.clipLeft);
  xTo = std::min(xTo, surface.clipRight - 1);
  if (xFrom > xTo) return;
  std::fill_n(surface.at(xFrom, y), xTo - xFrom + 1, index);
}

void fillColumn(const Surface& surface, std::int64_t x, std::int64_t yFrom, std::int64_t yTo,
                std::uint8_t index) {
  if (x < surface.clipLeft || x >= surface.clipRight) return;
  yFrom = std::max(yFrom, surface.clipTop);
  yTo = std::min(yTo, surface.clipBottom - 1);
  for (std::int64_t y = yFrom; y <= yTo; ++y)
    *surface.at(x, y) = index;
}

// ---- Boxes ----

struct PixelBox {
  std::int64_t x1, y1, x2, y2;
};

void drawBox(Screen& screen, const Surface& surface, PixelBox box, std::uint8_t index,
             bool filled) {
  if (box.x1 > box.x2) std::swap(box.x1, box.x2);
  if (box.y1 > box.y2) std::swap(box.y1, box.y2);
  if (box.x2 < surface.clipLeft || box.y2 < surface.clipTop || box.x1 >= surface.clipRight ||
      box.y1 >= surface.clipBottom) {
    return;
  }
  const std::int64_t top = std::max(box.y1, surface.clipTop);
  const std::int64_t bottom = std::min(box.y2, surface.clipBottom - 1);
  if (filled) {
    for (std::int64_t y = top; y <= bottom; ++y)
      fillRun(surface, y, box.x1, box.x2, index);
  } else {
    // Edges outside the clip rectangle are left out, not moved onto its border.
    if (box.y2 < surface.clipBottom) fillRun(surface, box.y2, box.x1, box.x2, index);
    if (box.y1 >= surface.clipTop) fillRun(surface, box.y1, box.x1, box.x2, index);
    if (box.x2 < surface.clipRight) fillColumn(surface, box.x2, top, bottom, index);
    if (box.x1 >= surface.clipLeft) fillColumn(surface, box.x1, top, bottom, index);
  }
  markSurfaceRows(screen, surface, top, bottom);
}

// ---- Lines ----

// The end points being drawn; reversed when clipping exchanged them, so that the style mask
// still counts from the end point given first.
struct LinePoints {
  std::int64_t x1, y1, x2, y2;
  bool reversed = false;
};

enum Outcode : std::int32_t { leftOf = 1, rightOf = 2, below = 4, above = 8 };

std::int32_t outcode(const Surface& surface, std::int64_t x, std::int64_t y) {
  std::int32_t code = 0;
  if (x < surface.clipLeft) code |= leftOf;
  if (x >= surface.clipRight) code |= rightOf;
  if (y < surface.clipTop) code |= above;
  if (y >= surface.clipBottom) code |= below;
  return code;
}

// Moves the first point onto the first edge it lies beyond, in the order left, right, above,
// below, along the slope of the current integer end points.
void moveOntoEdge(const Surface& surface, LinePoints& p, std::int32_t code) {
  const double dx = static_cast<double>(p.x2 - p.x1);
  const double dy = static_cast<double>(p.y2 - p.y1);
  if (code & (leftOf | rightOf)) {
    const std::int64_t edge = code & leftOf ? surface.clipLeft : surface.clipRight - 1;
    const double slope = dy / dx;  // dx != 0: the other point is not beyond this edge
    p.y1 = truncToInt64(static_cast<double>(p.y1) + slope * static_cast<double>(edge - p.x1));
    p.x1 = edge;
    return;
  }
  const std::int64_t edge = code & above ? surface.clipTop : surface.clipBottom - 1;
  if (p.x1 != p.x2) {
    const double slope = dy / dx;
    p.x1 = truncToInt64(static_cast<double>(p.x1) + static_cast<double>(edge - p.y1) / slope);
  }
  p.y1 = edge;
}

// Cohen–Sutherland clipping. False when nothing of the line is inside.
bool clipLine(const Surface& surface, LinePoints& p) {
  if (surface.clipLeft >= surface.clipRight || surface.clipTop >= surface.clipBottom) {
    return false;
  }
  // Four moves reach the rectangle; the bound only guards against truncation sending a point
  // back and forth, in which case nothing is drawn.
  for (std::int32_t move = 0; move < 16; ++move) {
    std::int32_t code1 = outcode(surface, p.x1, p.y1);
    const std::int32_t code2 = outcode(surface, p.x2, p.y2);
    if ((code1 | code2) == 0) return true;
    if ((code1 & code2) != 0) return false;
    if (code1 == 0) {
      std::swap(p.x1, p.x2);
      std::swap(p.y1, p.y2);
      p.reversed = !p.reversed;
      code1 = code2;
    }
    moveOntoEdge(surface, p, code1);
  }
  return false;
}

// Whether the pixel `step` pixels from the drawing start (of `steps` + 1) is drawn: the first
// given end point takes bit 15, the next pixel bit 14, and so on, repeating every 16 pixels.
bool styleAllows(std::uint32_t style, const LinePoints& p, std::int64_t step, std::int64_t steps) {
  const std::int64_t fromFirst = p.reversed ? steps - step : step;
  return (style >> (15 - fromFirst % 16) & 1u) != 0;
}

// Bresenham from the first point to the second, both included; a tie steps the minor axis.
void plotLine(const Surface& surface, const LinePoints& p, std::uint8_t index,
              std::uint32_t style) {
  const std::int64_t dx = p.x2 >= p.x1 ? p.x2 - p.x1 : p.x1 - p.x2;
  const std::int64_t dy = p.y2 >= p.y1 ? p.y2 - p.y1 : p.y1 - p.y2;
  const std::int64_t sx = p.x2 >= p.x1 ? 1 : -1;
  const std::int64_t sy = p.y2 >= p.y1 ? 1 : -1;
  const bool xMajor = dx >= dy;
  const std::int64_t major = xMajor ? dx : dy;
  const std::int64_t minor = xMajor ? dy : dx;
  std::int64_t x = p.x1;
  std::int64_t y = p.y1;
  std::int64_t error = 2 * minor - major;
  const bool solid = style == 0xFFFFu;
  for (std::int64_t step = 0; step <= major; ++step) {
    if ((solid || styleAllows(style, p, step, major)) && surface.containsRow(y))
      *surface.at(x, y) = index;
    if (error >= 0) {
      if (xMajor) {
        y += sy;
      } else {
        x += sx;
      }
      error -= 2 * major;
    }
    error += 2 * minor;
    if (xMajor) {
      x += sx;
    } else {
      y += sy;
    }
  }
}

void drawSegment(Screen& screen, const Surface& surface, LinePoints p, std::uint8_t index,
                 std::uint32_t style) {
  if (!clipLine(surface, p)) return;
  if (p.y1 == p.y2 && style == 0xFFFFu) {
    fillRun(surface, p.y1, std::min(p.x1, p.x2), std::max(p.x1, p.x2), index);
  } else {
    plotLine(surface, p, index, style);
  }
  markSurfaceRows(screen, surface, std::min(p.y1, p.y2), std::max(p.y1, p.y2));
}

// ---- Circles ----

using Wide = __int128;

// Radii beyond this many pixels are drawn at this size; it keeps every term of the ellipse
// walk within 128-bit integers for rows up to 2^31 away from the centre.
constexpr float maxRadius = 1073741824.0f;  // 2^30

float limitRadius(float r) {
  return std::clamp(r, -maxRadius, maxRadius);
}

// The integer ellipse walk starts at (rx, 0) and makes x steps (i) and y steps (j) towards
// (0, ry). Its error term after i x steps and j y steps is
//   err(i, j) = e + 2e·i − b2·i(i + 1) − a2·j(j + 1),
// nondecreasing in i for i < n and decreasing in j. The walk steps y whenever err > 0 and x
// otherwise, and stops after n x steps. So row j is left, for row j + 1, at the first i with
// err(i, j) > 0, which a binary search finds; rows far from the clip rectangle cost nothing.
struct EllipseWalk {
  Wide a2 = 0;
  Wide b2 = 0;
  Wide e = 0;
  std::int64_t n = 0;  // x steps before the walk ends

  Wide err(std::int64_t i, std::int64_t j) const {
    return e + 2 * e * i - b2 * i * (i + 1) - a2 * Wide{j} * (j + 1);
  }
  // The x step count at which row j hands over to row j + 1: the first i in [from, n) with
  // err(i, j) > 0, or n (the walk ends on row j) when there is none.
  std::int64_t handOver(std::int64_t from, std::int64_t j) const {
    if (from >= n) return from;
    std::int64_t low = from;
    std::int64_t high = n;
    while (low < high) {
      const std::int64_t mid = low + (high - low) / 2;
      if (err(mid, j) > 0) {
        high = mid;
      } else {
        low = mid + 1;
      }
    }
    return low;
  }
};

struct Ellipse {
  std::int64_t cy = 0;
  std::int64_t left = 0;   // x1 before any x step
  std::int64_t right = 0;  // x2 before any x step
  bool filled = false;
};

// Draws what the walk draws on row offset j, whose x steps run over first..last.
void drawEllipseRow(const Surface& surface, const Ellipse& shape, std::int64_t j,
                    std::int64_t first, std::int64_t last, std::uint8_t index) {
  const std::int64_t rows[2] = {shape.cy + j, shape.cy - j};
  for (std::int32_t k = 0; k < (j == 0 ? 1 : 2); ++k) {
    if (shape.filled) {
      fillRun(surface, rows[k], shape.left + first, shape.right - first, index);
    } else {
      fillRun(surface, rows[k], shape.left + first, shape.left + last, index);
      fillRun(surface, rows[k], shape.right - last, shape.right - first, index);
    }
  }
}

void drawEllipse(Screen& screen, const Surface& surface, const Ellipse& shape, float rx, float ry,
                 std::uint8_t index) {
  // Row offsets j whose row cy + j or cy − j is inside the band form one range.
  const std::int64_t firstRow = std::max<std::int64_t>(
      {std::int64_t{0}, surface.bandTop - shape.cy, shape.cy - (surface.bandBottom - 1)});
  const std::int64_t lastRow =
      std::max(surface.bandBottom - 1 - shape.cy, shape.cy - surface.bandTop);
  if (firstRow > lastRow) return;

  EllipseWalk walk;
  walk.a2 = truncToInt64(static_cast<double>(rx) * static_cast<double>(rx));
  walk.b2 = truncToInt64(static_cast<double>(ry) * static_cast<double>(ry));
  const auto b2 = static_cast<double>(static_cast<std::int64_t>(walk.b2));
  walk.e = static_cast<Wide>(std::trunc(b2 * static_cast<double>(rx)));
  walk.n = truncToInt64(rx);

  std::int64_t entry = firstRow == 0 ? 0 : walk.handOver(0, firstRow - 1);
  std::int64_t lastDrawn = -1;
  for (std::int64_t j = firstRow; j <= lastRow; ++j) {
    if (j > 0 && entry >= walk.n) break;  // the walk ended before reaching row j
    const std::int64_t exit = walk.handOver(entry, j);
    if (j == 0) {
      drawEllipseRow(surface, shape, j, 0, exit, index);
    } else if (exit == entry) {
      drawEllipseRow(surface, shape, j, entry, entry, index);
    } else {
      drawEllipseRow(surface, shape, j, entry + 1, exit, index);
    }
    entry = exit;
    lastDrawn = j;
  }
  if (lastDrawn >= 0) markSurfaceRows(screen, surface, shape.cy - lastDrawn, shape.cy + lastDrawn);
}

}  // namespace

void drawLine(Screen& screen, DrawTarget target, float x1, float y1, float x2, float y2,
              std::uint32_t colour, std::int32_t shape, std::uint32_t style) {
  ScreenLock lock(screen.screenLock);
  const std::optional<Surface> surface = surfaceFor(screen, target);
  if (!surface) return;
  if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
  const std::uint8_t index = colourIndex(screen, colour);
  const LinePoints points{toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2)};
  if (shape == boxOutline || shape == filledBox) {
    drawBox(screen, *surface, {points.x1, points.y1, points.x2, points.y2}, index,
            shape == filledBox);
  } else {
    drawSegment(screen, *surface, points, index, style & 0xFFFFu);
  }
}

namespace {

// The radii of an ellipse drawn with `radius` and `aspect` (0 for the default aspect), each
// limited to maxRadius; NaN in either means nothing is drawn.
struct Radii {
  float rx = 0.0f;
  float ry = 0.0f;
};

Radii ellipseRadii(const Screen& screen, float radius, float aspect) {
  if (aspect == 0.0f) {
    aspect = static_cast<float>(static_cast<double>(screen.height) / screen.width * 4.0 / 3.0);
  }
  Radii radii{radius, radius * aspect};
  if (aspect > 1.0f) radii = {radius / aspect, radius};
  if (std::isnan(radii.rx) || std::isnan(radii.ry)) return radii;
  return {limitRadius(radii.rx), limitRadius(radii.ry)};
}

void drawEllipseAt(Screen& screen, const Surface& surface, float x, float y, Radii radii,
                   std::uint8_t index, bool filled) {
  if (std::isnan(x) || std::isnan(y) || std::isnan(radii.rx) || std::isnan(radii.ry)) return;
  Ellipse shape;
  const std::int64_t cx = toPixel(x);
  shape.cy = toPixel(y);
  shape.left = truncToInt64(static_cast<double>(cx) - static_cast<double>(radii.rx));
  shape.right = truncToInt64(static_cast<double>(cx) + static_cast<double>(radii.rx));
  shape.filled = filled;
  if (std::max(shape.left, shape.right) < surface.clipLeft ||
      std::min(shape.left, shape.right) >= surface.clipRight) {
    return;
  }
  if (radii.ry == 0.0f) {  // a flat ellipse is its middle row, filled either way
    fillRun(surface, shape.cy, shape.left, shape.right, index);
    markSurfaceRows(screen, surface, shape.cy, shape.cy);
    return;
  }
  drawEllipse(screen, surface, shape, radii.rx, radii.ry, index);
}

}  // namespace

void drawCircle(Screen& screen, DrawTarget target, float x, float y, float radius,
                std::uint32_t colour, float aspect, float /*startAngle*/, float /*endAngle*/,
                std::int32_t filled) {
  ScreenLock lock(screen.screenLock);
  const std::optional<Surface> surface = surfaceFor(screen, target);
  if (!surface) return;
  drawEllipseAt(screen, *surface, x, y, ellipseRadii(screen, radius, aspect),
                colourIndex(screen, colour), filled != 0);
}

void drawPixelLines(Screen& screen, DrawTarget target, std::span<const PixelLine> lines) {
  ScreenLock lock(screen.screenLock);
  const std::optional<Surface> surface = surfaceFor(screen, target);
  if (!surface) return;
  for (const PixelLine& l : lines)
    drawSegment(screen, *surface, {l.x1, l.y1, l.x2, l.y2}, colourIndex(screen, l.colour), 0xFFFFu);
}

void drawCircles(Screen& screen, DrawTarget target, std::span<const CircleCentre> centres,
                 float radius) {
  ScreenLock lock(screen.screenLock);
  const std::optional<Surface> surface = surfaceFor(screen, target);
  if (!surface) return;
  const Radii radii = ellipseRadii(screen, radius, 0.0f);
  for (const CircleCentre& c : centres)
    drawEllipseAt(screen, *surface, c.x, c.y, radii, colourIndex(screen, c.colour), false);
}

namespace {

// The work page with only the band's rows writable; none when no screen is open or the page is
// on show (its rows would have to be marked dirty, which one thread at a time may do).
std::optional<Surface> bandOfWorkPage(Screen& screen, RowBand band) {
  std::optional<Surface> surface = surfaceFor(screen, workPage);
  if (!surface || surface->isVisiblePage) return std::nullopt;
  surface->bandTop = std::clamp(band.top, surface->clipTop, surface->clipBottom);
  surface->bandBottom = std::clamp(band.bottom, surface->bandTop, surface->clipBottom);
  return surface;
}

}  // namespace

void drawPixelLinesInBand(Screen& screen, std::span<const PixelLine> lines, RowBand band) {
  const std::optional<Surface> surface = bandOfWorkPage(screen, band);
  if (!surface) return;
  for (const PixelLine& l : lines) {
    // A line's pixels lie in the rows between its end points, clipped or not.
    if (std::max(l.y1, l.y2) < surface->bandTop || std::min(l.y1, l.y2) >= surface->bandBottom)
      continue;
    drawSegment(screen, *surface, {l.x1, l.y1, l.x2, l.y2}, colourIndex(screen, l.colour), 0xFFFFu);
  }
}

void drawCirclesInBand(Screen& screen, std::span<const CircleCentre> centres, float radius,
                       RowBand band) {
  const std::optional<Surface> surface = bandOfWorkPage(screen, band);
  if (!surface) return;
  const Radii radii = ellipseRadii(screen, radius, 0.0f);
  for (const CircleCentre& c : centres)
    drawEllipseAt(screen, *surface, c.x, c.y, radii, colourIndex(screen, c.colour), false);
}

}  // namespace squish::display
