// The settings panel: its widget table, the callback that loads the font and acts on the
// buttons, and the helpers that move values between the fields and SimSettings.
//
// Sections: rows and geometry; font; click actions; field helpers; callback; building and
// showing.
#include "panel/settings_panel.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "assets/builtin_font.h"
#include "panel/value_text.h"
#include "scene/number_reader.h"
#include "widgets/dispatch.h"
#include "widgets/edit_buffer.h"
#include "widgets/text_field.h"
#include "widgets/widget_kinds.h"
#include "widgets/widget_tree.h"

namespace squish::panel {
namespace {

// ---- Rows and geometry ----

constexpr std::int32_t windowX = 4;
constexpr std::int32_t windowY = 4;
constexpr std::int32_t windowW = 176;
constexpr std::int32_t windowH = 284;
constexpr std::int32_t buttonW = 60;
constexpr std::int32_t buttonH = 16;
constexpr std::int32_t labelX = 4;
constexpr std::int32_t labelW = 100;
constexpr std::int32_t fieldX = 108;
constexpr std::int32_t fieldW = 60;
constexpr std::int32_t rowH = 12;

// Rows are 20 pixels apart, the first at y 26 within the window.
constexpr std::int32_t rowY(std::int32_t n) {
  return 20 * n + 6;
}

// Row n of the panel is the n-th physics setting.
const sim::PhysicsSetting& row(std::int32_t n) {
  return sim::physicsSettings[static_cast<std::size_t>(n - 1)];
}

// ---- Font ----

constexpr std::int32_t fontCellWidth = 6;
constexpr std::int32_t fontCellHeight = 8;

std::unique_ptr<widgets::BitmapFont> buildBuiltinFont(widgets::Toolkit& toolkit) {
  // buildFont reads a mutable image block; the built-in sheet is constant.
  const std::span<const std::uint8_t> sheet = assets::builtinFontSheet();
  std::vector<std::uint8_t> copy(sheet.begin(), sheet.end());
  return widgets::buildFont(toolkit, fontCellWidth, fontCellHeight, copy);
}

// The first of the panel's font files that loads ("6x8.bmp" from the working directory, then
// the installed one). Without a loadable file the built-in copy of the same sheet is used, so
// the panel always has text.
void loadPanelFont(SettingsPanel& panel, widgets::Toolkit& toolkit) {
  for (const std::string& fileName : panel.fontFiles) {
    panel.panelFont = widgets::loadFont(toolkit, fontCellWidth, fontCellHeight, fileName);
    if (panel.panelFont) return;
  }
  panel.panelFont = buildBuiltinFont(toolkit);
}

// When the panel gets its font it also passes the palette through the toolkit's saved copy,
// which keeps 6-bit levels: every colour comes back as its 6-bit level widened again. The
// default palette's colours come back unchanged; a BITMAP image's (100, 100, 100) shows as
// (101, 101, 101) from then on, in the window and in every picture taken.
void settlePaletteToSixBits(widgets::Toolkit& toolkit) {
  widgets::savePalette(toolkit);
  widgets::restorePalette(toolkit);
}

// ---- Click actions ----

void applySettings(SettingsPanel& panel, sim::SimSettings& settings) {
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    const std::string text = fieldText(panel.panelWindow, fieldIdBase + n);
    settings.*row(n).field = scene::roundToFloat32(scene::readNumber(text));
  }
  settings.showAtoms = isChecked(panel.panelWindow, showAtomsId);
  settings.showBonds = isChecked(panel.panelWindow, showBondsId);
}

void actOnClick(SettingsPanel& panel, sim::SimSettings& settings, std::int32_t id) {
  switch (id) {
    case applyId:
      applySettings(panel, settings);
      break;
    case closeId:
      widgets::hideWidget(panel.panelWindow);
      break;
    case restartId:
      panel.restartRequested = true;
      widgets::hideWidget(panel.panelWindow);
      break;
    case quitId:
      panel.quitRequested = true;
      widgets::hideWidget(panel.panelWindow);
      break;
    default:
      break;
  }
}

}  // namespace

// ---- Field helpers ----

void setFieldText(widgets::Widget* window, std::int32_t id, std::string_view text) {
  widgets::setEditText(widgets::textFieldBuffer(widgets::findChild(window, id)), text);
}

std::string fieldText(widgets::Widget* window, std::int32_t id) {
  return std::string(widgets::editText(widgets::textFieldBuffer(widgets::findChild(window, id))));
}

