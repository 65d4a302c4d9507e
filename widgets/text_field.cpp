// The text field: its handler (buffer lifetime, keys, cursor placement with the mouse), and its
// drawing, which scrolls the text so that the cursor stays in view and shows the cursor as a
// solid block while the field has the focus.
#include "widgets/text_field.h"

#include <algorithm>
#include <new>

#include "widgets/colour_scheme.h"
#include "widgets/dispatch.h"
#include "widgets/font.h"
#include "widgets/frame_drawing.h"
#include "widgets/text.h"
#include "widgets/widget_tree.h"

namespace squish::widgets {

namespace {

constexpr std::int32_t fieldBufferSize = 1024;
constexpr std::int32_t fieldFrameStyle = frameThick | frameFill | frameOutset;

TextFieldData* fieldData(const Widget* field) {
  if (field == nullptr || field->kind != WidgetKind::textField) return nullptr;
  return dynamic_cast<TextFieldData*>(field->extra.get());
}

void placeCursor(Toolkit& toolkit, TextFieldData& data, const WidgetEvent* event) {
  if (!data.buffer) return;
  const std::int32_t x = event != nullptr ? event->x : 0;
  setCursor(data.buffer.get(),
            indexAtOffset(toolkit, editText(data.buffer.get()), data.firstVisible, x));
}

// Consumes the keys a field handles (even when they change nothing) and passes on the others.
EventResult typeKey(EditBuffer* buffer, KeyCode key) {
  if (key == keyLeft) {
    if (editCursor(buffer) > 0) setCursor(buffer, editCursor(buffer) - 1);
  } else if (key == keyRight) {
    if (editCursor(buffer) < editLength(buffer)) setCursor(buffer, editCursor(buffer) + 1);
  } else if (key == keyHome) {
    setCursor(buffer, 0);
  } else if (key == keyEnd) {
    setCursor(buffer, editLength(buffer));
  } else if (key == keyBackspace) {
    deleteBefore(buffer);
  } else if (key == keyDelete) {
    deleteAt(buffer);
  } else if (key >= 32 && key <= 126) {
    insertChar(buffer, static_cast<std::uint8_t>(key));
  } else {
    return EventResult::passOn;
  }
  return EventResult::consumed;
}

// When the cursor has left the shown part, the text scrolls so that the cursor sits about half
// the text area's width from its left edge.
void scrollToCursor(Toolkit& toolkit, TextFieldData& data, std::int32_t areaWidth) {
  const std::string_view text = editText(data.buffer.get());
  const std::int32_t cursor = editCursor(data.buffer.get());
  const bool leftOfView = cursor < data.firstVisible;
  if (leftOfView || indexAtOffset(toolkit, text, data.firstVisible, areaWidth) < cursor) {
    data.firstVisible = indexAtOffset(toolkit, text, cursor, -(areaWidth / 2));
  }
}

void drawTextField(Toolkit& toolkit, Widget* field, TextFieldData* data) {
  drawFrame(toolkit, field->rect, fieldFrameStyle);
  if (data == nullptr || !data->buffer) return;
  Rect area = field->rect;
  inflateRect(area, -1, -1);
  const std::int32_t areaWidth = std::max(area.w, 0);
  scrollToCursor(toolkit, *data, areaWidth);

  const std::string_view shown =
      editText(data->buffer.get()).substr(static_cast<std::size_t>(data->firstVisible));
  const std::int32_t ink = schemeColour(toolkit, inkColour);
  const std::int32_t n = charsThatFit(toolkit, shown, areaWidth);
  if (n > 0) {
    drawTextAligned(toolkit, area, shown.substr(0, static_cast<std::size_t>(n)),
                    static_cast<std::uint32_t>(ink),
                    static_cast<std::uint32_t>(schemeColour(toolkit, faceColour)), 0);
  }
  if (toolkit.focusWidget != field) return;
  const std::int32_t cursor = editCursor(data->buffer.get());
  const std::int32_t before =
      textWidth(toolkit, shown.substr(0, static_cast<std::size_t>(cursor - data->firstVisible)));
  // At the end of the text the block covers the terminator's cell.
  const std::int32_t under = std::max(editCharAt(data->buffer.get(), cursor), 0);
  fillRect(toolkit, addClamped(area.x, before), area.y, charWidth(toolkit, under),
           charHeight(toolkit, under), ink);
}

EventResult textFieldHandler(Toolkit& toolkit, Widget* field, std::int32_t code,
                             WidgetEvent* event) {
  if (callApplicationCallback(toolkit, field, code, event) == EventResult::consumed)
    return EventResult::passOn;
  TextFieldData* data = fieldData(field);
  switch (code) {
    case create:
      if (data != nullptr) {
        data->buffer = newEditBuffer(fieldBufferSize);
        data->firstVisible = 0;
      }
      return EventResult::consumed;
    case destroy:
      if (data != nullptr) freeEditBuffer(data->buffer);
      return EventResult::consumed;
    case draw:
      drawTextField(toolkit, field, data);
      return EventResult::consumed;
    case keyTyped:
      return typeKey(data != nullptr ? data->buffer.get() : nullptr,
                     event != nullptr ? event->key : 0);
    case press:
      if (toolkit.captureWidget == nullptr) {
        setCapture(toolkit, field);
        if (data != nullptr) placeCursor(toolkit, *data, event);
      }
      return EventResult::consumed;
    case release:
      if (toolkit.captureWidget == field && data != nullptr) placeCursor(toolkit, *data, event);
      releaseCapture(toolkit);
      return EventResult::consumed;
    case mouseMove:
      if (toolkit.captureWidget == field && data != nullptr) placeCursor(toolkit, *data, event);
      return EventResult::consumed;
    default:
      return EventResult::passOn;
  }
}

}  // namespace

Widget* createTextField(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                        std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                        std::uint32_t flags, std::string_view initialText) {
  std::unique_ptr<KindData> data(new (std::nothrow) TextFieldData);
  if (!data) return nullptr;
  Widget* field = createWidget(toolkit, parent, WidgetKind::textField, id, x, y, w, h,
                               std::move(callback), textFieldHandler, std::move(data), flags);
  EditBuffer* buffer = textFieldBuffer(field);
  setEditText(buffer, initialText);
  clearChanged(buffer);
  return field;
}

EditBuffer* textFieldBuffer(Widget* field) {
  TextFieldData* data = fieldData(field);
  return data != nullptr ? data->buffer.get() : nullptr;
}

}  // namespace squish::widgets
