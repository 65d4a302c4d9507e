// Mouse and key dispatch: what lands where, the click rules, capture and focus, window
// dragging, button and check box behaviour, and input no caller should be able to crash.
#include <climits>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "widgets/dispatch.h"
#include "widgets/text_field.h"
#include "widgets/widget_kinds.h"
#include "widgets/widget_tree.h"

namespace squish::widgets::testing {
namespace {

using DispatchTest = WidgetFixture;

TEST_F(DispatchTest, APressOnEmptySpaceLandsOnTheRootAndIsNotTaken) {
  EXPECT_EQ(dispatchMouse(toolkit, nullptr, 100, 100, 0, 1), EventResult::passOn);
  EXPECT_EQ(focusWidget(toolkit), rootWidget(toolkit));
  EXPECT_EQ(dispatchKey(toolkit, nullptr, ' '), EventResult::passOn);

  // A window under the pointer takes it even when it consumes nothing.
  createWindow(toolkit, nullptr, 0, 50, 50, 100, 100, nullptr, visible);
  EXPECT_EQ(dispatchMouse(toolkit, nullptr, 100, 100, 0, 0), EventResult::consumed);
}

TEST_F(DispatchTest, APointerOutsideTheWindowChangesNothing) {
  EventLog log;
  createLabel(toolkit, nullptr, 1, 0, 0, 200, 200, log.callback(), visible, "");
  dispatchMouse(toolkit, nullptr, 10, 10, 0, 0);
  log.clear();
  EXPECT_EQ(dispatchMouse(toolkit, nullptr, -1, -1, 0, 1), EventResult::consumed);
  EXPECT_EQ(toolkit.mouse.x, 10);
  EXPECT_EQ(toolkit.mouse.buttons, 0);
  // The press made outside is seen at the first call inside.
  dispatchMouse(toolkit, nullptr, 10, 10, 0, 1);
  EXPECT_EQ(log.count(1, press), 2);
  EXPECT_EQ(log.count(1, mouseMove), 0);
}

TEST_F(DispatchTest, AClickNeedsPressAndReleaseOnTheSameCapturingWidget) {
  EventLog log;
  Widget* button = createButton(toolkit, nullptr, 1, 10, 10, 60, 16, log.callback(), visible, "");
  log.clear();

  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  dispatchMouse(toolkit, nullptr, 300, 300, 0, 0);
  EXPECT_EQ(log.count(1, release), 2);
  EXPECT_EQ(log.count(1, click), 0);
  EXPECT_EQ(button->flags & pressed, 0u);
  EXPECT_EQ(captureWidget(toolkit), nullptr);

  // Pressed outside, released on it: the button never held the capture.
  log.clear();
  dispatchMouse(toolkit, nullptr, 300, 300, 0, 1);
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 0);
  EXPECT_EQ(log.count(1, press), 0);
  EXPECT_EQ(log.count(1, release), 2);
  EXPECT_EQ(log.count(1, click), 0);

  // A click the callback lets through reaches it twice (directly and from the kind handler).
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  log.clear();
  dispatchMouse(toolkit, nullptr, 21, 15, 0, 0);
  std::vector<std::int32_t> codes;
  for (const auto& call : log.calls)
    codes.push_back(call.second);
  EXPECT_EQ(codes,
            (std::vector<std::int32_t>{release, release, click, click, mouseMove, mouseMove}));
}

TEST_F(DispatchTest, OnlyTheLeftButtonAndRealMovesMakeEvents) {
  EventLog log;
  createLabel(toolkit, nullptr, 1, 0, 0, 200, 200, log.callback(), visible, "");
  log.clear();
  dispatchMouse(toolkit, nullptr, 10, 10, 0, 2);
  dispatchMouse(toolkit, nullptr, 10, 10, 0, 0);
  dispatchMouse(toolkit, nullptr, 10, 10, 0, 0);
  EXPECT_EQ(log.count(1, press), 0);
  EXPECT_EQ(log.count(1, release), 0);
  EXPECT_EQ(log.count(1, mouseMove), 2);  // the first call moved from (0, 0); label passes it
  dispatchMouse(toolkit, nullptr, 11, 10, 7, 2);
  EXPECT_EQ(log.count(1, mouseMove), 4);
  EXPECT_EQ(toolkit.event.wheel, 7);
  EXPECT_EQ(toolkit.event.buttons, 2);
  EXPECT_EQ(toolkit.event.x, 11);
}

TEST_F(DispatchTest, ALabelTakesTheCaptureSoItsClickReachesTheApplication) {
  EventLog log;
  createLabel(toolkit, nullptr, 9, 10, 10, 100, 12, log.callback(), visible, "x");
  dispatchMouse(toolkit, nullptr, 15, 15, 0, 1);
  dispatchMouse(toolkit, nullptr, 15, 15, 0, 0);
  EXPECT_EQ(log.count(9, click), 2);
}

TEST_F(DispatchTest, FocusGoesToThePressedWidgetUnlessSomethingHoldsTheCapture) {
  Widget* a = createButton(toolkit, nullptr, 1, 10, 10, 60, 16, nullptr, visible, "");
  Widget* b = createButton(toolkit, nullptr, 2, 10, 40, 60, 16, nullptr, visible, "");
  dispatchMouse(toolkit, nullptr, 20, 45, 0, 1);
  EXPECT_EQ(focusWidget(toolkit), b);
  EXPECT_EQ(rootWidget(toolkit)->firstChild, b);
  dispatchMouse(toolkit, nullptr, 20, 45, 0, 0);

  setCapture(toolkit, b);
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  EXPECT_EQ(focusWidget(toolkit), b);
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 0);
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  EXPECT_EQ(focusWidget(toolkit), a);

