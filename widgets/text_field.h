#pragma once
// The one-line editable text field: an edit buffer edited with a few keys, a cursor placed with
// the mouse, horizontal scrolling that keeps the cursor in view, and a solid block cursor
// while the field has the focus.
#include <cstdint>
#include <memory>
#include <string_view>

#include "widgets/edit_buffer.h"
#include "widgets/toolkit.h"

namespace squish::widgets {

// The field's kind data; its buffer is made by the create event and released with the widget.
struct TextFieldData final : KindData {
  std::unique_ptr<EditBuffer> buffer;  // 1024-byte buffer: at most 1027 characters
  std::int32_t firstVisible = 0;       // index of the first character shown; set while drawing
};

// Creates a text field holding initialText (cut to the buffer) with its changed mark clear.
Widget* createTextField(Toolkit& toolkit, Widget* parent, std::int32_t id, std::int32_t x,
                        std::int32_t y, std::int32_t w, std::int32_t h, WidgetCallback callback,
                        std::uint32_t flags, std::string_view initialText);
// The field's buffer; null for anything else, or when the field got no buffer.
EditBuffer* textFieldBuffer(Widget* field);

}  // namespace squish::widgets
