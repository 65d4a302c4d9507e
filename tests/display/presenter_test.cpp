// The presenter pass against a fake window, and the headless presenter built on it: the dirty
// band through the palette, held keys, messages in order, the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "display/headless_presenter.h"
#include "display/input.h"
#include "display/presenter_pass.h"
#include "display/screen.h"
#include "tests/display/fake_pass_backend.h"

namespace squish::display {
namespace {

void openTestScreen(Screen& screen) {
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0));
}

void setVisiblePixel(Screen& screen, std::int32_t x, std::int32_t y, std::uint8_t colour) {
  screen.pages[screen.visiblePage][static_cast<std::size_t>(y) * screen.pitch + x] = colour;
  markRowsDirty(screen, y, y);
}

bool noRowDirty(const Screen& screen) {
  return std::all_of(screen.dirtyRows.begin(), screen.dirtyRows.end(),
                     [](std::uint8_t d) { return d == 0; });
}

TEST(PresenterPass, ShowsTheDirtyBandThroughThePalette) {
  Screen screen;
  openTestScreen(screen);
  PresenterPass pass;
  FakePassBackend window;

  // The first pass shows the whole picture, black.
  PassResult result = runPresenterPass(screen, pass, window);
  EXPECT_TRUE(result.shown);
  EXPECT_EQ(result.first, 0);
  EXPECT_EQ(result.last, 479);
  EXPECT_TRUE(window.lastWritten);
  EXPECT_TRUE(std::all_of(window.picture.begin(), window.picture.end(),
                          [](std::uint32_t c) { return c == 0xFF000000u; }));
  EXPECT_TRUE(noRowDirty(screen));

  EXPECT_FALSE(runPresenterPass(screen, pass, window).shown);
  EXPECT_EQ(window.bandsBegun, 1);

  setVisiblePixel(screen, 3, 100, 4);     // red
  setVisiblePixel(screen, 639, 120, 14);  // yellow
  result = runPresenterPass(screen, pass, window);
  EXPECT_EQ(result.first, 100);
  EXPECT_EQ(result.last, 120);
  EXPECT_EQ(window.lastFirst, 100);
  EXPECT_EQ(window.lastLast, 120);
  EXPECT_EQ(window.picture[100 * 640 + 3], 0xFFAA0000u);
  EXPECT_EQ(window.picture[120 * 640 + 639], 0xFFFFFF55u);
  EXPECT_EQ(window.picture[100 * 640 + 4], 0xFF000000u);
  EXPECT_TRUE(noRowDirty(screen));

  // Only the visible page is shown.
  screen.pages[1][5] = 15;
  markRowsDirty(screen, 0, 0);
  runPresenterPass(screen, pass, window);
  EXPECT_EQ(window.picture[5], 0xFF000000u);
  setPages(screen, 0, 1);
  runPresenterPass(screen, pass, window);
  EXPECT_EQ(window.picture[5], 0xFFFFFFFFu);
  EXPECT_EQ(window.picture[100 * 640 + 3], 0xFF000000u);
}

TEST(PresenterPass, PaletteChangeRecoloursTheWholePicture) {
  Screen screen;
  openTestScreen(screen);
  PresenterPass pass;
  FakePassBackend window;
  setVisiblePixel(screen, 10, 10, 1);
  runPresenterPass(screen, pass, window);
  EXPECT_EQ(window.picture[10 * 640 + 10], 0xFF0000AAu);

  std::array<PaletteWord, 256> words;
  words.fill(-1);
  words[1] = 0x003F00;  // green
  setPalette(screen, words);
  const PassResult result = runPresenterPass(screen, pass, window);
  EXPECT_EQ(result.first, 0);
  EXPECT_EQ(result.last, 479);
  EXPECT_EQ(window.picture[10 * 640 + 10], 0xFF00FF00u);
  EXPECT_FALSE(screen.paletteChanged);
}

TEST(PresenterPass, RowsTooSmallForTheBandAreLeftUnwritten) {
  Screen screen;
  openTestScreen(screen);
  PresenterPass pass;
  FakePassBackend window;
  window.rowsShortBy = 1;
  std::fill(window.picture.begin(), window.picture.end(), 0x12345678u);
  const PassResult result = runPresenterPass(screen, pass, window);
  EXPECT_FALSE(result.shown);
  EXPECT_FALSE(window.lastWritten);
  EXPECT_EQ(window.picture[0], 0x12345678u);
}

