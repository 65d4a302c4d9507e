// The presenter pass on a second thread against the program's drawing and polling on this one,
// as the window presenter runs it. Meant for ThreadSanitizer (`make tsan`): every shared access
// has to go through the screen's lock.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "display/input.h"
#include "display/presenter_pass.h"
#include "display/screen.h"
#include "tests/display/fake_pass_backend.h"

namespace squish::display {
namespace {

constexpr int passCount = 400;

TEST(PresenterThread, PassesInterleaveWithDrawingAndPolling) {
  Screen screen;
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0));
  setPages(screen, 1, 0);
  FakePassBackend window;
  PresenterPass pass;
  std::atomic<bool> presenterDone{false};

  std::thread presenter([&] {
    for (int i = 0; i < passCount; ++i) {
      // The fake window is the presenter thread's own, like the real one.
      window.messages = {{MessageKind::pointerMove, i % 640, i % 480},
                         {MessageKind::keyDown, 1},
                         {MessageKind::character, 'a' + i % 26},
                         {MessageKind::wheel, 1},
                         {MessageKind::keyUp, 1}};
      runPresenterPass(screen, pass, window);
      std::this_thread::yield();
    }
    presenterDone = true;
  });

  int frames = 0;
  int keysRead = 0;
  std::array<PaletteWord, 256> words{};
  while (!presenterDone || frames < passCount) {
    clearPage(screen);
    copyPage(screen, -1, -1);
    if (frames % 50 == 0) {
      getPalette(screen, words);
      setPalette(screen, words);
    }
    readMouse(screen);
    isKeyDown(screen, 1);
    if (!readKeyString(screen).empty()) ++keysRead;
    ++frames;
  }
  presenter.join();

  EXPECT_EQ(screen.input.wheel, passCount);
  EXPECT_GT(keysRead, 0);
  // A last pass shows the visible page as it now is.
  screen.pages[0][7] = 15;
  markRowsDirty(screen, 0, 0);
  runPresenterPass(screen, pass, window);
  EXPECT_EQ(window.picture[7], 0xFFFFFFFFu);
  EXPECT_EQ(window.picture[8], 0xFF000000u);
  closeScreen(screen);
}

}  // namespace
}  // namespace squish::display