void setCheck(widgets::Widget* window, std::int32_t id, std::int32_t value) {
  widgets::setCheckBoxTicked(widgets::findChild(window, id), value != 0);
}

bool isChecked(widgets::Widget* window, std::int32_t id) {
  return widgets::checkBoxTicked(widgets::findChild(window, id));
}

// ---- Callback ----

// Every action but the click actions may run twice per event (see WidgetCallback), so each is
// harmless to repeat.
widgets::EventResult panelCallback(SettingsPanel& panel, sim::SimSettings& settings,
                                   widgets::Toolkit& toolkit, widgets::Widget* widget,
                                   std::int32_t code, widgets::WidgetEvent* /*event*/) {
  switch (code) {
    case widgets::create:
      if (!panel.panelFont) {
        loadPanelFont(panel, toolkit);
        settlePaletteToSixBits(toolkit);
      }
      return widgets::EventResult::passOn;
    case widgets::destroy:
      if (panel.panelFont) widgets::freeFont(toolkit, std::move(panel.panelFont));
      return widgets::EventResult::passOn;
    case widgets::draw:
      widgets::setCurrentFont(toolkit, panel.panelFont.get());
      return widgets::EventResult::passOn;
    case widgets::click:
      actOnClick(panel, settings, widgets::widgetId(widget));
      return widgets::EventResult::consumed;
    default:
      return widgets::EventResult::passOn;
  }
}

widgets::WidgetCallback panelCallbackFor(SettingsPanel& panel, sim::SimSettings& settings) {
  return [&panel, &settings](widgets::Toolkit& toolkit, widgets::Widget* widget, std::int32_t code,
                             widgets::WidgetEvent* event) {
    return panelCallback(panel, settings, toolkit, widget, code, event);
  };
}

// ---- Building and showing ----

void addSettingsRow(SettingsPanel& panel, widgets::Toolkit& toolkit, sim::SimSettings& settings,
                    widgets::Widget* window, std::int32_t n, std::string_view label) {
  const widgets::WidgetCallback callback = panelCallbackFor(panel, settings);
  widgets::createLabel(toolkit, window, labelIdBase + n, labelX, rowY(n), labelW, rowH, callback,
                       widgets::visible, label);
  widgets::createTextField(toolkit, window, fieldIdBase + n, fieldX, rowY(n), fieldW, rowH,
                           callback, widgets::visible, "");
}

widgets::Widget* buildSettingsPanel(SettingsPanel& panel, widgets::Toolkit& toolkit,
                                    sim::SimSettings& settings) {
  const widgets::WidgetCallback callback = panelCallbackFor(panel, settings);
  widgets::Widget* window =
      widgets::createWindow(toolkit, nullptr, windowId, windowX, windowY, windowW, windowH,
                            callback, widgets::visible | widgets::draggable);
  if (window == nullptr) return nullptr;
  widgets::createButton(toolkit, window, applyId, 4, 4, buttonW, buttonH, callback,
                        widgets::visible, "Apply");
  widgets::createButton(toolkit, window, closeId, 68, 4, buttonW, buttonH, callback,
                        widgets::visible, "Close");
  widgets::createButton(toolkit, window, restartId, 4, 264, buttonW, buttonH, callback,
                        widgets::visible, "Restart");
  widgets::createButton(toolkit, window, quitId, 68, 264, buttonW, buttonH, callback,
                        widgets::visible, "Quit");
  widgets::createCheckBox(toolkit, window, showAtomsId, 4, 244, buttonW, buttonH, callback,
                          widgets::visible, "Show Atoms");
  widgets::createCheckBox(toolkit, window, showBondsId, 88, 244, buttonW, buttonH, callback,
                          widgets::visible, "Show Bonds");
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    addSettingsRow(panel, toolkit, settings, window, n, row(n).label);
  }
  return window;
}

void showSettingsPanel(SettingsPanel& panel, widgets::Toolkit& toolkit,
                       sim::SimSettings& settings) {
  if (panel.panelWindow == nullptr) {
    panel.panelWindow = buildSettingsPanel(panel, toolkit, settings);
    if (panel.panelWindow == nullptr) return;
  }
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    setFieldText(panel.panelWindow, fieldIdBase + n, valueText(settings.*row(n).field));
  }
  setCheck(panel.panelWindow, showAtomsId, settings.showAtoms);
  setCheck(panel.panelWindow, showBondsId, settings.showBonds);
  widgets::showWidget(toolkit, panel.panelWindow);
}

void hideSettingsPanel(SettingsPanel& panel) {
  widgets::hideWidget(panel.panelWindow);
}

}  // namespace squish::panel
