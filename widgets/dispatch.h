#pragma once
// The event protocol and the per-frame entry points: capture, sending one event through a
// widget's callback and kind handler, hit testing, mouse and key dispatch, and drawing.
#include <cstdint>

#include "widgets/toolkit.h"

namespace squish::widgets {

// Makes the widget the capture widget; returns the previous one. Null changes nothing.
Widget* setCapture(Toolkit& toolkit, Widget* widget);
std::int32_t releaseCapture(Toolkit& toolkit);
Widget* captureWidget(Toolkit& toolkit);

// create: kind handler, then callback (callback's result). destroy: callback, then kind
// handler (handler's result). Others: callback, and the kind handler only when the callback
// let the event through. An absent callback or handler counts as returning 1.
std::int32_t sendEvent(Toolkit& toolkit, Widget* widget, std::int32_t code, WidgetEvent* event);
// The widget's application callback alone (1 when absent); kind handlers call it first.
std::int32_t callApplicationCallback(Toolkit& toolkit, Widget* widget, std::int32_t code,
                                     WidgetEvent* event);

// The deepest visible widget on the front-most path containing (x, y); root null = the root.
Widget* hitTest(Toolkit& toolkit, Widget* root, std::int32_t x, std::int32_t y);
// Sends press, release, click and mouseMove as the pointer and left button changed. Returns 0
// when the pointer landed on a catchAll widget (not taken), else 1.
std::int32_t dispatchMouse(Toolkit& toolkit, Widget* root, std::int32_t x, std::int32_t y,
                           std::int32_t wheel, std::int32_t buttons);
// Sends keyTyped to target (the focus widget when null); 0 means the key was consumed.
std::int32_t dispatchKey(Toolkit& toolkit, Widget* target, KeyCode key);
// Sends draw to every visible widget, parents first, siblings back to front.
std::int32_t drawWidgets(Toolkit& toolkit, Widget* root);

}  // namespace squish::widgets
