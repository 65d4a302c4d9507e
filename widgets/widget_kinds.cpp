// Desktop, window, label, button and check box: their constructors, how each kind reacts to
// events and how each draws itself. Every handler first offers the event to the application
// callback and does its kind's work only when the callback lets the event through.
#include "widgets/widget_kinds.h"

#include <new>

#include "widgets/colour_scheme.h"
#include "widgets/dispatch.h"
#include "widgets/frame_drawing.h"
#include "widgets/text.h"
#include "widgets/widget_tree.h"

namespace squish::widgets {

namespace {

constexpr std::int32_t checkSquareSize = 11;
constexpr std::int32_t checkCaptionOffset = 14;

// Handlers may be sent pointer events without a record; they then see the pointer at (0, 0).
const WidgetEvent& eventOrNone(const WidgetEvent* event) {
  static constexpr WidgetEvent none{};
  return event != nullptr ? *event : none;
}

CheckBoxData* checkBoxData(const Widget* widget) {
  if (widget == nullptr || widget->kind != WidgetKind::checkBox) return nullptr;
  return dynamic_cast<CheckBoxData*>(widget->extra.get());
}

bool inside(const Widget* widget, const WidgetEvent* event) {
  const WidgetEvent& e = eventOrNone(event);
  return rectContains(Rect{0, 0, widget->rect.w, widget->rect.h}, e.x, e.y);
}

void drawCaption(Toolkit& toolkit, const Widget* widget, const Rect& area, std::int32_t align) {
  if (!widget->text) return;
  drawTextAligned(toolkit, area, *widget->text,
                  static_cast<std::uint32_t>(schemeColour(toolkit, inkColour)),
                  static_cast<std::uint32_t>(schemeColour(toolkit, faceColour)), align);
}

void setFlag(Widget* widget, std::uint32_t flag, bool on) {
  widget->flags = on ? widget->flags | flag : widget->flags & ~flag;
}

// Press, release and pointer moves shared by buttons and check boxes: the pressed look
// follows the pointer while the widget holds the capture.
EventResult pressable(Toolkit& toolkit, Widget* widget, std::int32_t code, WidgetEvent* event) {
  switch (code) {
    case press:
      if (toolkit.captureWidget == nullptr) {
        setCapture(toolkit, widget);
        setFlag(widget, pressed, true);
      }
      return EventResult::consumed;
    case release:
      setFlag(widget, pressed, false);
      releaseCapture(toolkit);
      return EventResult::consumed;
    case mouseMove:
      if (toolkit.captureWidget == widget) setFlag(widget, pressed, inside(widget, event));
      return EventResult::consumed;
    default:
      return EventResult::passOn;
  }
}

EventResult desktopHandler(Toolkit&, Widget*, std::int32_t, WidgetEvent*) {
  return EventResult::passOn;
}

EventResult windowHandler(Toolkit& toolkit, Widget* window, std::int32_t code, WidgetEvent* event) {
  if (callApplicationCallback(toolkit, window, code, event) == EventResult::consumed)
    return EventResult::passOn;
  switch (code) {
    case draw:
      drawFrame(toolkit, window->rect, frameRaised | frameFill);
      return EventResult::consumed;
    case press:
      if ((window->flags & draggable) != 0) {
        toolkit.dragX = eventOrNone(event).x;
        toolkit.dragY = eventOrNone(event).y;
        setCapture(toolkit, window);
      }
      return EventResult::consumed;
    case release:
      releaseCapture(toolkit);
      return EventResult::consumed;
    case mouseMove:
      if (toolkit.captureWidget == window) {
        const Rect origin = window->parent != nullptr ? window->parent->rect : Rect{};
        moveWidget(toolkit, window,
                   saturate(std::int64_t{toolkit.mouse.x} - toolkit.dragX - origin.x),
                   saturate(std::int64_t{toolkit.mouse.y} - toolkit.dragY - origin.y));
      }
      return EventResult::consumed;
    default:
      return EventResult::passOn;
  }
}

EventResult labelHandler(Toolkit& toolkit, Widget* label, std::int32_t code, WidgetEvent* event) {
  if (callApplicationCallback(toolkit, label, code, event) == EventResult::consumed)
    return EventResult::passOn;
  switch (code) {
    case draw:
      drawFrame(toolkit, label->rect, frameFill);
      drawCaption(toolkit, label, label->rect, alignCentreX | alignCentreY);
      return EventResult::consumed;
    case press:
      if (toolkit.captureWidget == nullptr) setCapture(toolkit, label);
      return EventResult::consumed;
    case release:
      releaseCapture(toolkit);
      return EventResult::consumed;
    default:
      return EventResult::passOn;
  }
}

void drawButton(Toolkit& toolkit, const Widget* button) {
  const std::int32_t centred = alignCentreX | alignCentreY;
  const bool sunken = (button->flags & keepRaised) == 0 && (button->flags & pressed) != 0;
  if (!sunken) {
    drawFrame(toolkit, button->rect, frameRaised | frameFill);
    drawCaption(toolkit, button, button->rect, centred);
    return;
  }
  drawFrame(toolkit, button->rect, frameSunken | frameFill);
  Rect shifted = button->rect;
  moveRect(shifted, 1, 1);
  drawCaption(toolkit, button, shifted, centred);
}

EventResult buttonHandler(Toolkit& toolkit, Widget* button, std::int32_t code, WidgetEvent* event) {
  if (callApplicationCallback(toolkit, button, code, event) == EventResult::consumed)
    return EventResult::passOn;
  if (code == draw) {
    drawButton(toolkit, button);
    return EventResult::consumed;
  }
  return pressable(toolkit, button, code, event);
}

void drawCheckBox(Toolkit& toolkit, const Widget* checkBox) {
  const Rect& r = checkBox->rect;
  drawCheckMark(toolkit, Rect{r.x, r.y, checkSquareSize, r.h}, checkBoxTicked(checkBox),
                schemeColour(toolkit, inkColour));
  const Rect caption{addClamped(r.x, checkCaptionOffset), r.y, subClamped(r.w, checkCaptionOffset),
                     r.h};
  drawCaption(toolkit, checkBox, caption, alignCentreY);
}

EventResult checkBoxHandler(Toolkit& toolkit, Widget* checkBox, std::int32_t code,
                            WidgetEvent* event) {
  if (callApplicationCallback(toolkit, checkBox, code, event) == EventResult::consumed)
    return EventResult::passOn;
  if (code == draw) {
    drawCheckBox(toolkit, checkBox);
    return EventResult::consumed;
  }
  if (code == release && toolkit.captureWidget == checkBox && inside(checkBox, event)) {
    setCheckBoxTicked(checkBox, !checkBoxTicked(checkBox));
  }
  return pressable(toolkit, checkBox, code, event);
}

Widget* createCaptioned(Toolkit& toolkit, Widget* parent, WidgetKind kind, std::int32_t id,
                        std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                        WidgetCallback callback, WidgetCallback handler,
                        std::unique_ptr<KindData> extra, std::uint32_t flags,
                        std::string_view text) {
  Widget* widget = createWidget(toolkit, parent, kind, id, x, y, w, h, std::move(callback),
                                std::move(handler), std::move(extra), flags);
  setWidgetText(widget, text);
  return widget;
}

}  // namespace

Widget* createDesktop(Toolkit& toolkit, std::int32_t id, WidgetCallback callback,
                      std::uint32_t flags) {
  return createWidget(toolkit, nullptr, WidgetKind::desktop, id, 0, 0, 0, 0, std::move(callback),
                      desktopHandler, nullptr, flags | catchAll);
}

Widget* createWindow(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                     std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                     std::uint32_t flags) {
  return createWidget(toolkit, parent, WidgetKind::window, id, x, y, w, h, std::move(callback),
                      windowHandler, nullptr, flags);
}

Widget* createLabel(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                    std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                    std::uint32_t flags, std::string_view text) {
  return createCaptioned(toolkit, parent, WidgetKind::label, id, x, y, w, h, std::move(callback),
                         labelHandler, nullptr, flags, text);
}

Widget* createButton(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                     std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                     std::uint32_t flags, std::string_view text) {
  return createCaptioned(toolkit, parent, WidgetKind::button, id, x, y, w, h, std::move(callback),
                         buttonHandler, nullptr, flags, text);
}

Widget* createCheckBox(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                       std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                       std::uint32_t flags, std::string_view text) {
  std::unique_ptr<KindData> data(new (std::nothrow) CheckBoxData);
  if (!data) return nullptr;
  return createCaptioned(toolkit, parent, WidgetKind::checkBox, id, x, y, w, h, std::move(callback),
                         checkBoxHandler, std::move(data), flags, text);
}

bool checkBoxTicked(const Widget* checkBox) {
  const CheckBoxData* data = checkBoxData(checkBox);
  return data != nullptr && data->ticked;
}

void setCheckBoxTicked(Widget* checkBox, bool ticked) {
  if (CheckBoxData* data = checkBoxData(checkBox)) data->ticked = ticked;
}

}  // namespace squish::widgets
