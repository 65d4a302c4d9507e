// The edit buffer and the text field: editing at the cursor within the capacity, the keys a
// field consumes, scrolling to keep the cursor in view, cursor placement with the mouse, and
// the block cursor.
#include <string>

#include "tests/widgets/widget_fixture.h"
#include "widgets/dispatch.h"
#include "widgets/edit_buffer.h"
#include "widgets/text_field.h"
#include "widgets/widget_tree.h"

namespace squish::widgets::testing {
namespace {

using TextFieldTest = WidgetFixture;

// The index of the field's first shown character, from its kind data.
std::int32_t firstVisible(const Widget* field) {
  return dynamic_cast<const TextFieldData&>(*widgetExtra(field)).firstVisible;
}

TEST(EditBufferTest, EditsAtTheCursorKeepTheTextTerminatedAndWithinCapacity) {
  std::unique_ptr<EditBuffer> buffer = newEditBuffer(6);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->capacity, 8);
  EXPECT_EQ(newEditBuffer(1024)->capacity, 1028);
  EXPECT_EQ(newEditBuffer(-5), nullptr);

  EditBuffer* b = buffer.get();
  EXPECT_EQ(setEditText(b, "abcdefghij"), 7);
  EXPECT_EQ(editText(b), "abcdefg");
  EXPECT_EQ(editChars(b)[7], '\0');
  EXPECT_EQ(takeChanged(b), 1u);
  EXPECT_EQ(takeChanged(b), 0u);
  insertChar(b, 'z');
  EXPECT_EQ(editLength(b), 7);
  EXPECT_EQ(takeChanged(b), 0u);

  setCursor(b, 2);
  deleteBefore(b);
  EXPECT_EQ(editText(b), "acdefg");
  EXPECT_EQ(editCursor(b), 1);
  deleteAt(b);
  EXPECT_EQ(editText(b), "adefg");
  insertChar(b, 'Q');
  EXPECT_EQ(editText(b), "aQdefg");
  EXPECT_EQ(editCursor(b), 2);
  EXPECT_EQ(editChars(b)[6], '\0');

  EXPECT_EQ(setCursor(b, -4), 0);
  deleteBefore(b);
  EXPECT_EQ(setCursor(b, 99), 6);
  deleteAt(b);
  EXPECT_EQ(editText(b), "aQdefg");

  // setEditText keeps the cursor when the text still reaches it, else moves it to the end.
  setCursor(b, 3);
  setEditText(b, "12345");
  EXPECT_EQ(editCursor(b), 3);
  setEditText(b, "1");
  EXPECT_EQ(editCursor(b), 1);
  EXPECT_EQ(setEditText(b, ""), 0);
  EXPECT_EQ(editCursor(b), 0);
  EXPECT_EQ(editChars(b)[0], '\0');

  setEditText(b, "hello");
  char small[3];
  EXPECT_EQ(copyEditText(b, small, 3), 2);
  EXPECT_STREQ(small, "he");
  EXPECT_EQ(copyEditText(b, nullptr, 10), 5);
  EXPECT_EQ(editCharAt(b, 4), 'o');
  EXPECT_EQ(editCharAt(b, 5), -1);
  EXPECT_EQ(editCharAt(b, -1), -1);
  setEditCharAt(b, 0, 'j');
  setEditCharAt(b, 5, 'x');
  EXPECT_EQ(editText(b), "jello");

  EXPECT_EQ(setCursor(nullptr, 1), -1);
  EXPECT_EQ(editLength(nullptr), 0);
  EXPECT_EQ(editChars(nullptr), nullptr);
  insertChar(nullptr, 'a');
}

TEST_F(TextFieldTest, TypingScrollsTheTextToKeepTheCursorInView) {
  useTestFont();
  Widget* field = createTextField(toolkit, nullptr, 201, 108, 30, 60, 12, nullptr, visible, "");
  activateWidget(toolkit, field);
  EditBuffer* buffer = textFieldBuffer(field);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->capacity, 1028);
  for (const char c : std::string("012345678"))
    EXPECT_EQ(dispatchKey(toolkit, nullptr, c), EventResult::consumed);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(firstVisible(field), 0);
  dispatchKey(toolkit, nullptr, '9');
  EXPECT_EQ(firstVisible(field), 0);  // scrolling happens while drawing
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(firstVisible(field), 6);
  EXPECT_EQ(editCursor(buffer), 10);

  for (int i = 0; i < 4; ++i)
    dispatchKey(toolkit, nullptr, keyLeft);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(firstVisible(field), 6);
  dispatchKey(toolkit, nullptr, keyLeft);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(editCursor(buffer), 5);
  EXPECT_EQ(firstVisible(field), 1);

  // From firstVisible 1 the end of the text is still in view.
  dispatchKey(toolkit, nullptr, keyEnd);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(firstVisible(field), 1);
  dispatchKey(toolkit, nullptr, keyHome);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(firstVisible(field), 0);
  dispatchKey(toolkit, nullptr, keyRight);
  EXPECT_EQ(editCursor(buffer), 1);
}

