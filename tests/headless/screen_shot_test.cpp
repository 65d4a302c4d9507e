// Screen shots: header fields, colour table order, bottom-up rows and row padding.
#include "headless/screen_shot.h"

#include <gtest/gtest.h>

namespace squish::headless {
namespace {

std::uint32_t read32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

void makeTinyScreen(display::Screen& screen, std::int32_t width, std::int32_t height) {
  screen.width = width;
  screen.height = height;
  screen.bytesPerPixel = 1;
  screen.pitch = width;
  screen.pageCount = 2;
  screen.pages.assign(2, std::vector<std::uint8_t>(width * height, 0));
  screen.visiblePage = 0;
  screen.workPage = 1;
}

TEST(ScreenShot, HeaderTableAndBottomUpPaddedRows) {
  display::Screen screen;
  makeTinyScreen(screen, 3, 2);
  screen.pages[0] = {1, 2, 3, 4, 5, 6};
  screen.pages[1] = {9, 9, 9, 9, 9, 9};  // the work page is not taken
  screen.palette[1] = 0x00332211u;
  const std::vector<std::uint8_t> b = encodeScreenShot(screen);
  ASSERT_EQ(b.size(), 54u + 1024u + 2u * 4u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(read32(b, 2), b.size());
  EXPECT_EQ(read32(b, 10), 54u + 1024u);
  EXPECT_EQ(read32(b, 14), 40u);
  EXPECT_EQ(read32(b, 18), 3u);
  EXPECT_EQ(read32(b, 22), 2u);
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 8);
  EXPECT_EQ(read32(b, 30), 0u);
  EXPECT_EQ(read32(b, 46), 256u);
  // Entry 1 (0x00BBGGRR = 0x00332211): blue, green, red, 0.
  EXPECT_EQ(b[58], 0x33);
  EXPECT_EQ(b[59], 0x22);
  EXPECT_EQ(b[60], 0x11);
  EXPECT_EQ(b[61], 0x00);
  const std::vector<std::uint8_t> rows(b.begin() + 1078, b.end());
  EXPECT_EQ(rows, (std::vector<std::uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}));
}

TEST(ScreenShot, NothingIsTakenFromAScreenWithoutAVisiblePage) {
  display::Screen closed;
  EXPECT_TRUE(encodeScreenShot(closed).empty());
  display::Screen shortPage;
  makeTinyScreen(shortPage, 4, 4);
  shortPage.pages[0].resize(15);
  EXPECT_TRUE(encodeScreenShot(shortPage).empty());
  display::Screen badPage;
  makeTinyScreen(badPage, 4, 4);
  badPage.visiblePage = 2;
  EXPECT_TRUE(encodeScreenShot(badPage).empty());
  std::string whyNot;
  EXPECT_TRUE(encodeShotFor(closed, "x.bmp", whyNot).empty());
  EXPECT_EQ(whyNot, "no picture to take");
}

}  // namespace
}  // namespace squish::headless
