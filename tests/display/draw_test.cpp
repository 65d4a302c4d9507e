// Drawing primitives: pixel rounding, lines with clipping and the style mask, box outlines and
// filled boxes, circles against a plain transcription of the ellipse walk, image targets,
// dirty rows, and absurd coordinates.
#include "display/draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/image.h"
#include "tests/display/display_test_support.h"

namespace squish::display {
namespace {

using testing::clearDirtyRows;
using testing::dirtyRowCount;
using testing::inkedPixels;
using testing::openWindowlessScreen;
using testing::PixelSet;

constexpr float fullTurn = 6.283186f;

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override { openWindowlessScreen(screen); }
  PixelSet drawn() const { return inkedPixels(screen, 0); }
  void line(float x1, float y1, float x2, float y2, std::uint32_t style = 0xFFFF) {
    drawLine(screen, workPage, x1, y1, x2, y2, 1, LineShape::line, style);
  }
  void circle(float x, float y, float radius, std::int32_t filled, float aspect = 0.0f) {
    drawCircle(screen, workPage, x, y, radius, 1, aspect, 0.0f, fullTurn, filled);
  }

  Screen screen;
};

TEST(ToPixel, RoundsHalvesAwayFromZeroAndSaturates) {
  EXPECT_EQ(toPixel(2.5), 3);
  EXPECT_EQ(toPixel(-2.5), -3);
  EXPECT_EQ(toPixel(0.49), 0);
  EXPECT_EQ(toPixel(-0.5), -1);
  EXPECT_EQ(toPixel(0.0), 0);
  EXPECT_EQ(toPixel(std::nextafter(0.5f, 0.0f)), 0);
  EXPECT_EQ(toPixel(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(toPixel(std::numeric_limits<double>::infinity()), 2147483647);
  EXPECT_EQ(toPixel(-std::numeric_limits<double>::infinity()), -2147483647 - 1);
  EXPECT_EQ(toPixel(1e30), 2147483647);
  EXPECT_EQ(toPixel(2147483646.6), 2147483647);
  EXPECT_EQ(toPixel(-2147483648.4), -2147483647 - 1);
  EXPECT_EQ(toPixel(std::numeric_limits<float>::denorm_min()), 0);
}

TEST_F(Drawing, LinesFollowTheWorkedExamples) {
  line(10.5f, 3.5f, 12.4f, 3.5f);
  EXPECT_EQ(drawn(), (PixelSet{{11, 4}, {12, 4}}));

  clearPage(screen);
  line(7.2f, 8.4f, 6.9f, 7.6f);
  EXPECT_EQ(drawn(), (PixelSet{{7, 8}}));

  clearPage(screen);
  line(0, 0, 4, 2);
  EXPECT_EQ(drawn(), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));

  clearPage(screen);
  line(-100, 240, 700, 240);
  EXPECT_EQ(drawn().size(), 640u);
  EXPECT_EQ(std::count(screen.pages[0].begin() + 240 * 640, screen.pages[0].begin() + 241 * 640, 1),
            640);

  clearPage(screen);
  line(-50, -3, 700, -1);
  EXPECT_TRUE(drawn().empty());
}

TEST_F(Drawing, ClippedLinesStartWhereTheSlopeMeetsTheEdge) {
  // Slope 0.5 from (-3, 0): the left edge is met at y = 1.5, truncated to 1.
  line(-3, 0, 7, 5);
  EXPECT_EQ(drawn(), (PixelSet{{0, 1}, {1, 2}, {2, 2}, {3, 3}, {4, 3}, {5, 4}, {6, 4}, {7, 5}}));

  // The outside point given second becomes the first and is clipped the same way.
  const PixelSet forward = drawn();
  clearPage(screen);
  line(7, 5, -3, 0);
  EXPECT_EQ(drawn(), forward);

  // Across the bottom-right corner: moved onto the right edge at (639, 484), then onto the
  // bottom edge at (634, 479).
  clearPage(screen);
  line(630, 475, 640, 485);
  EXPECT_EQ(drawn(), (PixelSet{{630, 475}, {631, 476}, {632, 477}, {633, 478}, {634, 479}}));

  // Vertical lines clip only in y.
  clearPage(screen);
  line(5, -1e6f, 5, 3);
  EXPECT_EQ(drawn(), (PixelSet{{5, 0}, {5, 1}, {5, 2}, {5, 3}}));
}

TEST_F(Drawing, StyleMaskCountsFromTheFirstGivenPoint) {
  line(0, 0, 19, 0, 0x8000);
  EXPECT_EQ(drawn(), (PixelSet{{0, 0}, {16, 0}}));

  clearPage(screen);
  line(19, 0, 0, 0, 0x8000);
  EXPECT_EQ(drawn(), (PixelSet{{19, 0}, {3, 0}}));

  clearPage(screen);
  line(0, 19, 0, 0, 0x8001);
  EXPECT_EQ(drawn(), (PixelSet{{0, 19}, {0, 4}, {0, 3}}));

  clearPage(screen);
  line(0, 0, 7, 7, 0xAAAA);
  EXPECT_EQ(drawn(), (PixelSet{{0, 0}, {2, 2}, {4, 4}, {6, 6}}));

  // Clipped only at its second end point, the pattern still starts at the first.
  clearPage(screen);
  line(600, 0, 700, 0, 0x8000);
  EXPECT_EQ(drawn(), (PixelSet{{600, 0}, {616, 0}, {632, 0}}));

  // Only the low 16 bits of the style count.
  clearPage(screen);
  line(0, 0, 3, 0, 0xFFFF0000u | 0xF000u);
  EXPECT_EQ(drawn().size(), 4u);
}

TEST_F(Drawing, BoxOutlinesLoseTheirEdgesOutsideTheClip) {
  drawLine(screen, workPage, -10, 10, 20, 30, 1, boxOutline, 0xFFFF);
  PixelSet expected;
  for (std::int32_t x = 0; x <= 20; ++x)
    expected.insert({x, 10}), expected.insert({x, 30});
  for (std::int32_t y = 10; y <= 30; ++y)
    expected.insert({20, y});
  EXPECT_EQ(drawn(), expected);

  clearPage(screen);
  drawLine(screen, workPage, 630, 470, 700, 500, 1, boxOutline, 0xFFFF);
  expected.clear();
  for (std::int32_t x = 630; x < 640; ++x)
    expected.insert({x, 470});
  for (std::int32_t y = 470; y < 480; ++y)
    expected.insert({630, y});
  EXPECT_EQ(drawn(), expected);

  clearPage(screen);
  drawLine(screen, workPage, -10, -10, -1, 300, 1, boxOutline, 0xFFFF);
  EXPECT_TRUE(drawn().empty());
}

TEST_F(Drawing, FilledBoxesFillTheSameRectangleInEitherCornerOrder) {
  PixelSet expected;
  for (std::int32_t y = 2; y <= 4; ++y) {
    for (std::int32_t x = 3; x <= 6; ++x)
      expected.insert({x, y});
  }
  for (const auto& [x1, y1, x2, y2] :
       {std::array<float, 4>{3, 2, 6, 4}, {6, 4, 3, 2}, {3, 4, 6, 2}, {6, 2, 3, 4}}) {
    clearPage(screen);
    drawLine(screen, workPage, x1, y1, x2, y2, 1, filledBox, 0xFFFF);
    EXPECT_EQ(drawn(), expected);
  }
  clearPage(screen);
  drawLine(screen, workPage, -1e30f, -1e30f, 1e30f, 1e30f, 1, filledBox, 0xFFFF);
  EXPECT_EQ(drawn().size(), 640u * 480u);
}

TEST_F(Drawing, CircleOfRadiusFourHasTwentyOutlinePixelsAndTheListedFill) {
  circle(100, 100, 4, 0);
  PixelSet expected;
  for (std::int32_t s : {-1, 1}) {
    for (std::int32_t d : {-1, 0, 1})
      expected.insert({100 + 4 * s, 100 + d});
    expected.insert({100 + 3 * s, 98}), expected.insert({100 + 3 * s, 102});
    expected.insert({100 + 2 * s, 97}), expected.insert({100 + 2 * s, 103});
    for (std::int32_t d : {-1, 0, 1})
      expected.insert({100 + d, 100 + 4 * s});
  }
  EXPECT_EQ(drawn(), expected);

  clearPage(screen);
  circle(100, 100, 4, 1);
  const std::array<std::int32_t, 9> halfWidths = {1, 2, 3, 4, 4, 4, 3, 2, 1};
  expected.clear();
  for (std::int32_t row = -4; row <= 4; ++row) {
    const std::int32_t half = halfWidths[row + 4];
    for (std::int32_t x = -half; x <= half; ++x)
      expected.insert({100 + x, 100 + row});
  }
  EXPECT_EQ(drawn(), expected);

  clearPage(screen);
  circle(320.5f, 240.5f, 4, 0);
  const PixelSet shifted = drawn();
  EXPECT_EQ(shifted.count({325, 241}), 1u);
  EXPECT_EQ(shifted.count({317, 241}), 1u);
  EXPECT_EQ(shifted.count({321, 237}), 1u);
  EXPECT_EQ(shifted.count({321, 245}), 1u);

  for (std::int32_t filled : {0, 1}) {
    clearPage(screen);
    circle(9, 7, 0, filled);
    EXPECT_EQ(drawn(), (PixelSet{{9, 7}}));
  }
}

TEST_F(Drawing, ClippedCirclesKeepOnlyTheirInsidePixels) {
  circle(50, 50, 4, 0);
  PixelSet expected;
  for (const auto& [x, y] : drawn()) {
    if (x - 48 >= 0 && y - 48 >= 0) expected.insert({x - 48, y - 48});
  }
  clearPage(screen);
  circle(2, 2, 4, 0);
  EXPECT_EQ(drawn(), expected);

  clearPage(screen);
  circle(-5, 240, 4, 1);
  circle(320, 485, 4, 1);
  EXPECT_TRUE(drawn().empty());
}

// The ellipse walk exactly as its algorithm reads, one step at a time, into a 640 × 480 page of
// 0 and 1 through a clip check. Slow for large radii, which is what the drawn version avoids.
std::vector<std::uint8_t> plainEllipse(std::int32_t cx, std::int32_t cy, float radius, float aspect,
                                       bool filled) {
  std::vector<std::uint8_t> page(640 * 480, 0);
  if (aspect == 0.0f) aspect = 1.0f;
  float rx = radius;
  float ry = radius * aspect;
  if (aspect > 1.0f) rx = radius / aspect, ry = radius;
  std::int64_t x1 = static_cast<std::int64_t>(cx - static_cast<double>(rx));
  std::int64_t x2 = static_cast<std::int64_t>(cx + static_cast<double>(rx));
  auto plot = [&](std::int64_t x, std::int64_t y) {
    if (x >= 0 && x < 640 && y >= 0 && y < 480) page[y * 640 + x] = 1;
  };
  // Only the columns near the page matter; the rest would be clipped one by one.
  auto run = [&](std::int64_t y) {
    if (y < 0 || y >= 480) return;
    for (std::int64_t x = std::max<std::int64_t>(x1, -1); x <= std::min<std::int64_t>(x2, 640);
         ++x) {
      plot(x, y);
    }
  };
  auto span = [&](std::int64_t y) {
    if (filled) {
      run(y);
    } else {
      plot(x1, y), plot(x2, y);
    }
  };
  if (ry == 0.0f) {
    run(cy);
    return page;
  }
  span(cy);
  const auto a2 = static_cast<std::int64_t>(static_cast<double>(rx) * rx);
  const auto b2 = static_cast<std::int64_t>(static_cast<double>(ry) * ry);
  std::int64_t err = static_cast<std::int64_t>(static_cast<double>(b2) * rx);
  std::int64_t d = 2 * err;
  std::int64_t t = 0;
  std::int64_t n = static_cast<std::int64_t>(rx);
  std::int64_t yDown = cy;
  std::int64_t yUp = cy;
  while (n > 0) {
    bool stepX = true;
    if (err > 0) {
      ++yDown, --yUp, t += 2 * a2, err -= t;
      stepX = err <= 0;
    }
    if (stepX) ++x1, --x2, --n, d -= 2 * b2, err += d;
    span(yDown);
    span(yUp);
  }
  return page;
}

TEST_F(Drawing, CirclesMatchThePlainEllipseWalk) {
  struct Case {
    float x, y, radius, aspect;
  };
  const Case cases[] = {
      {320, 240, 1, 0},
      {320, 240, 2.6f, 0},
      {100, 50, 37.3f, 0},
      {320, 240, 300, 0},
      {320, 240, 300, 0.5f},
      {320, 240, 300, 2.0f},
      {10, 470, 1000, 1.3f},
      {-900, 240, 1200, 0},
      {320, 2300, 2000, 0},
      {320, -1500, 3000, 0.7f},
      {700, 100, 2999.5f, 0},
      {320, 240, 0.4f, 0},
      {320, 240, -6, 0},
      {320, 240, 5, -0.5f},
      {320, 240, 200000, 0},
      {320, 200240, 200000, 0},
      {-199700, 240, 200000, 0.999f},
  };
  for (const Case& c : cases) {
    for (std::int32_t filled : {0, 1}) {
      clearPage(screen);
      circle(c.x, c.y, c.radius, filled, c.aspect);
      EXPECT_TRUE(screen.pages[0] ==
                  plainEllipse(toPixel(c.x), toPixel(c.y), c.radius, c.aspect, filled))
          << c.x << "," << c.y << " r " << c.radius << " aspect " << c.aspect << " filled "
          << filled;
    }
  }
}

TEST_F(Drawing, HugeCirclesDrawOnlyTheirVisibleRows) {
  // Radius 1e9 whose top passes through row 256: a flat arc across the whole screen.
  circle(320, 1000000256.0f, 1e9f, 0);
  const PixelSet arc = drawn();
  ASSERT_FALSE(arc.empty());
  std::int32_t topRow = 480;
  for (const auto& [x, y] : arc)
    topRow = std::min(topRow, y);
  EXPECT_GE(topRow, 240);
  EXPECT_LE(topRow, 272);

  clearPage(screen);
  circle(320, 240, 1e9f, 1);
  EXPECT_EQ(drawn().size(), 640u * 480u);
  clearPage(screen);
  circle(320, 240, 1e9f, 0);
  EXPECT_TRUE(drawn().empty());

  const float absurd[] = {std::numeric_limits<float>::infinity(), 1e30f, -1e30f,
                          std::numeric_limits<float>::denorm_min()};
  for (float value : absurd) {
    for (std::int32_t filled : {0, 1}) {
      circle(value, 240, 4, filled);
      circle(320, value, 4, filled);
      circle(320, 240, value, filled);
      circle(320, 240, 4, filled, value);
    }
  }
  clearPage(screen);
  circle(320, 240, std::numeric_limits<float>::infinity(), 1);
  EXPECT_EQ(drawn().size(), 640u * 480u);
}

TEST_F(Drawing, NotANumberDrawsNothingAndInfinitiesClip) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (std::int32_t shape : {0, 1, 2}) {
    drawLine(screen, workPage, nan, 0, 10, 10, 1, shape, 0xFFFF);
    drawLine(screen, workPage, 0, 0, 10, nan, 1, shape, 0xFFFF);
  }
  circle(nan, 5, 4, 1);
  circle(5, 5, nan, 1);
  circle(5, 5, 4, 1, nan);
  EXPECT_TRUE(drawn().empty());

  line(-inf, 240, inf, 240);
  EXPECT_EQ(drawn().size(), 640u);
  clearPage(screen);
  line(-inf, -inf, inf, inf);
  line(1e30f, -1e30f, -1e30f, 1e30f);
  line(3e9f, 5, -3e9f, 7);
  drawLine(screen, workPage, -inf, -inf, inf, inf, 1, boxOutline, 0xFFFF);
  EXPECT_TRUE(drawn().size() < 640u * 480u);
}

TEST_F(Drawing, ImageTargetsClipToTheImageAndTooSmallBlocksAreLeftAlone) {
  ImageBuffer image = createImage(screen, 10, 10, defaultColour);
  drawLine(screen, image, -5, 4, 20, 4, 3, LineShape::line, 0xFFFF);
  drawCircle(screen, image, 9, 9, 2, 5, 0, 0, fullTurn, 1);
  for (std::int32_t y = 0; y < 10; ++y) {
    for (std::int32_t x = 0; x < 10; ++x) {
      std::uint8_t want = y == 4 ? 3 : 0;
      const std::int32_t dy = y - 9;
      const std::int32_t half = dy == 0 ? 2 : dy == -1 ? 1 : dy == -2 ? 0 : -1;
      if (x >= 9 - half) want = 5;
      EXPECT_EQ(image[4 + y * 10 + x], want) << x << "," << y;
    }
  }
  EXPECT_TRUE(drawn().empty());

  std::vector<std::uint8_t> tooSmall(4 + 99, 0);
  writeImageHeader(tooSmall, 1, 10, 10);
  drawLine(screen, tooSmall, 0, 0, 9, 9, 3, filledBox, 0xFFFF);
  std::vector<std::uint8_t> wideHeader(4 + 100, 0);
  writeImageHeader(wideHeader, 2, 10, 5);
  drawLine(screen, wideHeader, 0, 0, 9, 4, 3, filledBox, 0xFFFF);
  EXPECT_EQ(std::count(tooSmall.begin() + 4, tooSmall.end(), 0), 99);
  EXPECT_EQ(std::count(wideHeader.begin() + 4, wideHeader.end(), 0), 100);
}

TEST_F(Drawing, OnlyTheVisiblePageMarksItsRowsAndDefaultColourIsTheForeground) {
  clearDirtyRows(screen);
  drawLine(screen, workPage, 0, 5, 9, 7, defaultColour, LineShape::line, 0xFFFF);
  EXPECT_EQ(testing::pixelAt(screen, 0, 0, 5), 15);
  EXPECT_EQ(dirtyRowCount(screen), 3);
  EXPECT_TRUE(screen.dirtyRows[5] && screen.dirtyRows[6] && screen.dirtyRows[7]);
  circle(100, 100, 4, 0);
  EXPECT_EQ(dirtyRowCount(screen), 12);

  setPages(screen, 1, 0);
  clearDirtyRows(screen);
  drawLine(screen, workPage, 0, 0, 639, 479, 0x1234, filledBox, 0xFFFF);
  circle(100, 100, 4, 1);
  EXPECT_EQ(testing::pixelAt(screen, 1, 639, 479), 0x34);
  EXPECT_EQ(dirtyRowCount(screen), 0);
}

}  // namespace
}  // namespace squish::display