  // A hidden focus widget still gets keys; an explicit target overrides the focus.
  EventLog log;
  a->callback = log.callback();
  hideWidget(a);
  dispatchKey(toolkit, nullptr, 'k');
  EXPECT_EQ(log.count(1, keyTyped), 2);
  EXPECT_EQ(toolkit.event.key, 'k');
  b->callback = log.callback();
  dispatchKey(toolkit, b, 'j');
  EXPECT_EQ(log.count(2, keyTyped), 2);
}

TEST_F(DispatchTest, ADraggableWindowFollowsThePointerWithItsChildren) {
  Widget* window = createWindow(toolkit, nullptr, 0, 4, 4, 176, 284, nullptr, visible | draggable);
  Widget* button = createButton(toolkit, window, 1, 4, 4, 60, 16, nullptr, visible, "Apply");
  dispatchMouse(toolkit, nullptr, 100, 150, 0, 1);
  EXPECT_EQ(captureWidget(toolkit), window);
  dispatchMouse(toolkit, nullptr, 120, 170, 0, 1);
  EXPECT_EQ(window->rect.x, 24);
  EXPECT_EQ(window->rect.y, 24);
  EXPECT_EQ(button->rect.x, 28);
  // Dragged far: the grabbed point stays under the pointer, the window goes partly off screen.
  dispatchMouse(toolkit, nullptr, 5, 600, 0, 1);
  EXPECT_EQ(window->rect.x, -91);
  EXPECT_EQ(window->rect.y, 454);
  dispatchMouse(toolkit, nullptr, 5, 600, 0, 0);
  EXPECT_EQ(captureWidget(toolkit), nullptr);

  // Pressing a child does not drag; a window without draggable takes no capture.
  moveWidget(toolkit, window, 4, 4);
  dispatchMouse(toolkit, nullptr, button->rect.x + 2, button->rect.y + 2, 0, 1);
  dispatchMouse(toolkit, nullptr, button->rect.x + 30, button->rect.y + 2, 0, 1);
  EXPECT_EQ(window->rect.x, 4);
  dispatchMouse(toolkit, nullptr, 0, 0, 0, 0);
  Widget* still = createWindow(toolkit, nullptr, 1, 300, 300, 50, 50, nullptr, visible);
  dispatchMouse(toolkit, nullptr, 310, 310, 0, 1);
  EXPECT_EQ(captureWidget(toolkit), nullptr);
  setCapture(toolkit, still);
  dispatchMouse(toolkit, nullptr, 310, 310, 0, 0);
  EXPECT_EQ(captureWidget(toolkit), nullptr);
}

TEST_F(DispatchTest, AButtonLooksPressedOnlyWhileHeldWithThePointerOverIt) {
  Widget* button = createButton(toolkit, nullptr, 1, 10, 10, 60, 16, nullptr, visible, "");
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  EXPECT_NE(button->flags & pressed, 0u);
  dispatchMouse(toolkit, nullptr, 200, 15, 0, 1);
  EXPECT_EQ(button->flags & pressed, 0u);
  dispatchMouse(toolkit, nullptr, 21, 15, 0, 1);
  EXPECT_NE(button->flags & pressed, 0u);
  dispatchMouse(toolkit, nullptr, 21, 15, 0, 0);
  EXPECT_EQ(button->flags & pressed, 0u);
}

