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
// the installed one); loading may change the screen palette, so the palette is saved before and
// restored after. Without a loadable file the built-in copy of the same sheet is used, so the
// panel always has text.
void loadPanelFont(SettingsPanel& panel, widgets::Toolkit& toolkit) {
  widgets::savePalette(toolkit);
  for (const std::string& fileName : panel.fontFiles) {
    panel.panelFont = widgets::loadFont(toolkit, fontCellWidth, fontCellHeight, fileName);
    if (panel.panelFont) break;
  }
  widgets::restorePalette(toolkit);
  if (!panel.panelFont) panel.panelFont = buildBuiltinFont(toolkit);
}

// ---- Click actions ----

void applySettings(SettingsPanel& panel, widgets::Toolkit& toolkit, sim::SimSettings& settings) {
  for (std::int32_t n = 1; n <= rowCount; ++n) {
    const std::string text = fieldText(toolkit, panel.panelWindow, fieldIdBase + n);
    settings.*row(n).field = scene::roundToFloat32(scene::readNumber(text));
  }
  settings.showAtoms = isChecked(toolkit, panel.panelWindow, showAtomsId);
  settings.showBonds = isChecked(toolkit, panel.panelWindow, showBondsId);
}

void actOnClick(SettingsPanel& panel, widgets::Toolkit& toolkit, sim::SimSettings& settings,
                std::int32_t id) {
  switch (id) {
    case applyId:
      applySettings(panel, toolkit, settings);
      break;
    case closeId:
      widgets::hideWidget(toolkit, panel.panelWindow);
      break;
    case restartId:
      panel.restartRequested = true;
      widgets::hideWidget(toolkit, panel.panelWindow);
      break;
    case quitId:
      panel.quitRequested = true;
      widgets::hideWidget(toolkit, panel.panelWindow);
      break;
    default:
      break;
  }
}

}  // namespace

// ---- Field helpers ----

void setFieldText(widgets::Toolkit& toolkit, widgets::Widget* window, std::int32_t id,
                  std::string_view text) {
  widgets::setEditText(widgets::textFieldBuffer(widgets::findChild(toolkit, window, id)), text);
}

std::string fieldText(widgets::Toolkit& toolkit, widgets::Widget* window, std::int32_t id) {
  return std::string(
      widgets::editText(widgets::textFieldBuffer(widgets::findChild(toolkit, window, id))));
}

void setCheck(widgets::Toolkit& toolkit, widgets::Widget* window, std::int32_t id,
              std::int32_t value) {
  widgets::setCheckBoxTicked(widgets::findChild(toolkit, window, id), value);
}

std::int32_t isChecked(widgets::Toolkit& toolkit, widgets::Widget* window, std::int32_t id) {
  return widgets::checkBoxTicked(widgets::findChild(toolkit, window, id));
}

// ---- Callback ----

// Every action but the click actions may run twice per event (the toolkit offers an event it
// lets through to the callback again from the kind handler), so each is harmless to repeat.
std::int32_t panelCallback(SettingsPanel& panel, sim::SimSettings& settings,
                           widgets::Toolkit& toolkit, widgets::Widget* widget, std::int32_t code,
                           widgets::WidgetEvent* /*event*/) {
  switch (code) {
    case widgets::create:
      if (!panel.panelFont) loadPanelFont(panel, toolkit);
      return 1;
    case widgets::destroy:
      if (panel.panelFont) widgets::freeFont(toolkit, std::move(panel.panelFont));
      return 1;
    case widgets::draw:
      widgets::setCurrentFont(toolkit, panel.panelFont.get());
      return 1;
    case widgets::click:
      actOnClick(panel, toolkit, settings, widgets::widgetId(toolkit, widget));
      return 0;
    default:
      return 1;
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
    setFieldText(toolkit, panel.panelWindow, fieldIdBase + n, valueText(settings.*row(n).field));
  }
  setCheck(toolkit, panel.panelWindow, showAtomsId, settings.showAtoms);
  setCheck(toolkit, panel.panelWindow, showBondsId, settings.showBonds);
  widgets::showWidget(toolkit, panel.panelWindow);
}

void hideSettingsPanel(SettingsPanel& panel, widgets::Toolkit& toolkit) {
  widgets::hideWidget(toolkit, panel.panelWindow);
}

}  // namespace squish::panel
