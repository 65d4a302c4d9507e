// panel_picture: draws the settings panel, as the first Escape shows it with the default
// settings, on a headless screen and writes the picture as a binary PPM, to look at the panel
// without a window.
//   panel_picture OUTPUT.ppm
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>

#include "display/screen.h"
#include "panel/settings_panel.h"
#include "sim/settings.h"
#include "widgets/dispatch.h"
#include "widgets/toolkit.h"

namespace {

// Palette entries are 0x00BBGGRR.
bool writePpm(const squish::display::Screen& screen, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "P6\n" << screen.width << " " << screen.height << "\n255\n";
  const auto& page = screen.pages[static_cast<std::size_t>(screen.workPage)];
  for (std::int32_t y = 0; y < screen.height; ++y) {
    for (std::int32_t x = 0; x < screen.width; ++x) {
      const std::uint32_t colour =
          screen.palette[page[static_cast<std::size_t>(y * screen.pitch + x)]];
      const char rgb[3] = {static_cast<char>(colour & 0xFF), static_cast<char>(colour >> 8 & 0xFF),
                           static_cast<char>(colour >> 16 & 0xFF)};
      out.write(rgb, 3);
    }
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: panel_picture OUTPUT.ppm\n";
    return 2;
  }
  squish::display::Screen screen;
  if (!squish::display::openScreen(screen, 18, 8, 2, 0, 0)) {
    std::cerr << "panel_picture: cannot open a headless screen\n";
    return 1;
  }
  squish::sim::SimSettings settings;
  squish::panel::SettingsPanel panel;
  {
    squish::widgets::Toolkit toolkit;
    squish::widgets::initToolkit(toolkit, screen, 640, 480, 8);
    squish::widgets::savePalette(toolkit);
    squish::panel::showSettingsPanel(panel, toolkit, settings);
    squish::display::clearPage(screen, 1);
    squish::widgets::drawWidgets(toolkit, nullptr);
  }
  const bool written = writePpm(screen, argv[1]);
  squish::display::closeScreen(screen);
  if (!written) {
    std::cerr << "panel_picture: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
