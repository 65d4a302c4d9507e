// Overlay text: each piece is a strip of black with the text on it, drawn through the
// toolkit's text drawing with the overlay font made current for the moment.
#include "app/overlay.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "assets/builtin_font.h"
#include "display/draw.h"
#include "widgets/text.h"

namespace squish::app {
namespace {

constexpr std::int32_t cellWidth = 6;
constexpr std::int32_t cellHeight = 8;
constexpr std::uint32_t black = 0;
constexpr std::uint32_t white = 15;
constexpr std::uint32_t yellow = 14;
constexpr std::uint32_t red = 12;

constexpr std::array<std::string_view, 18> helpLines = {
    "squish: every control",
    "",
    "Left button   grab an atom and pull it to the pointer",
    "Right button  the same, and its bonded neighbours follow",
    "Space         give every atom a random velocity",
    "Escape        the settings panel: values, Apply, Close,",
    "              Restart, Quit (Escape also closes this help)",
    "P             pause / resume",
    "N             one step while paused",
    "+ or =, -     double, halve the pace (15 to 32000 steps/s)",
    "R             restart the scene",
    "F1            this help",
    "F3            the statistics line",
    "F12           screenshot (PNG) into the working folder",
    "F9            start / stop recording an animated GIF",
    "Ctrl+Q        quit",
    "Alt+Enter     full screen / window",
    "The window scales by whole multiples when resized.",
};

// The font is built once; without it nothing is drawn.
widgets::BitmapFont* overlayFont(Overlays& overlays, widgets::Toolkit& toolkit) {
  if (!overlays.font) {
    const std::span<const std::uint8_t> sheet = assets::builtinFontSheet();
    std::vector<std::uint8_t> copy(sheet.begin(), sheet.end());
    overlays.font = widgets::buildFont(toolkit, cellWidth, cellHeight, copy);
  }
  return overlays.font.get();
}

void fillBox(display::Screen& screen, std::int32_t x, std::int32_t y, std::int32_t width,
             std::int32_t height, std::uint32_t colour) {
  display::drawLine(screen, display::workPage, static_cast<float>(x), static_cast<float>(y),
                    static_cast<float>(x + width - 1), static_cast<float>(y + height - 1), colour,
                    display::filledBox, 0xFFFF);
}

// One line of text on a black strip one pixel wider on every side.
void drawStrip(display::Screen& screen, widgets::Toolkit& toolkit, std::int32_t x, std::int32_t y,
               std::string_view text, std::uint32_t ink) {
  const auto width = static_cast<std::int32_t>(text.size()) * cellWidth;
  fillBox(screen, x - 1, y - 1, width + 2, cellHeight + 2, black);
  widgets::drawText(toolkit, x, y, text, ink, black, true);
}

// Runs draw with the overlay font current, then puts the toolkit's own font back.
template <typename Draw>
void withOverlayFont(Overlays& overlays, widgets::Toolkit& toolkit, Draw draw) {
  widgets::BitmapFont* font = overlayFont(overlays, toolkit);
  if (font == nullptr) return;
  widgets::BitmapFont* previous = widgets::setCurrentFont(toolkit, font);
  draw();
  widgets::setCurrentFont(toolkit, previous);
}

std::int32_t centredX(const display::Screen& screen, std::size_t characters) {
  return (screen.width - static_cast<std::int32_t>(characters) * cellWidth) / 2;
}

}  // namespace

void drawStatusOverlays(Overlays& overlays, display::Screen& screen, widgets::Toolkit& toolkit,
                        bool paused, double now, PictureStatus pictures) {
  const std::string& statisticsText = overlays.statisticsText;
  const bool closeNote = now < overlays.closeNoteUntil;
  if (pictures.recording) fillBox(screen, screen.width - 12, 4, 8, 8, red);
  if (!paused && statisticsText.empty() && !closeNote && pictures.note.empty()) return;
  withOverlayFont(overlays, toolkit, [&] {
    if (!statisticsText.empty()) drawStrip(screen, toolkit, 2, 2, statisticsText, white);
    if (paused) {
      constexpr std::string_view pausedText = "PAUSED";
      drawStrip(screen, toolkit, centredX(screen, pausedText.size()), 14, pausedText, yellow);
    }
    if (closeNote) {
      const std::string_view note = closeNoteText;
      drawStrip(screen, toolkit, centredX(screen, note.size()), screen.height - 20, note, white);
    }
    if (!pictures.note.empty())
      drawStrip(screen, toolkit, 2, screen.height - cellHeight - 2, pictures.note, white);
  });
}

void drawHelpOverlay(Overlays& overlays, display::Screen& screen, widgets::Toolkit& toolkit) {
  if (!overlays.help) return;
  std::size_t widest = 0;
  for (const std::string_view line : helpLines)
    widest = std::max(widest, line.size());
  const std::int32_t lineHeight = cellHeight + 4;
  const std::int32_t width = static_cast<std::int32_t>(widest) * cellWidth + 16;
  const std::int32_t height = static_cast<std::int32_t>(helpLines.size()) * lineHeight + 12;
  const std::int32_t left = (screen.width - width) / 2;
  const std::int32_t top = (screen.height - height) / 2;
  withOverlayFont(overlays, toolkit, [&] {
    fillBox(screen, left, top, width, height, white);
    fillBox(screen, left + 1, top + 1, width - 2, height - 2, black);
    std::int32_t y = top + 8;
    for (const std::string_view line : helpLines) {
      widgets::drawText(toolkit, left + 8, y, line, white, black, true);
      y += lineHeight;
    }
  });
}

}  // namespace squish::app