TEST_F(TextFieldTest, EditingKeysAreConsumedEvenWhenTheyChangeNothing) {
  Widget* field = createTextField(toolkit, nullptr, 1, 10, 10, 60, 12, nullptr, visible, "ab");
  activateWidget(toolkit, field);
  EditBuffer* buffer = textFieldBuffer(field);
  EXPECT_EQ(takeChanged(buffer), 0u);
  EXPECT_EQ(dispatchKey(toolkit, nullptr, keyBackspace), EventResult::consumed);
  EXPECT_EQ(dispatchKey(toolkit, nullptr, keyLeft), EventResult::consumed);
  EXPECT_EQ(editText(buffer), "ab");
  EXPECT_EQ(takeChanged(buffer), 0u);
  dispatchKey(toolkit, nullptr, keyEnd);
  EXPECT_EQ(dispatchKey(toolkit, nullptr, keyDelete), EventResult::consumed);
  EXPECT_EQ(dispatchKey(toolkit, nullptr, keyRight), EventResult::consumed);
  EXPECT_EQ(editText(buffer), "ab");
  EXPECT_EQ(dispatchKey(toolkit, nullptr, ' '), EventResult::consumed);
  EXPECT_EQ(editText(buffer), "ab ");
  dispatchKey(toolkit, nullptr, keyHome);
  dispatchKey(toolkit, nullptr, keyDelete);
  EXPECT_EQ(editText(buffer), "b ");
  for (const KeyCode other : {13, 9, 27, 0x48FF, 0x50FF, 127, 31, 0}) {
    EXPECT_EQ(dispatchKey(toolkit, nullptr, other), EventResult::passOn) << other;
  }
  EXPECT_EQ(editText(buffer), "b ");
}

TEST_F(TextFieldTest, TextBeyondTheBufferIsDropped) {
  Widget* field = createTextField(toolkit, nullptr, 1, 10, 10, 60, 12, nullptr, visible,
                                  std::string(2000, 'x'));
  EditBuffer* buffer = textFieldBuffer(field);
  EXPECT_EQ(editLength(buffer), 1027);
  setEditText(buffer, "");
  activateWidget(toolkit, field);
  for (int i = 0; i < 1030; ++i)
    EXPECT_EQ(dispatchKey(toolkit, nullptr, 'y'), EventResult::consumed);
  EXPECT_EQ(editLength(buffer), 1027);
  EXPECT_EQ(editChars(buffer)[1027], '\0');
  useTestFont();
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(firstVisible(field), 1027 - 4);
}

TEST_F(TextFieldTest, APressPlacesTheCursorAndDraggingMovesIt) {
  useTestFont();
  Widget* field = createTextField(toolkit, nullptr, 1, 100, 100, 60, 12, nullptr, visible, "abcd");
  EditBuffer* buffer = textFieldBuffer(field);
  dispatchMouse(toolkit, nullptr, 106, 105, 0, 1);
  EXPECT_EQ(editCursor(buffer), 0);
  EXPECT_EQ(captureWidget(toolkit), field);
  EXPECT_EQ(focusWidget(toolkit), field);
  dispatchMouse(toolkit, nullptr, 107, 105, 0, 1);
  EXPECT_EQ(editCursor(buffer), 1);
  dispatchMouse(toolkit, nullptr, 200, 105, 0, 1);
  EXPECT_EQ(editCursor(buffer), 4);
  dispatchMouse(toolkit, nullptr, 107, 105, 0, 0);
  EXPECT_EQ(editCursor(buffer), 1);
  EXPECT_EQ(captureWidget(toolkit), nullptr);

  // Without a font every character is 0 wide: a press puts the cursor at the end.
  setCurrentFont(toolkit, nullptr);
  setCursor(buffer, 0);
  dispatchMouse(toolkit, nullptr, 107, 105, 0, 1);
  EXPECT_EQ(editCursor(buffer), 4);
  dispatchMouse(toolkit, nullptr, 107, 105, 0, 0);
}

TEST_F(TextFieldTest, TheBlockCursorShowsOnlyWhileTheFieldHasTheFocus) {
  useTestFont();
  Widget* field = createTextField(toolkit, nullptr, 1, 20, 20, 60, 12, nullptr, visible, "ab");
  setCursor(textFieldBuffer(field), 2);
  drawWidgets(toolkit, nullptr);
  // Text area (21, 21); "a" and "b" ink at their cells' (1, 2); no cursor yet.
  EXPECT_EQ(pixel(22, 23), 0);
  EXPECT_EQ(pixel(28, 23), 0);
  EXPECT_EQ(pixel(33, 21), 7);
  EXPECT_EQ(pixel(20, 20), 7);   // the field itself is filled with the face colour
  EXPECT_EQ(pixel(16, 16), 15);  // its thick frame lies outside it

  activateWidget(toolkit, field);
  drawWidgets(toolkit, nullptr);
  for (std::int32_t y = 21; y < 29; ++y) {
    for (std::int32_t x = 33; x < 39; ++x)
      ASSERT_EQ(pixel(x, y), 0) << x << "," << y;
  }
  EXPECT_EQ(pixel(39, 21), 7);
  EXPECT_EQ(pixel(32, 21), 7);
}

TEST_F(TextFieldTest, AnApplicationThatConsumesCreateLeavesTheFieldWithoutABuffer) {
  auto refuseCreate = [](Toolkit&, Widget*, std::int32_t code, WidgetEvent*) {
    return code == create ? EventResult::consumed : EventResult::passOn;
  };
  Widget* field = createTextField(toolkit, nullptr, 1, 10, 10, 60, 12, refuseCreate, visible, "a");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(textFieldBuffer(field), nullptr);
  activateWidget(toolkit, field);
  useTestFont();
  EXPECT_EQ(dispatchKey(toolkit, nullptr, 'a'), EventResult::consumed);
  dispatchMouse(toolkit, nullptr, 12, 12, 0, 1);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(pixel(10, 10), 7);
}

}  // namespace
}  // namespace squish::widgets::testing
