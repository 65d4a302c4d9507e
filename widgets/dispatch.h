#pragma once
// The event protocol and the per-frame entry points: capture, sending one event through a
// widget's callback and kind handler, hit testing, mouse and key dispatch, and drawing.
#include <cstdint>

#include "widgets/toolkit.h"

namespace squish::widgets {

// Makes the widget the capture widget; returns the previous one. Null changes nothing.
Widget* setCapture(Toolkit& toolkit, Widget* widget);
void releaseCapture(Toolkit& toolkit);
Widget* captureWidget(Toolkit& toolkit);

// create: kind handler, then callback (callback's result). destroy: callback, then kind
// handler (handler's result). Others: callback, and the kind handler only when the callback
// let the event pass on. An absent callback or handler counts as passing the event on.
EventResult sendEvent(Toolkit& toolkit, Widget* widget, std::int32_t code, WidgetEvent* event);
// The widget's application callback alone (passOn when absent); kind handlers call it first.
EventResult callApplicationCallback(Toolkit& toolkit, Widget* widget, std::int32_t code,
                                    WidgetEvent* event);

// The deepest visible widget on the front-most path containing (x, y); root null = the root.
Widget* hitTest(Toolkit& toolkit, Widget* root, std::int32_t x, std::int32_t y);
// Sends press, release, click and mouseMove as the pointer and left button changed. passOn
// when the pointer landed on a catchAll widget (no widget took it), consumed otherwise. A
// negative coordinate (a pointer outside the picture) is consumed without any event or change.
EventResult dispatchMouse(Toolkit& toolkit, Widget* root, std::int32_t x, std::int32_t y,
                          std::int32_t wheel, std::int32_t buttons);
// Sends keyTyped to target (the focus widget when null); passOn when there is no receiver.
EventResult dispatchKey(Toolkit& toolkit, Widget* target, KeyCode key);
// Sends draw to every visible widget, parents first, siblings back to front. The result of the
// last draw event; consumed when none was sent.
EventResult drawWidgets(Toolkit& toolkit, Widget* root);

}  // namespace squish::widgets
