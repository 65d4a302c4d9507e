// The screen: opening and refusing modes, the default palette and its 6-bit words, page
// selection, copying and clearing, dirty rows, and the presenter's part in opening.
#include "display/screen.h"

#include <gtest/gtest.h>

#include <array>

#include "display/draw.h"
#include "display/image.h"
#include "display/presenter.h"
#include "tests/display/display_test_support.h"

namespace squish::display {
namespace {

using testing::clearDirtyRows;
using testing::dirtyRowCount;
using testing::openWindowlessScreen;
using testing::pixelAt;

std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | green << 8 | blue << 16;
}

TEST(Screen, OpensBlackWithTheDefaultPaletteAndColours) {
  Screen screen;
  openWindowlessScreen(screen);
  EXPECT_TRUE(screen.isOpen);
  EXPECT_EQ(screen.width, 640);
  EXPECT_EQ(screen.height, 480);
  EXPECT_EQ(screen.depth, 8);
  EXPECT_EQ(screen.bytesPerPixel, 1);
  EXPECT_EQ(screen.pitch, 640);
  ASSERT_EQ(screen.pageCount, 2);
  for (const auto& page : screen.pages) {
    ASSERT_EQ(page.size(), 640u * 480u);
    EXPECT_EQ(std::count(page.begin(), page.end(), 0), 640 * 480);
  }
  EXPECT_EQ(screen.workPage, 0);
  EXPECT_EQ(screen.visiblePage, 0);
  EXPECT_EQ(screen.foregroundColour, 15u);
  EXPECT_EQ(screen.backgroundColour, 0u);
  EXPECT_EQ(screen.clipRect.width, 640);
  EXPECT_EQ(screen.clipRect.height, 480);
  EXPECT_TRUE(screen.paletteChanged);
  EXPECT_EQ(screen.title, "display_tests");

  std::array<PaletteWord, 256> words{};
  getPalette(screen, words);
  EXPECT_EQ(words[0], 0x000000);
  EXPECT_EQ(words[1], 0x2A0000);
  EXPECT_EQ(words[3], 0x2A2A00);
  EXPECT_EQ(words[4], 0x00002A);
  EXPECT_EQ(words[6], 0x00152A);
  EXPECT_EQ(words[15], 0x3F3F3F);
}

TEST(Screen, DefaultPaletteHoldsTheGreyRampRingsAndBlackTail) {
  const auto& palette = defaultPalette();
  EXPECT_EQ(palette[6], rgb(170, 85, 0));
  EXPECT_EQ(palette[9], rgb(85, 85, 255));
  EXPECT_EQ(palette[14], rgb(255, 255, 85));
  const std::array<std::uint32_t, 16> greys = {0,   20,  32,  44,  56,  68,  80,  97,
                                               113, 129, 145, 161, 182, 202, 226, 255};
  for (std::uint32_t i = 0; i < 16; ++i)
    EXPECT_EQ(palette[16 + i], rgb(greys[i], greys[i], greys[i]));
  // First ring (0, 64, 125, 190, 255): blue, then towards magenta, red, yellow, green, cyan.
  EXPECT_EQ(palette[32], rgb(0, 0, 255));
  EXPECT_EQ(palette[33], rgb(64, 0, 255));
  EXPECT_EQ(palette[37], rgb(255, 0, 190));
  EXPECT_EQ(palette[44], rgb(255, 255, 0));
  EXPECT_EQ(palette[55], rgb(0, 64, 255));
  // Fourth ring (0, 28, 56, 85, 113) and the last ring (44, 48, 52, 60, 64).
  EXPECT_EQ(palette[105], rgb(28, 0, 113));
  EXPECT_EQ(palette[224], rgb(44, 44, 64));
  EXPECT_EQ(palette[247], rgb(44, 48, 64));
  for (std::size_t i = 248; i < 256; ++i)
    EXPECT_EQ(palette[i], 0u);
}

TEST(Screen, PaletteWordsRoundTripAndSkipNegativeEntries) {
  Screen screen;
  openWindowlessScreen(screen);
  std::array<PaletteWord, 256> words{};
  getPalette(screen, words);
  screen.palette.fill(0);
  setPalette(screen, words);
  EXPECT_EQ(screen.palette, defaultPalette());

  screen.palette[20] = rgb(100, 100, 100);
  getPalette(screen, words);
  EXPECT_EQ(words[20], 0x191919);
  setPalette(screen, words);
  EXPECT_EQ(screen.palette[20], rgb(101, 101, 101));

  // Negative words leave their entries; bits outside the three 6-bit fields do nothing.
  std::array<PaletteWord, 256> in{};
  in.fill(-1);
  in[5] = 0x7FC0C0C0 | 0x3F;
  clearDirtyRows(screen);
  screen.paletteChanged = false;
  setPalette(screen, in);
  EXPECT_EQ(screen.palette[5], rgb(255, 0, 0));
  EXPECT_EQ(screen.palette[4], defaultPalette()[4]);
  EXPECT_EQ(screen.palette[20], rgb(101, 101, 101));
  EXPECT_TRUE(screen.paletteChanged);
  EXPECT_EQ(dirtyRowCount(screen), 480);
}

TEST(Screen, RefusesEveryModeButGraphicsAndNormalisesArguments) {
  Screen screen;
  for (std::int32_t mode : {3, 4, 5, 6, 22, 1000, -1, 12}) {
    EXPECT_FALSE(openScreen(screen, mode, 8, 2, 0, 0)) << mode;
    EXPECT_FALSE(screen.isOpen);
    EXPECT_EQ(screen.lastError, 1);
  }
  EXPECT_FALSE(openScreen(screen, 18, 8, 65, 0, 0));  // pages beyond what is allocated
  EXPECT_FALSE(screen.isOpen);

  EXPECT_TRUE(openScreen(screen, 18, 32, 0, 0, 0));
  EXPECT_EQ(screen.lastError, 0);
  EXPECT_EQ(screen.pageCount, 1);
  EXPECT_EQ(screen.depth, 8);
  EXPECT_EQ(screen.pitch, 640);

  // Reopening starts afresh; mode 0 closes.
  screen.pages[0][7] = 9;
  screen.palette[3] = 0;
  EXPECT_TRUE(openScreen(screen, 18, 7, -5, 0, 0));
  EXPECT_EQ(screen.pages[0][7], 0);
  EXPECT_EQ(screen.palette[3], defaultPalette()[3]);
  EXPECT_FALSE(openScreen(screen, 0, 0, 0, 0, 0));
  EXPECT_FALSE(screen.isOpen);
  EXPECT_TRUE(screen.pages.empty());
}

TEST(Screen, OperationsWithoutAScreenDoNothing) {
  Screen screen;
  setPages(screen, 1, 1);
  copyPage(screen, -1, -1);
  clearPage(screen);
  markRowsDirty(screen, 0, 479);
  std::array<PaletteWord, 256> words{};
  words.fill(-7);
  getPalette(screen, words);
  EXPECT_EQ(words[0], -7);
  setPalette(screen, words);
  drawLine(screen, workPage, 0, 0, 10, 10, 15, 0, 0xFFFF);
  drawCircle(screen, workPage, 5, 5, 4, 15, 0, 0, 6.283186f, 1);
  EXPECT_TRUE(createImage(screen, 4, 4, 1).empty());
  std::vector<std::uint8_t> image(4 + 16, 0);
  writeImageHeader(image, 1, 4, 4);
  EXPECT_FALSE(putImage(screen, workPage, 0, 0, image, copy));
  EXPECT_FALSE(getImage(screen, image, 0, 0, 1, 1, image));
  EXPECT_EQ(loadImageMemory(screen, testing::makeBmp(1, 1, 8, 1, {0}), image), notPossible);
  EXPECT_FALSE(screen.isOpen);
  EXPECT_TRUE(screen.pages.empty());
}

TEST(Screen, SetPagesIgnoresPagesOutOfRange) {
  Screen screen;
  openWindowlessScreen(screen);
  clearDirtyRows(screen);
  setPages(screen, 1, 0);
  EXPECT_EQ(screen.workPage, 1);
  EXPECT_EQ(screen.visiblePage, 0);
  EXPECT_EQ(dirtyRowCount(screen), 0);  // the visible page did not change

  setPages(screen, 2, 0);
  EXPECT_EQ(screen.workPage, 1);
  setPages(screen, 0, 1);
  EXPECT_EQ(screen.visiblePage, 1);
  EXPECT_EQ(dirtyRowCount(screen), 480);
  setPages(screen, -1, -1);
  EXPECT_EQ(screen.workPage, 0);
  EXPECT_EQ(screen.visiblePage, 0);
  setPages(screen, -1, 5);
  EXPECT_EQ(screen.workPage, 0);
  EXPECT_EQ(screen.visiblePage, 0);
}

TEST(Screen, DrawingOnTheWorkPageShowsOnlyAfterCopyPage) {
  Screen screen;
  openWindowlessScreen(screen);
  setPages(screen, 1, 0);
  clearDirtyRows(screen);
  drawLine(screen, workPage, 0, 10, 639, 10, 7, 0, 0xFFFF);
  EXPECT_EQ(pixelAt(screen, 1, 320, 10), 7);
  EXPECT_EQ(pixelAt(screen, 0, 320, 10), 0);
  EXPECT_EQ(dirtyRowCount(screen), 0);

  copyPage(screen, -1, -1);
  EXPECT_EQ(screen.pages[0], screen.pages[1]);
  EXPECT_EQ(dirtyRowCount(screen), 480);

  // Copying onto a page that is not visible marks nothing; the same page or a page out of
  // range copies nothing.
  clearDirtyRows(screen);
  screen.pages[0][5] = 3;
  copyPage(screen, 0, 1);
  EXPECT_EQ(screen.pages[1][5], 3);
  EXPECT_EQ(dirtyRowCount(screen), 0);
  screen.pages[1][6] = 4;
  copyPage(screen, 1, 2);
  copyPage(screen, 1, 1);
  setPages(screen, 0, 0);
  copyPage(screen, -1, -1);
  EXPECT_EQ(screen.pages[0][6], 0);
}

TEST(Screen, ClearPageFillsTheWorkPageWithTheBackground) {
  Screen screen;
  openWindowlessScreen(screen);
  setPages(screen, 1, 0);
  screen.pages[1].assign(screen.pages[1].size(), 9);
  screen.backgroundColour = 2;
  clearDirtyRows(screen);
  clearPage(screen);
  EXPECT_EQ(std::count(screen.pages[1].begin(), screen.pages[1].end(), 2), 640 * 480);
  EXPECT_EQ(dirtyRowCount(screen), 0);

  setPages(screen, 0, 0);
  clearDirtyRows(screen);
  clearPage(screen, 0x105);
  EXPECT_EQ(pixelAt(screen, 0, 639, 479), 5);
  EXPECT_EQ(dirtyRowCount(screen), 480);
}

TEST(Screen, MarkRowsDirtyClampsToThePage) {
  Screen screen;
  openWindowlessScreen(screen);
  clearDirtyRows(screen);
  markRowsDirty(screen, -100, 2);
  markRowsDirty(screen, 478, 100000);
  markRowsDirty(screen, 300, 200);
  EXPECT_EQ(dirtyRowCount(screen), 5);
  EXPECT_TRUE(screen.dirtyRows[0] && screen.dirtyRows[2] && screen.dirtyRows[479]);
}

TEST(Screen, TitleIsTheProgramFileNameWithoutExtension) {
  EXPECT_EQ(titleFromProgramPath("/usr/local/bin/squish"), "squish");
  EXPECT_EQ(titleFromProgramPath("C:\\games\\squish.exe"), "squish");
  EXPECT_EQ(titleFromProgramPath("tools/my.game.bin"), "my.game");
  EXPECT_EQ(titleFromProgramPath("dir.d/plain"), "plain");
  EXPECT_EQ(titleFromProgramPath(""), "");
}

class RecordingPresenter : public Presenter {
 public:
  explicit RecordingPresenter(bool opens) : opens_(opens) {}
  bool start(Screen& screen, std::string& whyNot) override {
    ++starts;
    sawCompleteScreen = screen.isOpen && screen.width == 640 && screen.pages.size() == 2 &&
                        screen.palette == defaultPalette() && screen.screenLock.try_lock();
    if (sawCompleteScreen) screen.screenLock.unlock();
    if (!opens_) whyNot = "no display";
    return opens_;
  }
  void stop(Screen&) override { ++stops; }
  void beforeFrame(Screen&) override {}
  double clockSeconds() override { return 0.0; }

  std::int32_t starts = 0;
  std::int32_t stops = 0;
  bool sawCompleteScreen = false;

 private:
  bool opens_;
};

TEST(Screen, PresenterStartsOnACompleteScreenAndItsFailureLeavesNone) {
  Screen screen;
  screen.title = "squish";
  RecordingPresenter working(true);
  screen.presenter = &working;
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0));
  EXPECT_TRUE(working.sawCompleteScreen);
  EXPECT_EQ(screen.title, "squish");
  closeScreen(screen);
  closeScreen(screen);
  EXPECT_EQ(working.starts, 1);
  EXPECT_EQ(working.stops, 1);

  RecordingPresenter failing(false);
  screen.presenter = &failing;
  EXPECT_FALSE(openScreen(screen, 18, 8, 2, 0, 0));
  EXPECT_FALSE(screen.isOpen);
  EXPECT_TRUE(screen.pages.empty());
  EXPECT_EQ(screen.lastError, 1);
  EXPECT_EQ(screen.lastErrorText, "no display");
  EXPECT_EQ(failing.stops, 0);
}

}  // namespace
}  // namespace squish::display
