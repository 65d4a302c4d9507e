// The settings panel driven as a user drives it: Escape, clicks on its buttons and check boxes,
// typing in its fields; and its font, loaded from the working directory or built in.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "panel/settings_panel.h"
#include "tests/panel/panel_harness.h"
#include "tools/glyph_source.h"
#include "tools/sheet_writers.h"
#include "widgets/text_field.h"

namespace squish::panel {
namespace {

using widgets::Rect;

void expectRect(const widgets::Widget* widget, Rect expected) {
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->rect.x, expected.x) << "id " << widget->id;
  EXPECT_EQ(widget->rect.y, expected.y) << "id " << widget->id;
  EXPECT_EQ(widget->rect.w, expected.w) << "id " << widget->id;
  EXPECT_EQ(widget->rect.h, expected.h) << "id " << widget->id;
}

std::array<std::string, rowCount> allFieldTexts(PanelHarness& h) {
  std::array<std::string, rowCount> texts;
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    texts[static_cast<std::size_t>(n - 1)] = fieldText(h.panel.panelWindow, 200 + n);
  }
  return texts;
}

TEST(SettingsPanel, FirstEscapeBuildsTheWindowWithItsWidgetsInPlace) {
  PanelHarness h;
  h.open();
  ASSERT_NE(h.panel.panelWindow, nullptr);
  expectRect(h.panel.panelWindow, {4, 4, 176, 284});
  EXPECT_EQ(h.panel.panelWindow->flags, widgets::visible | widgets::draggable);
  EXPECT_EQ(widgets::focusWidget(h.toolkit), h.panel.panelWindow);

  expectRect(h.child(1), {8, 8, 60, 16});
  expectRect(h.child(2), {72, 8, 60, 16});
  expectRect(h.child(3), {8, 268, 60, 16});
  expectRect(h.child(4), {72, 268, 60, 16});
  expectRect(h.child(5), {8, 248, 60, 16});
  expectRect(h.child(6), {92, 248, 60, 16});
  expectRect(h.child(101), {8, 30, 100, 12});
  expectRect(h.child(201), {112, 30, 60, 12});
  expectRect(h.child(111), {8, 230, 100, 12});
  expectRect(h.child(211), {112, 230, 60, 12});

  // Creation order is stacking order: "Apply" in front, the field of row 11 at the back.
  std::vector<std::int32_t> ids;
  for (const widgets::Widget* w = h.panel.panelWindow->firstChild; w != nullptr;
       w = w->nextSibling) {
    ids.push_back(w->id);
    EXPECT_EQ(w->flags, widgets::visible) << "id " << w->id;
  }
  std::vector<std::int32_t> expected = {1, 2, 3, 4, 5, 6};
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    expected.push_back(100 + n);
    expected.push_back(200 + n);
  }
  EXPECT_EQ(ids, expected);

  const std::array<std::string_view, rowCount> labels = {
      "Atom Size",    "Atom Space",    "Max Speed",     "Y Gravity",
      "X Gravity",    "Rebound Decay", "Deform Factor", "Deform Thresh.",
      "Break Thresh", "Stiffness",     "Bond Thresh."};
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    EXPECT_EQ(widgets::widgetText(h.child(100 + n)), labels[static_cast<std::size_t>(n - 1)]);
  }
  EXPECT_EQ(widgets::widgetText(h.child(1)), "Apply");
  EXPECT_EQ(widgets::widgetText(h.child(6)), "Show Bonds");
}

TEST(SettingsPanel, FieldsShowTheDefaultSettings) {
  PanelHarness h;
  h.open();
  const std::array<std::string, rowCount> expected = {"4",   "10", "5", "-0.004", "0",  "0.99",
                                                      "0.4", "1",  "2", "0.5",    "0.5"};
  EXPECT_EQ(allFieldTexts(h), expected);
  EXPECT_TRUE(isChecked(h.panel.panelWindow, 5));
  EXPECT_TRUE(isChecked(h.panel.panelWindow, 6));
}

