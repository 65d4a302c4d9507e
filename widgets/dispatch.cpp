// The event protocol and the per-frame entry points. Mouse dispatch turns the change of the
// pointer and the left button since the last call into press, release, click and mouseMove
// events for one target; hit testing and drawing walk the tree by its links alone.
#include "widgets/dispatch.h"

#include "widgets/release_scope.h"
#include "widgets/sibling_order.h"
#include "widgets/widget_tree.h"

namespace squish::widgets {

namespace {

EventResult call(const WidgetCallback& function, Toolkit& toolkit, Widget* widget,
                 std::int32_t code, WidgetEvent* event) {
  return function ? function(toolkit, widget, code, event) : EventResult::passOn;
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

void releaseCapture(Toolkit& toolkit) {
  toolkit.captureWidget = nullptr;
}

Widget* captureWidget(Toolkit& toolkit) {
  return toolkit.captureWidget;
}

EventResult callApplicationCallback(Toolkit& toolkit, Widget* widget, std::int32_t code,
                                    WidgetEvent* event) {
  if (widget == nullptr) return EventResult::passOn;
  return call(widget->callback, toolkit, widget, code, event);
}

EventResult sendEvent(Toolkit& toolkit, Widget* widget, std::int32_t code, WidgetEvent* event) {
  if (widget == nullptr) return EventResult::passOn;
  ReleaseScope scope(toolkit);
  if (code == create) {
    call(widget->kindHandler, toolkit, widget, code, event);
    return call(widget->callback, toolkit, widget, code, event);
  }
  if (code == destroy) {
    call(widget->callback, toolkit, widget, code, event);
    return call(widget->kindHandler, toolkit, widget, code, event);
  }
  if (call(widget->callback, toolkit, widget, code, event) == EventResult::consumed) {
    return EventResult::consumed;
  }
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
EventResult dispatchMouse(Toolkit& toolkit, Widget* root, std::int32_t x, std::int32_t y,
                          std::int32_t wheel, std::int32_t buttons) {
  if (x < 0 || y < 0) return EventResult::consumed;
  ReleaseScope scope(toolkit);
  Widget* target =
      toolkit.captureWidget != nullptr ? toolkit.captureWidget : hitTest(toolkit, root, x, y);
  if (target == nullptr) return EventResult::consumed;
  toolkit.previousMouse = toolkit.mouse;
  toolkit.mouse = display::MouseState{x, y, wheel, buttons};
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
  return (target->flags & catchAll) != 0 ? EventResult::passOn : EventResult::consumed;
}

EventResult dispatchKey(Toolkit& toolkit, Widget* target, KeyCode key) {
  toolkit.event.key = key;
  Widget* receiver = target != nullptr ? target : toolkit.focusWidget;
  if (receiver == nullptr) return EventResult::passOn;
  return sendEvent(toolkit, receiver, keyTyped, &toolkit.event);
}

// Pre-order, back-most child first, so that the front-most sibling is drawn last, on top.
EventResult drawWidgets(Toolkit& toolkit, Widget* root) {
  Widget* start = root != nullptr ? root : rootWidget(toolkit);
  if (start == nullptr) return EventResult::consumed;
  ReleaseScope scope(toolkit);
  EventResult result = EventResult::consumed;
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
