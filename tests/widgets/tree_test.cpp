// The widget tree: positions relative to the parent, lookups by id, stacking order, the event
// contract between callbacks and kind handlers, and destruction.
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "widgets/dispatch.h"
#include "widgets/widget_kinds.h"
#include "widgets/widget_tree.h"

namespace squish::widgets::testing {
namespace {

using TreeTest = WidgetFixture;

std::vector<std::int32_t> childIds(const Widget* parent) {
  std::vector<std::int32_t> ids;
  for (const Widget* c = parent->firstChild; c != nullptr; c = c->nextSibling)
    ids.push_back(c->id);
  return ids;
}

TEST_F(TreeTest, ChildrenArePlacedRelativeToTheirParentAndMoveWithIt) {
  Widget* window = createWindow(toolkit, nullptr, 0, 4, 4, 176, 284, nullptr, visible);
  Widget* button = createButton(toolkit, window, 3, 68, 264, 60, 16, nullptr, visible, "Quit");
  EXPECT_EQ(button->rect.x, 72);
  EXPECT_EQ(button->rect.y, 268);
  EXPECT_EQ(window->parent, rootWidget(toolkit));

  EXPECT_TRUE(moveWidget(toolkit, window, 10, 20));
  EXPECT_EQ(window->rect.x, 10);
  EXPECT_EQ(button->rect.x, 78);
  EXPECT_EQ(button->rect.y, 284);
  EXPECT_TRUE(moveWidget(toolkit, button, 0, 0));
  EXPECT_EQ(button->rect.x, 10);

  Rect r;
  EXPECT_TRUE(parentRect(button, r));
  EXPECT_EQ(r.x, 10);
  EXPECT_TRUE(clientRect(button, r));
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.w, 60);
  EXPECT_FALSE(widgetRect(nullptr, r));
  EXPECT_EQ(r.w, 0);
  EXPECT_FALSE(resizeWidget(toolkit, button, 0, 5));
  EXPECT_TRUE(setWidgetRect(toolkit, button, 1, 2, 30, 40));
  EXPECT_EQ(button->rect.x, 11);
  EXPECT_EQ(button->rect.h, 40);
}

TEST_F(TreeTest, FindChildLooksOnlyAtDirectChildrenFrontToBack) {
  Widget* window = createWindow(toolkit, nullptr, 7, 0, 0, 100, 100, nullptr, visible);
  Widget* first = createLabel(toolkit, window, 5, 0, 0, 10, 10, nullptr, visible, "a");
  createLabel(toolkit, window, 5, 0, 0, 10, 10, nullptr, visible, "b");
  EXPECT_EQ(findChild(window, 5), first);
  EXPECT_EQ(findChild(rootWidget(toolkit), 5), nullptr);
  EXPECT_EQ(findChild(rootWidget(toolkit), 7), window);

  setTextById(window, 5, "changed");
  EXPECT_EQ(widgetText(first), "changed");
  EXPECT_EQ(widgetText(window), std::nullopt);
  EXPECT_EQ(widgetId(nullptr), -1);
  EXPECT_EQ(setWidgetUserData(first, 9), 0);
  EXPECT_EQ(widgetUserData(first), 9);
  EXPECT_EQ(widgetExtra(first), nullptr);
}

TEST_F(TreeTest, SiblingOrderFollowsCreationActivationAndReordering) {
  Widget* parent = createWindow(toolkit, nullptr, 0, 0, 0, 100, 100, nullptr, visible);
  Widget* a = createLabel(toolkit, parent, 1, 0, 0, 50, 50, nullptr, visible, "");
  Widget* b = createLabel(toolkit, parent, 2, 0, 0, 50, 50, nullptr, visible, "");
  Widget* c = createLabel(toolkit, parent, 3, 0, 0, 50, 50, nullptr, visible, "");
  EXPECT_EQ(childIds(parent), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(hitTest(toolkit, nullptr, 10, 10), a);

  reorderWidget(c, 1);
  EXPECT_EQ(childIds(parent), (std::vector<std::int32_t>{1, 3, 2}));
  reorderWidget(a, -1);
  EXPECT_EQ(childIds(parent), (std::vector<std::int32_t>{3, 1, 2}));
  reorderWidget(b, 2);
  EXPECT_EQ(childIds(parent), (std::vector<std::int32_t>{2, 3, 1}));
  reorderWidget(b, -2);
  EXPECT_EQ(childIds(parent), (std::vector<std::int32_t>{3, 1, 2}));
  reorderWidget(c, 1);
  reorderWidget(b, -1);
  reorderWidget(b, 7);
  EXPECT_EQ(childIds(parent), (std::vector<std::int32_t>{3, 1, 2}));
  EXPECT_EQ(c->prevSibling, nullptr);
  EXPECT_EQ(b->nextSibling, nullptr);
  EXPECT_EQ(a->prevSibling, c);

  // The one activated last is hit first.
  EXPECT_EQ(activateWidget(toolkit, b), nullptr);
  EXPECT_EQ(childIds(parent), (std::vector<std::int32_t>{2, 3, 1}));
  EXPECT_EQ(hitTest(toolkit, nullptr, 10, 10), b);
  EXPECT_EQ(focusWidget(toolkit), b);

  // A hidden widget is not hit; its parent is.
  hideWidget(b);
  hideWidget(c);
  hideWidget(a);
  EXPECT_EQ(hitTest(toolkit, nullptr, 10, 10), parent);
  EXPECT_EQ(hitTest(toolkit, nullptr, 200, 200), rootWidget(toolkit));
  EXPECT_EQ(focusWidget(toolkit), b);
}

TEST_F(TreeTest, CallbackAndKindHandlerAreCalledInTheContractsOrder) {
  std::vector<std::string> order;
  EventResult callbackResult = EventResult::passOn;
  auto callback = [&](Toolkit&, Widget*, std::int32_t code, WidgetEvent*) {
    order.push_back("app" + std::to_string(code));
    return callbackResult;
  };
  auto handler = [&](Toolkit&, Widget*, std::int32_t code, WidgetEvent*) {
    order.push_back("kind" + std::to_string(code));
    return EventResult::consumed;
  };
  Widget* w = createWidget(toolkit, nullptr, WidgetKind::label, 1, 0, 0, 5, 5, callback, handler,
                           nullptr, visible);
  EXPECT_EQ(order, (std::vector<std::string>{"kind1", "app1", "app3", "kind3", "app4", "kind4"}));

  order.clear();
  EXPECT_EQ(sendEvent(toolkit, w, draw, nullptr), EventResult::consumed);  // the handler's
  callbackResult = EventResult::consumed;
  EXPECT_EQ(sendEvent(toolkit, w, draw, nullptr), EventResult::consumed);
  EXPECT_EQ(sendEvent(toolkit, w, create, nullptr), EventResult::consumed);
  EXPECT_EQ(order, (std::vector<std::string>{"app5", "kind5", "app5", "kind1", "app1"}));

  order.clear();
  EXPECT_TRUE(destroyWidget(toolkit, w));
  EXPECT_EQ(order, (std::vector<std::string>{"app2", "kind2"}));
  EXPECT_EQ(sendEvent(toolkit, nullptr, draw, nullptr), EventResult::passOn);
}

TEST_F(TreeTest, AKindHandlerCallsTheApplicationCallbackAgainForEventsLetThrough) {
  EventLog log;
  Widget* button = createButton(toolkit, nullptr, 4, 10, 10, 60, 16, log.callback(), visible, "");
  EXPECT_EQ(log.count(4, create), 2);
  EXPECT_EQ(log.count(4, moved), 2);

  log.clear();
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  EXPECT_EQ(log.count(4, press), 2);
  EXPECT_NE(button->flags & pressed, 0u);
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 0);

  // A callback that consumes the press is asked once and the button does nothing.
  log.clear();
  log.result = EventResult::consumed;
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  EXPECT_EQ(log.count(4, press), 1);
  EXPECT_EQ(button->flags & pressed, 0u);
  EXPECT_EQ(captureWidget(toolkit), nullptr);
}

TEST_F(TreeTest, DestructionVisitsChildrenFirstAndBackMostSiblingFirst) {
  std::vector<std::int32_t> destroyed;
  auto callback = [&](Toolkit&, Widget* w, std::int32_t code, WidgetEvent*) {
    if (code == destroy) destroyed.push_back(w->id);
    return EventResult::passOn;
  };
  Widget* top = createWidget(toolkit, nullptr, WidgetKind::window, 1, 0, 0, 9, 9, callback, nullptr,
                             nullptr, visible);
  createWidget(toolkit, top, WidgetKind::label, 2, 0, 0, 9, 9, callback, nullptr, nullptr, visible);
  Widget* b = createWidget(toolkit, top, WidgetKind::label, 3, 0, 0, 9, 9, callback, nullptr,
                           nullptr, visible);
  createWidget(toolkit, b, WidgetKind::label, 4, 0, 0, 9, 9, callback, nullptr, nullptr, visible);
  createWidget(toolkit, b, WidgetKind::label, 5, 0, 0, 9, 9, callback, nullptr, nullptr, visible);
  createWidget(toolkit, top, WidgetKind::label, 6, 0, 0, 9, 9, callback, nullptr, nullptr, visible);

  EXPECT_TRUE(destroyWidget(toolkit, top));
  EXPECT_EQ(destroyed, (std::vector<std::int32_t>{6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(rootWidget(toolkit)->firstChild, nullptr);
  EXPECT_FALSE(destroyWidget(toolkit, nullptr));
  EXPECT_FALSE(destroyWidget(toolkit, rootWidget(toolkit)));
}

TEST_F(TreeTest, DestroyingTheCaptureOrFocusWidgetLeavesNoDanglingReference) {
  Widget* button = createButton(toolkit, nullptr, 1, 10, 10, 60, 16, nullptr, visible, "");
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  ASSERT_EQ(captureWidget(toolkit), button);
  ASSERT_EQ(focusWidget(toolkit), button);
  destroyWidget(toolkit, button);
  EXPECT_EQ(captureWidget(toolkit), nullptr);
  EXPECT_EQ(focusWidget(toolkit), nullptr);
  EXPECT_EQ(dispatchMouse(toolkit, nullptr, 30, 15, 0, 0), EventResult::passOn);
  EXPECT_EQ(dispatchKey(toolkit, nullptr, 'a'), EventResult::passOn);
}

TEST_F(TreeTest, ACallbackMayDestroyItsOwnWidgetWhileHandlingAClick) {
  std::int32_t clicks = 0;
  auto callback = [&](Toolkit& tk, Widget* w, std::int32_t code, WidgetEvent*) {
    if (code == click) {
      ++clicks;
      destroyWidget(tk, w);
      return EventResult::consumed;
    }
    return EventResult::passOn;
  };
  Widget* parent = createWindow(toolkit, nullptr, 0, 0, 0, 200, 200, nullptr, visible);
  createButton(toolkit, parent, 1, 10, 10, 60, 16, callback, visible, "");
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  // Release and a pointer move in the same call: the move must not reach the freed button.
  EXPECT_EQ(dispatchMouse(toolkit, nullptr, 21, 15, 0, 0), EventResult::consumed);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(parent->firstChild, nullptr);
  EXPECT_EQ(captureWidget(toolkit), nullptr);
  drawWidgets(toolkit, nullptr);
}

TEST_F(TreeTest, NoneArgumentsAreRefusedQuietly) {
  EXPECT_FALSE(showWidget(toolkit, nullptr));
  EXPECT_EQ(activateWidget(toolkit, nullptr), nullptr);
  EXPECT_EQ(setCapture(toolkit, nullptr), nullptr);
  EXPECT_FALSE(moveWidget(toolkit, nullptr, 1, 1));
  EXPECT_EQ(widgetExtra(nullptr), nullptr);
}

}  // namespace
}  // namespace squish::widgets::testing
