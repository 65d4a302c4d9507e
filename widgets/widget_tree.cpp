// The widget tree: records linked to their parent and their siblings (front to back), creation
// and depth-first destruction, stacking order, focus, and moving a subtree along with its root.
// Every walk follows the links; nothing recurses or allocates.
//
// Sections: sibling lists; creating and destroying; ids, captions and data; visibility, order
// and focus; position and size.
#include "widgets/widget_tree.h"

#include <new>

#include "widgets/dispatch.h"
#include "widgets/release_scope.h"
#include "widgets/sibling_order.h"

namespace squish::widgets {

namespace {

// ---- Sibling lists ----

void appendChild(Widget* parent, Widget* child) {
  child->parent = parent;
  if (parent->firstChild == nullptr) {
    parent->firstChild = child;
    return;
  }
  Widget* last = backMost(parent->firstChild);
  last->nextSibling = child;
  child->prevSibling = last;
}

void unlink(Widget* widget) {
  if (widget->prevSibling != nullptr) widget->prevSibling->nextSibling = widget->nextSibling;
  if (widget->nextSibling != nullptr) widget->nextSibling->prevSibling = widget->prevSibling;
  if (widget->parent != nullptr && widget->parent->firstChild == widget) {
    widget->parent->firstChild = widget->nextSibling;
  }
  widget->parent = nullptr;
  widget->prevSibling = nullptr;
  widget->nextSibling = nullptr;
}

// Links a detached widget into parent's list in front of `before`.
void linkBefore(Widget* parent, Widget* widget, Widget* before) {
  widget->parent = parent;
  widget->nextSibling = before;
  widget->prevSibling = before->prevSibling;
  if (before->prevSibling != nullptr) before->prevSibling->nextSibling = widget;
  before->prevSibling = widget;
  if (parent->firstChild == before) parent->firstChild = widget;
}

// Links a detached widget into parent's list behind `after`.
void linkAfter(Widget* parent, Widget* widget, Widget* after) {
  widget->parent = parent;
  widget->prevSibling = after;
  widget->nextSibling = after->nextSibling;
  if (after->nextSibling != nullptr) after->nextSibling->prevSibling = widget;
  after->nextSibling = widget;
}

// ---- Creating and destroying ----

// Sends destroy, drops the caption and unlinks one widget whose children are gone. The record
// waits on the release list until no event is being handled.
void destroyOne(Toolkit& toolkit, Widget* widget) {
  sendEvent(toolkit, widget, destroy, nullptr);
  widget->text.reset();
  unlink(widget);
  if (toolkit.captureWidget == widget) toolkit.captureWidget = nullptr;
  if (toolkit.focusWidget == widget) toolkit.focusWidget = nullptr;
  widget->nextSibling = toolkit.releaseList;
  toolkit.releaseList = widget;
}

// Visits top and every widget below it in pre-order, without recursion or storage: down to the
// first child, else on to the next sibling, climbing back up until one is found.
template <typename Visit>
void forEachInSubtree(Widget* top, Visit visit) {
  Widget* widget = top;
  while (widget != nullptr) {
    visit(widget);
    if (widget->firstChild != nullptr) {
      widget = widget->firstChild;
      continue;
    }
    while (widget != top && widget->nextSibling == nullptr)
      widget = widget->parent;
    widget = widget == top ? nullptr : widget->nextSibling;
  }
}

// Marks the subtree as being destroyed, so that neither a nested destroyWidget nor a new child
// can reach it while its destroy events run.
void markSubtreeDestroyed(Widget* top) {
  forEachInSubtree(top, [](Widget* widget) { widget->destroyed = true; });
}

// ---- Position ----

void offsetSubtree(Widget* top, std::int32_t dx, std::int32_t dy) {
  forEachInSubtree(top, [dx, dy](Widget* widget) { moveRect(widget->rect, dx, dy); });
}

Rect originOf(const Widget* widget) {
  return widget != nullptr ? widget->rect : Rect{};
}

}  // namespace

Widget* rootWidget(Toolkit& toolkit) {
  if (toolkit.root == nullptr) {
    toolkit.root = new (std::nothrow) Widget;
    if (toolkit.root != nullptr) toolkit.root->flags = visible | catchAll;
  }
  return toolkit.root;
}

Widget* createWidget(Toolkit& toolkit, Widget* parent, WidgetKind kind, std::int32_t id,
                     std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                     WidgetCallback callback, WidgetCallback kindHandler,
                     std::unique_ptr<KindData> extra, std::uint32_t flags) {
  if (parent == nullptr) parent = rootWidget(toolkit);
  if (parent == nullptr || parent->destroyed) return nullptr;
  Widget* widget = new (std::nothrow) Widget;
  if (widget == nullptr) return nullptr;

  ReleaseScope scope(toolkit);
  appendChild(parent, widget);
  widget->rect = Rect{addClamped(x, parent->rect.x), addClamped(y, parent->rect.y), w, h};
  widget->kind = kind;
  widget->id = id;
  widget->flags = flags;
  widget->callback = std::move(callback);
  widget->kindHandler = std::move(kindHandler);
  widget->extra = std::move(extra);
  for (const std::int32_t code : {create, moved, resized}) {
    if (widget->destroyed) return nullptr;
    sendEvent(toolkit, widget, code, nullptr);
  }
  return widget->destroyed ? nullptr : widget;
}

bool destroyWidget(Toolkit& toolkit, Widget* widget) {
  if (widget == nullptr || widget == toolkit.root || widget->destroyed) return false;
  if (toolkit.destroyingTree) return false;
  ReleaseScope scope(toolkit);
  toolkit.destroyingTree = true;
  markSubtreeDestroyed(widget);
  Widget* current = widget;
  while (current != nullptr) {
    while (current->firstChild != nullptr)
      current = backMost(current->firstChild);
    Widget* next = nullptr;
    if (current != widget) {
      next = current->prevSibling != nullptr ? current->prevSibling : current->parent;
    }
    destroyOne(toolkit, current);
    current = next;
  }
  toolkit.destroyingTree = false;
  return true;
}

// ---- Ids, captions and data ----

Widget* findChild(Widget* parent, std::int32_t id) {
  if (parent == nullptr) return nullptr;
  for (Widget* child = parent->firstChild; child != nullptr; child = child->nextSibling) {
    if (child->id == id) return child;
  }
  return nullptr;
}

std::int32_t widgetId(const Widget* widget) {
  return widget != nullptr ? widget->id : -1;
}

void setWidgetText(Widget* widget, std::string_view text) {
  if (widget != nullptr) widget->text = std::string(text);
}

std::optional<std::string_view> widgetText(const Widget* widget) {
  if (widget == nullptr || !widget->text) return std::nullopt;
  return std::string_view(*widget->text);
}

void setTextById(Widget* parent, std::int32_t id, std::string_view text) {
  setWidgetText(findChild(parent, id), text);
}

KindData* widgetExtra(const Widget* widget) {
  return widget != nullptr ? widget->extra.get() : nullptr;
}

std::int32_t widgetUserData(const Widget* widget) {
  return widget != nullptr ? widget->userData : 0;
}

std::int32_t setWidgetUserData(Widget* widget, std::int32_t value) {
  if (widget == nullptr) return 0;
  const std::int32_t previous = widget->userData;
  widget->userData = value;
  return previous;
}

// ---- Visibility, order and focus ----

bool showWidget(Toolkit& toolkit, Widget* widget) {
  if (widget == nullptr) return false;
  widget->flags |= visible;
  activateWidget(toolkit, widget);
  return true;
}

bool hideWidget(Widget* widget) {
  if (widget == nullptr) return false;
  widget->flags &= ~std::uint32_t{visible};
  return true;
}

bool setKeepRaised(Widget* widget) {
  if (widget == nullptr) return false;
  widget->flags |= keepRaised;
  return true;
}

bool clearKeepRaised(Widget* widget) {
  if (widget == nullptr) return false;
  widget->flags &= ~std::uint32_t{keepRaised};
  return true;
}

Widget* activateWidget(Toolkit& toolkit, Widget* widget) {
  if (widget == nullptr) return nullptr;
  for (Widget* w = widget; w != nullptr; w = w->parent)
    bringToFront(w);
  Widget* previous = toolkit.focusWidget;
  toolkit.focusWidget = widget;
  return previous;
}

Widget* focusWidget(Toolkit& toolkit) {
  return toolkit.focusWidget;
}

Widget* bringToFront(Widget* widget) {
  if (widget == nullptr || widget->parent == nullptr) return widget;
  Widget* parent = widget->parent;
  Widget* front = parent->firstChild;
  if (front == widget) return widget;
  unlink(widget);
  linkBefore(parent, widget, parent->firstChild);
  return widget;
}

Widget* sendToBack(Widget* widget) {
  if (widget == nullptr || widget->parent == nullptr || widget->nextSibling == nullptr) {
    return widget;
  }
  Widget* parent = widget->parent;
  unlink(widget);
  linkAfter(parent, widget, backMost(parent->firstChild));
  return widget;
}

void reorderWidget(Widget* widget, std::int32_t how) {
  if (widget == nullptr || widget->parent == nullptr) return;
  Widget* parent = widget->parent;
  if (how == 1 && widget->prevSibling != nullptr) {
    Widget* before = widget->prevSibling;
    unlink(widget);
    linkBefore(parent, widget, before);
  } else if (how == -1 && widget->nextSibling != nullptr) {
    Widget* after = widget->nextSibling;
    unlink(widget);
    linkAfter(parent, widget, after);
  } else if (how == 2) {
    bringToFront(widget);
  } else if (how == -2) {
    sendToBack(widget);
  }
}

// ---- Position and size ----

bool moveWidget(Toolkit& toolkit, Widget* widget, std::int32_t x, std::int32_t y) {
  if (widget == nullptr) return false;
  const Rect origin = originOf(widget->parent);
  const std::int32_t dx = saturate(std::int64_t{x} + origin.x - widget->rect.x);
  const std::int32_t dy = saturate(std::int64_t{y} + origin.y - widget->rect.y);
  offsetSubtree(widget, dx, dy);
  sendEvent(toolkit, widget, moved, nullptr);
  return true;
}

bool resizeWidget(Toolkit& toolkit, Widget* widget, std::int32_t w, std::int32_t h) {
  if (widget == nullptr || w < 1 || h < 1) return false;
  setRectSize(widget->rect, w, h);
  sendEvent(toolkit, widget, resized, nullptr);
  return true;
}

bool setWidgetRect(Toolkit& toolkit, Widget* widget, std::int32_t x, std::int32_t y, std::int32_t w,
                   std::int32_t h) {
  if (widget == nullptr || w <= 0 || h <= 0) return false;
  moveWidget(toolkit, widget, x, y);
  resizeWidget(toolkit, widget, w, h);
  return true;
}

bool widgetRect(const Widget* widget, Rect& out) {
  out = originOf(widget);
  return widget != nullptr;
}

bool parentRect(const Widget* widget, Rect& out) {
  return widgetRect(widget != nullptr ? widget->parent : nullptr, out);
}

bool clientRect(const Widget* widget, Rect& out) {
  if (widget == nullptr) {
    out = Rect{};
    return false;
  }
  out = Rect{0, 0, widget->rect.w, widget->rect.h};
  return true;
}

}  // namespace squish::widgets
