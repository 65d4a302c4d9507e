// The event protocol and the per-frame entry points. Mouse dispatch turns the change of the
// pointer and the left button since the last call into press, release, click and mouseMove
// events for one target; hit testing and drawing walk the tree by its links alone.
#include "widgets/dispatch.h"

#include "widgets/release_scope.h"
#include "widgets/sibling_order.h"
#include "widgets/widget_tree.h"

namespace squish::widgets {

namespace {

std::int32_t call(const WidgetCallback& function, Toolkit& toolkit, Widget* widget,
                  std::int32_t code, WidgetEvent* event) {
  return function ? function(toolkit, widget, code, event) : 1;
}

void fillPointer(Toolkit& toolkit, const Widget* target) {
  toolkit.event.x = subClamped(toolkit.mouse.x, target->rect.x);
  toolkit.event.y = subClamped(toolkit.mouse.y, target->rect.y);
  toolkit.event.wheel = toolkit.mouse.wheel;
  toolkit.event.buttons = toolkit.mouse.buttons;
}

}  // namespace

Widget* setCapture(Toolkit& toolkit, Widget* widget) {
  if (widget == nullptr) return nullptr;
  Widget* previous = toolkit.captureWidget;
  toolkit.captureWidget = widget;
  return previous;
}

std::int32_t releaseCapture(Toolkit& toolkit) {
  toolkit.captureWidget = nullptr;
  return -1;
}

Widget* captureWidget(Toolkit& toolkit) {
  return toolkit.captureWidget;
}

std::int32_t callApplicationCallback(Toolkit& toolkit, Widget* widget, std::int32_t code,
                                     WidgetEvent* event) {
  if (widget == nullptr) return 1;
  return call(widget->callback, toolkit, widget, code, event);
}

std::int32_t sendEvent(Toolkit& toolkit, Widget* widget, std::int32_t code, WidgetEvent* event) {
  if (widget == nullptr) return 1;
  ReleaseScope scope(toolkit);
  if (code == create) {
    call(widget->kindHandler, toolkit, widget, code, event);
    return call(widget->callback, toolkit, widget, code, event);
  }
  if (code == destroy) {
    call(widget->callback, toolkit, widget, code, event);
    return call(widget->kindHandler, toolkit, widget, code, event);
  }
  const std::int32_t result = call(widget->callback, toolkit, widget, code, event);
  if (result == 0) return 0;
  return call(widget->kindHandler, toolkit, widget, code, event);
}

Widget* hitTest(Toolkit& toolkit, Widget* root, std::int32_t x, std::int32_t y) {
  Widget* widget = root != nullptr ? root : rootWidget(toolkit);
  Widget* candidate = nullptr;
  while (widget != nullptr) {
    const bool hit = (widget->flags & visible) != 0 &&
                     ((widget->flags & catchAll) != 0 || rectContains(widget->rect, x, y));
    if (hit) {
      candidate = widget;
      widget = widget->firstChild;
    } else {
      widget = widget->nextSibling;
    }
  }
  return candidate;
}

// Each event after the first is sent only while the target is alive: a callback may destroy it.
std::int32_t dispatchMouse(Toolkit& toolkit, Widget* root, std::int32_t x, std::int32_t y,
                           std::int32_t wheel, std::int32_t buttons) {
  if (x < 0 || y < 0) return 1;
  ReleaseScope scope(toolkit);
  Widget* target =
      toolkit.captureWidget != nullptr ? toolkit.captureWidget : hitTest(toolkit, root, x, y);
  if (target == nullptr) return 1;
  toolkit.previousMouse = toolkit.mouse;
  toolkit.mouse = MouseState{x, y, wheel, buttons};
  fillPointer(toolkit, target);

  const bool wasDown = (toolkit.previousMouse.buttons & 1) != 0;
  const bool isDown = (buttons & 1) != 0;
  if (!wasDown && isDown) {
    if (target != toolkit.focusWidget && toolkit.captureWidget == nullptr) {
      activateWidget(toolkit, target);
    }
    toolkit.event.buttons = 1;
    sendEvent(toolkit, target, press, &toolkit.event);
  } else if (wasDown && !isDown) {
    toolkit.event.buttons = 1;
    Widget* holder = toolkit.captureWidget;
    sendEvent(toolkit, target, release, &toolkit.event);
    if (!target->destroyed && target == holder && rectContains(target->rect, x, y)) {
      sendEvent(toolkit, target, click, &toolkit.event);
    }
  }
  if (!target->destroyed && (x != toolkit.previousMouse.x || y != toolkit.previousMouse.y)) {
    sendEvent(toolkit, target, mouseMove, &toolkit.event);
  }
  return (target->flags & catchAll) != 0 ? 0 : 1;
}

std::int32_t dispatchKey(Toolkit& toolkit, Widget* target, KeyCode key) {
  toolkit.event.key = key;
  Widget* receiver = target != nullptr ? target : toolkit.focusWidget;
  if (receiver == nullptr) return 1;
  return sendEvent(toolkit, receiver, keyTyped, &toolkit.event);
}

// Pre-order, back-most child first, so that the front-most sibling is drawn last, on top.
std::int32_t drawWidgets(Toolkit& toolkit, Widget* root) {
  Widget* start = root != nullptr ? root : rootWidget(toolkit);
  if (start == nullptr) return 0;
  ReleaseScope scope(toolkit);
  std::int32_t result = 0;
  Widget* widget = start;
  while (true) {
    if ((widget->flags & visible) != 0) {
      result = sendEvent(toolkit, widget, draw, nullptr);
      if (widget->firstChild != nullptr) {
        widget = backMost(widget->firstChild);
        continue;
      }
    }
    while (widget != start && widget->prevSibling == nullptr) {
      widget = widget->parent;
      if (widget == nullptr) return result;
    }
    if (widget == start) return result;
    widget = widget->prevSibling;
  }
}

}  // namespace squish::widgets