TEST(SettingsPanel, ApplyReadsEveryFieldAndTheCheckBoxes) {
  PanelHarness h;
  h.settings.showAtoms = 5;  // any nonzero value means on and is shown ticked
  h.open();
  const std::array<std::string, rowCount> typed = {"&H10", "abc",   " -1e-3", "2.5x", "", "1e39",
                                                   "-7",   "&B101", "&O17",   "0.25", "3"};
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    setFieldText(h.panel.panelWindow, 200 + n, typed[static_cast<std::size_t>(n - 1)]);
  }
  h.clickWidget(6);  // untick "Show Bonds"
  h.clickWidget(1);

  EXPECT_EQ(h.settings.atomSize, 16.0f);
  EXPECT_EQ(h.settings.atomSpace, 0.0f);
  EXPECT_EQ(h.settings.maxSpeed, -0.001f);
  EXPECT_EQ(h.settings.yGravity, 2.5f);
  EXPECT_EQ(h.settings.xGravity, 0.0f);
  EXPECT_TRUE(std::isinf(h.settings.boundDecay));  // out of range is applied as read
  EXPECT_EQ(h.settings.deformFactor, -7.0f);
  EXPECT_EQ(h.settings.deformThreshold, 5.0f);
  EXPECT_EQ(h.settings.breakThreshold, 15.0f);
  EXPECT_EQ(h.settings.stiffness, 0.25f);
  EXPECT_EQ(h.settings.bondThreshold, 3.0f);
  EXPECT_EQ(h.settings.showAtoms, 1);
  EXPECT_EQ(h.settings.showBonds, 0);

  // The panel stays open with the texts as typed.
  EXPECT_TRUE(h.windowVisible());
  EXPECT_EQ(allFieldTexts(h), typed);
  EXPECT_FALSE(h.panel.restartRequested);
  EXPECT_FALSE(h.panel.quitRequested);
}

TEST(SettingsPanel, TypedEditTakesEffectOnApply) {
  PanelHarness h;
  h.open();
  h.clickWidget(203);  // focus the "Max Speed" field
  widgets::dispatchKey(h.toolkit, nullptr, widgets::keyEnd);
  h.typeKeys("\b12.5");
  EXPECT_EQ(fieldText(h.panel.panelWindow, 203), "12.5");
  EXPECT_EQ(h.settings.maxSpeed, 5.0f);
  h.clickWidget(1);
  EXPECT_EQ(h.settings.maxSpeed, 12.5f);
}

TEST(SettingsPanel, EscapeRefreshDiscardsUnappliedEdits) {
  PanelHarness h;
  h.open();
  h.clickWidget(201);
  widgets::dispatchKey(h.toolkit, nullptr, widgets::keyEnd);
  h.typeKeys("7");
  h.clickWidget(5);  // untick "Show Atoms"
  EXPECT_EQ(fieldText(h.panel.panelWindow, 201), "47");
  EXPECT_FALSE(isChecked(h.panel.panelWindow, 5));

  widgets::Widget* window = h.panel.panelWindow;
  h.open();
  EXPECT_EQ(h.panel.panelWindow, window);  // built once
  EXPECT_EQ(fieldText(window, 201), "4");
  EXPECT_TRUE(isChecked(window, 5));
  EXPECT_EQ(widgets::focusWidget(h.toolkit), window);
  EXPECT_EQ(h.settings.atomSize, 4.0f);
  EXPECT_EQ(h.settings.showAtoms, 1);
}

TEST(SettingsPanel, CloseRestartAndQuitHideTheWindowAndRaiseTheirRequests) {
  PanelHarness h;
  h.open();
  h.clickWidget(6);
  h.clickWidget(2);  // "Close" after unticking changes nothing
  EXPECT_FALSE(h.windowVisible());
  EXPECT_EQ(h.settings.showBonds, 1);
  EXPECT_FALSE(h.panel.restartRequested);
  EXPECT_FALSE(h.panel.quitRequested);
  // Hidden widgets keep their state until the next refresh.
  EXPECT_FALSE(isChecked(h.panel.panelWindow, 6));

  h.open();
  EXPECT_TRUE(h.windowVisible());
  EXPECT_TRUE(isChecked(h.panel.panelWindow, 6));
  h.clickWidget(3);
  EXPECT_FALSE(h.windowVisible());
  EXPECT_TRUE(h.panel.restartRequested);
  EXPECT_FALSE(h.panel.quitRequested);

  h.open();
  h.clickWidget(4);
  EXPECT_FALSE(h.windowVisible());
  EXPECT_TRUE(h.panel.quitRequested);

  h.open();
  hideSettingsPanel(h.panel);
  EXPECT_FALSE(h.windowVisible());
}

