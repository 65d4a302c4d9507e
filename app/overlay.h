#pragma once
// Text over the picture, in the built-in 6 × 8 font: "PAUSED" at the top while paused, the
// statistics line (F3) at the top left, the note the window's close control brings up, the
// notes of screenshots and recordings with a red dot while recording, and the help (F1) listing
// every control. None of it is drawn unless asked for, so the picture of a
// plain pass is the world and the widgets alone.
#include <memory>
#include <string>
#include <string_view>

#include "display/screen.h"
#include "widgets/font.h"
#include "widgets/toolkit.h"

namespace squish::app {

// How long the close note stays, in seconds of the screen's clock.
inline constexpr double closeNoteSeconds = 3.0;
inline constexpr const char* closeNoteText = "Escape opens the panel; Quit ends squish (or Ctrl+Q)";

struct Overlays {
  bool help = false;
  bool statistics = false;
  double closeNoteUntil = 0.0;                // the close note shows while the clock reads less
  std::string statisticsText;                 // the statistics line of the picture being drawn
  std::unique_ptr<widgets::BitmapFont> font;  // built from the built-in sheet on first use
};

// What the picture keys show: a note in the lower left corner (none when empty) and a red dot
// in the upper right corner while recording.
struct PictureStatus {
  std::string_view note;
  bool recording = false;
};

// Draws what is on: "PAUSED", the statistics line (when statisticsText is not empty), the close
// note and the picture keys' note and dot.
void drawStatusOverlays(Overlays& overlays, display::Screen& screen, widgets::Toolkit& toolkit,
                        bool paused, double now, PictureStatus pictures = {});
// Draws the help over everything, when it is on.
void drawHelpOverlay(Overlays& overlays, display::Screen& screen, widgets::Toolkit& toolkit);

}  // namespace squish::app
