// How the kinds draw: exact pixels of frames, bevels, check marks and the pressed button, and
// the drawing order of the tree.
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "widgets/dispatch.h"
#include "widgets/frame_drawing.h"
#include "widgets/widget_kinds.h"
#include "widgets/widget_tree.h"

namespace squish::widgets::testing {
namespace {

using DrawingTest = WidgetFixture;

TEST_F(DrawingTest, AWindowDrawsARaisedBevelFilledWithTheFaceColour) {
  fillPage(3);
  createWindow(toolkit, nullptr, 0, 4, 4, 176, 284, nullptr, visible);
  drawWidgets(toolkit, nullptr);
  for (std::int32_t y = 0; y < 300; ++y) {
    for (std::int32_t x = 0; x < 190; ++x) {
      std::uint8_t expected = 3;
      if (x >= 4 && x <= 179 && y >= 4 && y <= 287) expected = 7;
      if ((y == 4 && x >= 4 && x <= 178) || (x == 4 && y >= 4 && y <= 286)) expected = 15;
      if ((y == 287 && x >= 4 && x <= 179) || (x == 179 && y >= 4 && y <= 286)) expected = 0;
      ASSERT_EQ(pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(DrawingTest, AnOutsetFrameGrowsByItsBorderWidth) {
  fillPage(3);
  drawFrame(toolkit, Rect{10, 10, 20, 20}, frameRaised | frameOutset);
  EXPECT_EQ(pixel(9, 9), 15);
  EXPECT_EQ(pixel(29, 9), 15);
  EXPECT_EQ(pixel(30, 9), 0);
  EXPECT_EQ(pixel(9, 30), 0);
  EXPECT_EQ(pixel(30, 30), 0);
  EXPECT_EQ(pixel(10, 10), 3);  // no fill
  EXPECT_EQ(pixel(8, 8), 3);

  // The thick text-field frame: bevel, two face outlines, sunken bevel, all outside the rect,
  // which is filled with the face colour.
  fillPage(3);
  drawFrame(toolkit, Rect{100, 100, 10, 10}, frameThick | frameFill | frameOutset);
  EXPECT_EQ(pixel(96, 96), 15);
  EXPECT_EQ(pixel(97, 97), 7);
  EXPECT_EQ(pixel(98, 98), 7);
  EXPECT_EQ(pixel(99, 99), 0);
  EXPECT_EQ(pixel(110, 110), 15);
  EXPECT_EQ(pixel(113, 113), 0);
  EXPECT_EQ(pixel(100, 100), 7);
  EXPECT_EQ(pixel(95, 95), 3);

  // Sizes below 1 draw nothing at all.
  fillPage(3);
  fillRect(toolkit, 50, 50, 0, 5, 9);
  drawRectOutline(toolkit, 50, 50, 5, -2, 9);
  drawHLine(toolkit, 50, 50, 0, 9);
  EXPECT_EQ(pixel(49, 50), 3);
  EXPECT_EQ(pixel(50, 50), 3);
}

TEST_F(DrawingTest, ACheckBoxDrawsItsSquareCentredVerticallyAndCrossedWhenTicked) {
  fillPage(3);
  Widget* box = createCheckBox(toolkit, nullptr, 5, 8, 248, 60, 16, nullptr, visible, "");
  drawWidgets(toolkit, nullptr);
  for (std::int32_t y = 246; y < 266; ++y) {
    for (std::int32_t x = 6; x < 22; ++x) {
      const bool edge = (x == 8 || x == 18) ? (y >= 250 && y <= 260)
                                            : (x > 8 && x < 18 && (y == 250 || y == 260));
      ASSERT_EQ(pixel(x, y), edge ? 0 : 3) << x << "," << y;
    }
  }
  setCheckBoxTicked(box, true);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(pixel(9, 251), 0);
  EXPECT_EQ(pixel(17, 259), 0);
  EXPECT_EQ(pixel(9, 259), 0);
  EXPECT_EQ(pixel(17, 251), 0);
  EXPECT_EQ(pixel(13, 255), 0);
  EXPECT_EQ(pixel(12, 255), 3);
}

TEST_F(DrawingTest, AHeldButtonIsSunkenWithItsCaptionOnePixelDownAndRight) {
  useTestFont();
  createButton(toolkit, nullptr, 1, 8, 8, 60, 16, nullptr, visible, "I");
  // "I" is 6 wide: centred at (35, 12); its ink pixel sits at (1, 2) of the cell.
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(pixel(8, 8), 15);
  EXPECT_EQ(pixel(67, 23), 0);
  EXPECT_EQ(pixel(36, 14), 0);
  EXPECT_EQ(pixel(37, 15), 7);

  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(pixel(8, 8), 0);
  EXPECT_EQ(pixel(67, 23), 15);
  EXPECT_EQ(pixel(36, 14), 7);
  EXPECT_EQ(pixel(37, 15), 0);

  dispatchMouse(toolkit, nullptr, 20, 15, 0, 0);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(pixel(8, 8), 15);
  EXPECT_EQ(pixel(36, 14), 0);
}

TEST_F(DrawingTest, KeepRaisedButtonsIgnoreThePressedLook) {
  Widget* button = createButton(toolkit, nullptr, 1, 8, 8, 60, 16, nullptr, visible, "");
  setKeepRaised(button);
  dispatchMouse(toolkit, nullptr, 20, 15, 0, 1);
  drawWidgets(toolkit, nullptr);
  EXPECT_NE(button->flags & pressed, 0u);
  EXPECT_EQ(pixel(8, 8), 15);
  clearKeepRaised(button);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(pixel(8, 8), 0);
}

TEST_F(DrawingTest, ParentsDrawBeforeChildrenAndSiblingsBackToFront) {
  std::vector<std::int32_t> drawn;
  auto callback = [&](Toolkit&, Widget* w, std::int32_t code, WidgetEvent*) {
    if (code == draw) drawn.push_back(w->id);
    return EventResult::passOn;
  };
  Widget* top = createWidget(toolkit, nullptr, WidgetKind::window, 1, 0, 0, 9, 9, callback, nullptr,
                             nullptr, visible);
  createWidget(toolkit, top, WidgetKind::label, 2, 0, 0, 9, 9, callback, nullptr, nullptr, visible);
  Widget* b = createWidget(toolkit, top, WidgetKind::label, 3, 0, 0, 9, 9, callback, nullptr,
                           nullptr, visible);
  createWidget(toolkit, b, WidgetKind::label, 4, 0, 0, 9, 9, callback, nullptr, nullptr, visible);
  createWidget(toolkit, top, WidgetKind::label, 5, 0, 0, 9, 9, callback, nullptr, nullptr, 0);
  createWidget(toolkit, nullptr, WidgetKind::window, 6, 0, 0, 9, 9, callback, nullptr, nullptr,
               visible);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(drawn, (std::vector<std::int32_t>{6, 1, 3, 4, 2}));

  drawn.clear();
  drawWidgets(toolkit, b);
  EXPECT_EQ(drawn, (std::vector<std::int32_t>{3, 4}));
  drawn.clear();
  hideWidget(top);
  drawWidgets(toolkit, nullptr);
  EXPECT_EQ(drawn, (std::vector<std::int32_t>{6}));
}

}  // namespace
}  // namespace squish::widgets::testing
