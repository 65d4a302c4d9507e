#pragma once
// The widget kinds built on the tree: desktop, window, label, button and check box. Each
// constructor creates the widget, installs its kind's handler and sets its caption.
#include <cstdint>
#include <string_view>

#include "widgets/toolkit.h"

namespace squish::widgets {

// A catchAll widget covering nothing, child of the root; it draws nothing and handles nothing.
Widget* createDesktop(Toolkit& toolkit, std::int32_t id, WidgetCallback callback,
                      std::uint32_t flags);
// A raised face; with the draggable flag it follows the pointer while held by its face.
Widget* createWindow(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                     std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                     std::uint32_t flags);
Widget* createLabel(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                    std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                    std::uint32_t flags, std::string_view text);
Widget* createButton(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                     std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                     std::uint32_t flags, std::string_view text);
Widget* createCheckBox(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                       std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                       std::uint32_t flags, std::string_view text);

// A check box's kind data: ticked or not, unticked at creation.
struct CheckBoxData final : KindData {
  bool ticked = false;
};

// A check box's state; false for anything that is not a check box.
bool checkBoxTicked(const Widget* checkBox);
// Does nothing for anything that is not a check box.
void setCheckBoxTicked(Widget* checkBox, bool ticked);

}  // namespace squish::widgets
