#pragma once
// A windowless 640 x 480 screen with a toolkit on it, a small hand-made font sheet, and an
// event recorder, shared by the toolkit's tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "display/draw.h"
#include "display/image.h"
#include "display/screen.h"
#include "widgets/font.h"
#include "widgets/toolkit.h"

namespace squish::widgets::testing {

// Ink pixels of the test sheet, by cell position. Every glyph has its own single ink pixel at
// (1, 2) except these: code 0 at (0, 0), code 200 at (5, 7), and 'X' a diagonal whose middle
// pixel has palette index 200 (ink all the same).
inline constexpr std::int32_t inkX = 1;
inline constexpr std::int32_t inkY = 2;

inline void setSheetPixel(display::ImageBuffer& sheet, std::int32_t x, std::int32_t y,
                          std::uint8_t value) {
  sheet[4 + static_cast<std::size_t>(y) * 96 + static_cast<std::size_t>(x)] = value;
}

inline display::ImageBuffer makeTestSheet(display::Screen& screen) {
  display::ImageBuffer sheet = display::createImage(screen, 96, 128, display::defaultColour);
  for (std::int32_t k = 0; k < 256; ++k) {
    const std::int32_t left = (k % 16) * 6;
    const std::int32_t top = (k / 16) * 8;
    if (k == 0) {
      setSheetPixel(sheet, left, top, 15);
    } else if (k == 200) {
      setSheetPixel(sheet, left + 5, top + 7, 15);
    } else if (k == 'X') {
      for (std::int32_t i = 0; i < 6; ++i)
        setSheetPixel(sheet, left + i, top + i, i == 3 ? 200 : 15);
    } else {
      setSheetPixel(sheet, left + inkX, top + inkY, 15);
    }
  }
  return sheet;
}

struct WidgetFixture : ::testing::Test {
  display::Screen screen;
  Toolkit toolkit;
  std::unique_ptr<BitmapFont> font;

  WidgetFixture() {
    display::openScreen(screen, 18, 8, 2, 0, 0);
    initToolkit(toolkit, screen, 640, 480, 8);
  }
  ~WidgetFixture() override { display::closeScreen(screen); }

  void useTestFont() {
    display::ImageBuffer sheet = makeTestSheet(screen);
    font = buildFont(toolkit, 6, 8, sheet);
    ASSERT_NE(font, nullptr);
    setCurrentFont(toolkit, font.get());
  }

  std::uint8_t pixel(std::int32_t x, std::int32_t y) const {
    return screen.pages[static_cast<std::size_t>(screen.workPage)]
                       [static_cast<std::size_t>(y) * 640 + static_cast<std::size_t>(x)];
  }
  void fillPage(std::uint32_t colour) {
    display::drawLine(screen, display::workPage, 0, 0, 639, 479, colour, display::filledBox,
                      0xFFFF);
  }
};

// Records (widget id, event code) for every call of the callbacks it makes, and answers with
// `result`.
struct EventLog {
  std::vector<std::pair<std::int32_t, std::int32_t>> calls;
  EventResult result = EventResult::passOn;

  WidgetCallback callback() {
    return [this](Toolkit&, Widget* widget, std::int32_t code, WidgetEvent*) {
      calls.emplace_back(widget->id, code);
      return result;
    };
  }
  std::int32_t count(std::int32_t id, std::int32_t code) const {
    std::int32_t n = 0;
    for (const auto& [i, c] : calls)
      n += (i == id && c == code) ? 1 : 0;
    return n;
  }
  void clear() { calls.clear(); }
};

}  // namespace squish::widgets::testing
