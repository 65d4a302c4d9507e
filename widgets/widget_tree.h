#pragma once
// Building and arranging the widget tree: creating and destroying widgets, their ids, captions,
// kind data and user data, visibility, stacking order, focus, position and size.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "widgets/toolkit.h"

namespace squish::widgets {

// The toolkit's root widget (visible | catchAll, rect all zero), made on first call.
Widget* rootWidget(Toolkit& toolkit);

// Creates a widget as the back-most child of parent (the root when null) at (x, y) relative to
// the parent's origin, keeping `extra` as its kind data, then sends it create, moved and
// resized. Null when memory runs out, the parent is being destroyed, or a callback destroyed the
// new widget during those events.
Widget* createWidget(Toolkit& toolkit, Widget* parent, WidgetKind kind, std::int32_t id,
                     std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                     WidgetCallback callback, WidgetCallback kindHandler,
                     std::unique_ptr<KindData> extra, std::uint32_t flags);
// Destroys the widget and its subtree, children before parents, back-most sibling first.
// False, doing nothing, for null, for the root, for a widget already being destroyed, and when
// called from a destroy event (a callback cannot start a second destruction).
bool destroyWidget(Toolkit& toolkit, Widget* widget);

// First direct child of parent, front to back, with this id; grandchildren are not searched.
Widget* findChild(Widget* parent, std::int32_t id);
std::int32_t widgetId(const Widget* widget);  // -1 for null
void setWidgetText(Widget* widget, std::string_view text);
std::optional<std::string_view> widgetText(const Widget* widget);
void setTextById(Widget* parent, std::int32_t id, std::string_view text);
// The widget's kind data; null for null or a kind without any.
KindData* widgetExtra(const Widget* widget);
std::int32_t widgetUserData(const Widget* widget);
// Returns the previous value; 0 for null.
std::int32_t setWidgetUserData(Widget* widget, std::int32_t value);

// These and the position and size operations below return false, doing nothing, for null.
bool showWidget(Toolkit& toolkit, Widget* widget);  // visible, then activateWidget
bool hideWidget(Widget* widget);                    // focus and capture stay
bool setKeepRaised(Widget* widget);
bool clearKeepRaised(Widget* widget);
// Brings the widget and each ancestor to the front of its siblings and gives it the focus;
// returns the previous focus widget.
Widget* activateWidget(Toolkit& toolkit, Widget* widget);
Widget* focusWidget(Toolkit& toolkit);
Widget* bringToFront(Widget* widget);
Widget* sendToBack(Widget* widget);
// how: 1 one place to the front, -1 one place to the back, 2 to the front, -2 to the back.
void reorderWidget(Widget* widget, std::int32_t how);

// Places the widget at (x, y) relative to its parent's origin, moving its subtree along.
bool moveWidget(Toolkit& toolkit, Widget* widget, std::int32_t x, std::int32_t y);
// Both also refuse a width or height below 1.
bool resizeWidget(Toolkit& toolkit, Widget* widget, std::int32_t w, std::int32_t h);
bool setWidgetRect(Toolkit& toolkit, Widget* widget, std::int32_t x, std::int32_t y, std::int32_t w,
                   std::int32_t h);
// The rectangle (screen pixels), the parent's, and (0, 0, w, h); an all-zero rectangle and
// false for null.
bool widgetRect(const Widget* widget, Rect& out);
bool parentRect(const Widget* widget, Rect& out);
bool clientRect(const Widget* widget, Rect& out);

}  // namespace squish::widgets