TEST(SettingsPanel, ClicksOnLabelsFieldsAndTheWindowDoNothing) {
  PanelHarness h;
  h.open();
  setFieldText(h.panel.panelWindow, 201, "99");
  for (std::int32_t id : {101, 201, 111, 211})
    h.clickWidget(id);
  h.click(150, 10);  // the window's face beside "Close"
  EXPECT_TRUE(h.windowVisible());
  EXPECT_EQ(h.settings.atomSize, 4.0f);
  EXPECT_FALSE(h.panel.restartRequested);
  EXPECT_FALSE(h.panel.quitRequested);
}

TEST(SettingsPanel, HelpersIgnoreMissingWidgetsAndWrongKinds) {
  PanelHarness h;
  hideSettingsPanel(h.panel);  // before the panel exists
  EXPECT_EQ(fieldText(nullptr, 201), "");
  EXPECT_FALSE(isChecked(nullptr, 5));
  h.open();
  setFieldText(h.panel.panelWindow, 999, "1");
  setFieldText(h.panel.panelWindow, 101, "1");  // a label, not a field
  setCheck(h.panel.panelWindow, 201, 1);        // a field, not a check box
  EXPECT_EQ(fieldText(h.panel.panelWindow, 101), "");
  EXPECT_EQ(fieldText(h.panel.panelWindow, 201), "4");
  EXPECT_FALSE(isChecked(h.panel.panelWindow, 201));
  setCheck(h.panel.panelWindow, 5, -1);
  EXPECT_TRUE(isChecked(h.panel.panelWindow, 5));
  setCheck(h.panel.panelWindow, 5, 0);
  EXPECT_FALSE(isChecked(h.panel.panelWindow, 5));
}

// ---- Font ----

