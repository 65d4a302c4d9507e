#pragma once
// Walking a sibling list, shared by the tree operations and the drawing pass. Internal to the
// toolkit.
#include "widgets/toolkit.h"

namespace squish::widgets {

// The last sibling at or behind widget: the back-most of its parent's children.
inline Widget* backMost(Widget* widget) {
  while (widget->nextSibling != nullptr)
    widget = widget->nextSibling;
  return widget;
}

}  // namespace squish::widgets