TEST(PresenterPass, RefreshesHeldKeysWhileActiveThenHandlesMessagesInOrder) {
  Screen screen;
  openTestScreen(screen);
  PresenterPass pass;
  FakePassBackend window;
  window.keyboard[1] = 1;
  window.messages = {
      {MessageKind::keyDown, 42}, {MessageKind::keyDown, 59}, {MessageKind::character, 'x'}};
  runPresenterPass(screen, pass, window);
  EXPECT_EQ(window.keyRefreshes, 1);
  EXPECT_TRUE(isKeyDown(screen, 1));
  EXPECT_TRUE(isKeyDown(screen, 42));
  // The second message saw the state the first one left.
  EXPECT_EQ(window.modifiersSeen, (std::vector<std::int32_t>{0, shiftHeld, shiftHeld}));
  EXPECT_EQ(readKeyString(screen), std::string("\xFF\x3B"));
  EXPECT_EQ(readKeyString(screen), std::string("x"));

  window.messages = {{MessageKind::focusOut}};
  runPresenterPass(screen, pass, window);
  runPresenterPass(screen, pass, window);
  EXPECT_EQ(window.keyRefreshes, 2);
  EXPECT_FALSE(isKeyDown(screen, 1));
}

TEST(PresenterPass, ClosedScreenShowsNothingAndDropsMessages) {
  Screen screen;
  PresenterPass pass;
  FakePassBackend window;
  window.messages = {{MessageKind::close}, {MessageKind::repaint}};
  EXPECT_FALSE(runPresenterPass(screen, pass, window).shown);
  EXPECT_EQ(window.bandsBegun, 0);
  EXPECT_EQ(window.keyRefreshes, 0);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(screen.input.keyWrite, 0);
}

TEST(HeadlessPresenter, DeliversQueuedMessagesAtTheNextFrame) {
  Screen screen;
  HeadlessPresenter headless;
  screen.presenter = &headless;
  openTestScreen(screen);
  EXPECT_EQ(headless.clockSeconds(), 0.0);

  headless.queueMessage({MessageKind::keyDown, 42});
  headless.queueMessage({MessageKind::keyDown, 59});  // Shift+F1
  EXPECT_EQ(readKeyString(screen), std::string());
  headless.beforeFrame(screen);
  EXPECT_EQ(headless.clockSeconds(), 0.01);
  EXPECT_EQ(readKeyString(screen), std::string("\xFF\x54"));

  // Modifiers come from the held keys, not from the queued message.
  WindowMessage claimsAlt{MessageKind::keyDown, 59};
  claimsAlt.modifiers = altHeld;
  headless.queueMessage({MessageKind::keyUp, 42});
  headless.queueMessage(claimsAlt);
  headless.queueMessage({MessageKind::keyDown, 29});
  headless.queueMessage({MessageKind::keyDown, 77, 0, true});  // Ctrl+Right
  headless.queueMessage({MessageKind::keyUp, 29});
  headless.queueMessage({MessageKind::keyDown, 56});
  headless.queueMessage({MessageKind::keyDown, 62});  // Alt+F4
  WindowMessage typedA{MessageKind::keyDown, 30};
  typedA.producedCharacter = true;
  headless.queueMessage({MessageKind::keyUp, 56});
  headless.queueMessage(typedA);  // makes no character by itself
  headless.beforeFrame(screen);
  EXPECT_EQ(readKeyString(screen), std::string("\xFF\x3B"));
  EXPECT_EQ(readKeyString(screen), std::string("\xFF\x74"));
  EXPECT_EQ(readKeyString(screen), std::string("\xFF\x6B"));
  EXPECT_EQ(readKeyString(screen), std::string());
  EXPECT_TRUE(isKeyDown(screen, 30));

  // Nothing is delivered twice.
  headless.beforeFrame(screen);
  EXPECT_EQ(readKeyString(screen), std::string());
  EXPECT_EQ(headless.clockSeconds(), 0.03);
}

TEST(HeadlessPresenter, ClearsDirtyRowsAndStartsWithThePointerOutside) {
  Screen screen;
  HeadlessPresenter headless;
  screen.presenter = &headless;
  openTestScreen(screen);
  EXPECT_FALSE(readMouse(screen));

  setVisiblePixel(screen, 7, 8, 2);
  headless.queueMessage({MessageKind::pointerMove, 7, 8});
  headless.beforeFrame(screen);
  EXPECT_EQ(std::count(screen.dirtyRows.begin(), screen.dirtyRows.end(), 0), 480);
  EXPECT_EQ(readMouse(screen), (MouseState{7, 8, 0, 0}));

  closeScreen(screen);
}

}  // namespace
}  // namespace squish::display