tools::FontSheet committedGlyphs() {
  std::ifstream in(SQUISH_SOURCE_DIR "/assets/6x8-glyphs.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const tools::GlyphSourceResult parsed = tools::parseGlyphSource(text);
  EXPECT_TRUE(parsed.ok) << parsed.error;
  return parsed.sheet;
}

// Compares the 6 × 8 cell at (x, y) of the work page with glyph `code` of the sheet: ink
// pixels in ink, the rest in the face colour.
void expectGlyphAt(const PanelHarness& h, std::int32_t x, std::int32_t y,
                   const tools::FontSheet& sheet, std::int32_t code, std::uint8_t ink,
                   std::uint8_t face) {
  for (std::int32_t gy = 0; gy < 8; ++gy) {
    for (std::int32_t gx = 0; gx < 6; ++gx) {
      const std::int32_t sx = (code % 16) * 6 + gx;
      const std::int32_t sy = (code / 16) * 8 + gy;
      const bool inked = sheet.pixels[static_cast<std::size_t>(sy * 96 + sx)] != 0;
      EXPECT_EQ(h.pixel(x + gx, y + gy), inked ? ink : face) << "at " << gx << "," << gy;
    }
  }
}

constexpr std::uint8_t inkColour = 0;
constexpr std::uint8_t faceColour = 7;

TEST(SettingsPanelFont, BuiltInSheetIsUsedWhenTheFontFileIsMissing) {
  PanelHarness h;
  ASSERT_FALSE(std::filesystem::exists("6x8.bmp"));
  h.open();
  ASSERT_NE(h.panel.panelFont, nullptr);
  h.drawOnClearPage();
  // "Apply" is centred in the button at (8, 8): 30 pixels wide, so it starts at (23, 12).
  const tools::FontSheet sheet = committedGlyphs();
  expectGlyphAt(h, 23, 12, sheet, 'A', inkColour, faceColour);
  expectGlyphAt(h, 29, 12, sheet, 'p', inkColour, faceColour);
  EXPECT_EQ(widgets::currentFont(h.toolkit), h.panel.panelFont.get());
}

TEST(SettingsPanelFont, FontFileInTheWorkingDirectoryIsPreferredAndLeavesItsColoursOut) {
  PanelHarness h;
  // A sheet whose "A" is a solid cell, unlike the built-in one.
  std::string source = "== 65\n";
  for (int row = 0; row < 8; ++row)
    source += "######\n";
  const tools::GlyphSourceResult parsed = tools::parseGlyphSource(source);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const std::vector<std::uint8_t> bmp = tools::encodeSheetBmp(parsed.sheet);
  std::ofstream("6x8.bmp", std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  // A colour between the screen's 6-bit levels, as a BITMAP image may bring: (100, 100, 100).
  h.screen.palette[40] = 0x646464;
  auto expectedPalette = h.screen.palette;
  expectedPalette[40] = 0x656565;

  h.open();
  h.drawOnClearPage();
  expectGlyphAt(h, 23, 12, parsed.sheet, 'A', inkColour, faceColour);
  expectGlyphAt(h, 29, 12, parsed.sheet, 'p', inkColour, faceColour);  // blank in this sheet
  // The file's colour table is not used; the palette comes back at 6-bit levels.
  EXPECT_EQ(h.screen.palette, expectedPalette);
}

// Writes a sheet whose glyph `code` is a solid cell, unlike the built-in one, as a BMP file.
tools::FontSheet writeSolidGlyphSheet(const std::filesystem::path& file, std::int32_t code) {
  std::string source = "== " + std::to_string(code) + "\n";
  for (int row = 0; row < 8; ++row)
    source += "######\n";
  const tools::GlyphSourceResult parsed = tools::parseGlyphSource(source);
  EXPECT_TRUE(parsed.ok) << parsed.error;
  const std::vector<std::uint8_t> bmp = tools::encodeSheetBmp(parsed.sheet);
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  return parsed.sheet;
}

// An installed squish finds its sheet in the data folder when the working directory has none,
// and the working directory's still wins when both have one.
TEST(SettingsPanelFont, FontFilesAreTriedInOrderBeforeTheBuiltInSheet) {
  const tools::FontSheet builtIn = committedGlyphs();
  {
    PanelHarness h;
    std::filesystem::create_directory("data");
    const tools::FontSheet installed = writeSolidGlyphSheet("data/6x8.bmp", 'A');
    h.panel.fontFiles = {"6x8.bmp", "data/6x8.bmp"};
    h.open();
    h.drawOnClearPage();
    expectGlyphAt(h, 23, 12, installed, 'A', inkColour, faceColour);
  }
  {
    PanelHarness h;
    std::filesystem::create_directory("data");
    writeSolidGlyphSheet("data/6x8.bmp", 'A');
    const tools::FontSheet local = writeSolidGlyphSheet("6x8.bmp", 'p');
    h.panel.fontFiles = {"6x8.bmp", "data/6x8.bmp"};
    h.open();
    h.drawOnClearPage();
    expectGlyphAt(h, 29, 12, local, 'p', inkColour, faceColour);
    expectGlyphAt(h, 23, 12, local, 'A', inkColour, faceColour);  // blank in this sheet
  }
  {
    PanelHarness h;
    h.panel.fontFiles = {"6x8.bmp", "data/6x8.bmp"};
    h.open();
    h.drawOnClearPage();
    expectGlyphAt(h, 23, 12, builtIn, 'A', inkColour, faceColour);
  }
}

TEST(SettingsPanelFont, DestroyingThePanelFreesItsFont) {
  PanelHarness h;
  h.open();
  h.drawOnClearPage();
  ASSERT_NE(widgets::currentFont(h.toolkit), nullptr);
  widgets::destroyWidget(h.toolkit, h.panel.panelWindow);
  h.panel.panelWindow = nullptr;
  EXPECT_EQ(h.panel.panelFont, nullptr);
  EXPECT_EQ(widgets::currentFont(h.toolkit), nullptr);
}

}  // namespace
}  // namespace squish::panel
