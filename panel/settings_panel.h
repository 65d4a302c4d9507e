#pragma once
// The settings panel: a draggable window, opened with Escape, with a text field for each of the
// eleven physics values, check boxes for the two display flags, and the buttons "Apply",
// "Close", "Restart" and "Quit". Built once with the widget toolkit and never destroyed.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/settings.h"
#include "widgets/font.h"
#include "widgets/toolkit.h"

namespace squish::panel {

// Widget ids of the panel; row n (1..11) has the label labelIdBase + n and the field
// fieldIdBase + n.
inline constexpr std::int32_t windowId = 0;
inline constexpr std::int32_t applyId = 1;
inline constexpr std::int32_t closeId = 2;
inline constexpr std::int32_t restartId = 3;
inline constexpr std::int32_t quitId = 4;
inline constexpr std::int32_t showAtomsId = 5;
inline constexpr std::int32_t showBondsId = 6;
inline constexpr std::int32_t labelIdBase = 100;
inline constexpr std::int32_t fieldIdBase = 200;
inline constexpr auto rowCount = static_cast<std::int32_t>(sim::physicsSettings.size());

// The panel's state, owned by the program's entry point next to the toolkit and the settings.
// The frame loop tests the two request flags and clears them at each scene start.
struct SettingsPanel {
  widgets::Widget* panelWindow = nullptr;  // made by the first showSettingsPanel
  std::unique_ptr<widgets::BitmapFont> panelFont;
  bool quitRequested = false;
  bool restartRequested = false;
  // The font sheet files tried in order before the built-in copy; the programs add the
  // installed data folder's sheet after the working directory's.
  std::vector<std::string> fontFiles{"6x8.bmp"};
};

// Builds the panel on first use, refills every field and check box from the settings (so
// unapplied edits are dropped), then shows the window in front with the keyboard focus.
void showSettingsPanel(SettingsPanel& panel, widgets::Toolkit& toolkit, sim::SimSettings& settings);
// Hides the window when it exists.
void hideSettingsPanel(SettingsPanel& panel);

// The application callback of every panel widget. Loads the font at the first create event,
// makes it current at every draw event, frees it at a destroy event, and acts on clicks on the
// four buttons. Consumes click and lets everything else pass on.
widgets::EventResult panelCallback(SettingsPanel& panel, sim::SimSettings& settings,
                                   widgets::Toolkit& toolkit, widgets::Widget* widget,
                                   std::int32_t code, widgets::WidgetEvent* event);
// panelCallback bound to this panel and these settings; both must outlive the widgets.
widgets::WidgetCallback panelCallbackFor(SettingsPanel& panel, sim::SimSettings& settings);

// Creates the window at (4, 4), the four buttons, the two check boxes and the eleven rows, in
// that order, every new child going behind the earlier ones. Null when the window cannot be
// made.
widgets::Widget* buildSettingsPanel(SettingsPanel& panel, widgets::Toolkit& toolkit,
                                    sim::SimSettings& settings);
// Creates the label and then the (empty) text field of row n.
void addSettingsRow(SettingsPanel& panel, widgets::Toolkit& toolkit, sim::SimSettings& settings,
                    widgets::Widget* window, std::int32_t n, std::string_view label);

// Field and check box helpers; each looks the widget up among the window's direct children and
// does nothing (or gives "" or 0) when there is no such widget of the right kind.
void setFieldText(widgets::Widget* window, std::int32_t id, std::string_view text);
std::string fieldText(widgets::Widget* window, std::int32_t id);
// The box becomes ticked when value is nonzero, else unticked.
void setCheck(widgets::Widget* window, std::int32_t id, std::int32_t value);
bool isChecked(widgets::Widget* window, std::int32_t id);

}  // namespace squish::panel