TEST_F(DispatchTest, ACheckBoxTogglesOnEachClickInsideItsArea) {
  EventLog log;
  Widget* box =
      createCheckBox(toolkit, nullptr, 5, 8, 248, 60, 16, log.callback(), visible, "Show Atoms");
  EXPECT_FALSE(checkBoxTicked(box));
  dispatchMouse(toolkit, nullptr, 60, 262, 0, 1);
  dispatchMouse(toolkit, nullptr, 60, 262, 0, 0);
  EXPECT_TRUE(checkBoxTicked(box));
  EXPECT_EQ(log.count(5, click), 2);
  dispatchMouse(toolkit, nullptr, 9, 249, 0, 1);
  dispatchMouse(toolkit, nullptr, 9, 249, 0, 0);
  EXPECT_FALSE(checkBoxTicked(box));
  // Released outside: no toggle.
  dispatchMouse(toolkit, nullptr, 9, 249, 0, 1);
  dispatchMouse(toolkit, nullptr, 90, 249, 0, 0);
  EXPECT_FALSE(checkBoxTicked(box));
  setCheckBoxTicked(box, true);
  EXPECT_TRUE(checkBoxTicked(box));
  EXPECT_FALSE(checkBoxTicked(nullptr));
}

TEST_F(DispatchTest, AnyPointerPositionOrKeyCodeIsSafe) {
  Widget* window = createWindow(toolkit, nullptr, 0, 4, 4, 176, 284, nullptr, visible | draggable);
  createButton(toolkit, window, 1, 4, 4, 60, 16, nullptr, visible, "Apply");
  Widget* field = createTextField(toolkit, window, 2, 4, 30, 60, 12, nullptr, visible, "12");
  useTestFont();
  const std::int32_t extremes[] = {0, 1, 639, 640, INT_MAX, INT_MAX - 1, 100000};
  for (const std::int32_t x : extremes) {
    for (const std::int32_t y : extremes) {
      for (const std::int32_t buttons : {1, 0, 3, -1, INT_MIN}) {
        dispatchMouse(toolkit, nullptr, x, y, INT_MIN, buttons);
        drawWidgets(toolkit, nullptr);
      }
    }
  }
  moveWidget(toolkit, window, INT_MIN, INT_MAX);
  dispatchMouse(toolkit, nullptr, 10, 10, 0, 1);
  dispatchMouse(toolkit, nullptr, INT_MAX, INT_MAX, 0, 1);
  drawWidgets(toolkit, nullptr);
  activateWidget(toolkit, field);
  for (const KeyCode key : {INT_MIN, -1, 0, 255, 256, 0xFFFF, INT_MAX, 13, 27, 0x48FF}) {
    dispatchKey(toolkit, nullptr, key);
    dispatchKey(toolkit, window, key);
    drawWidgets(toolkit, nullptr);
  }
  EXPECT_EQ(editLength(textFieldBuffer(field)), 2);
}

TEST_F(DispatchTest, PendingKeysAreReadAsKeyCodes) {
  // The key buffer holds a character code, or scan code << 8 for an extended key.
  screen.input.keyBuffer[0] = 'a';
  screen.input.keyBuffer[1] = 0x4B00;
  screen.input.keyWrite = 2;
  EXPECT_EQ(readKeyCode(toolkit), 'a');
  EXPECT_EQ(readKeyCode(toolkit), keyLeft);
  EXPECT_EQ(readKeyCode(toolkit), 0);
  shutdownToolkit(toolkit);
  EXPECT_EQ(readKeyCode(toolkit), 0);
}

TEST_F(DispatchTest, ThePaletteComesBackAsSaved) {
  savePalette(toolkit);
  std::array<display::PaletteWord, 256> changed;
  changed.fill(-1);
  changed[1] = 0x3F3F3F;
  display::setPalette(screen, changed);
  ASSERT_EQ(screen.palette[1], 0xFFFFFFu);
  restorePalette(toolkit);
  EXPECT_EQ(screen.palette[1], 0xAA0000u);
  EXPECT_EQ(screen.palette[15], 0xFFFFFFu);
}

}  // namespace
}  // namespace squish::widgets::testing
