#pragma once
// A headless screen, a toolkit, settings and a panel for one test, run in a fresh temporary
// working directory (the panel reads "6x8.bmp" from the working directory), and the pointer
// and key actions a user would take.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "display/screen.h"
#include "panel/settings_panel.h"
#include "sim/settings.h"
#include "widgets/dispatch.h"
#include "widgets/toolkit.h"
#include "widgets/widget_tree.h"

namespace squish::panel {

// Changes into a new empty directory for its lifetime.
class TemporaryWorkingDirectory {
 public:
  TemporaryWorkingDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "panel_test_XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    path_ = made != nullptr ? std::filesystem::path(made) : previous_;
    std::filesystem::current_path(path_);
  }
  ~TemporaryWorkingDirectory() {
    std::filesystem::current_path(previous_);
    if (path_ != previous_) std::filesystem::remove_all(path_);
  }
  TemporaryWorkingDirectory(const TemporaryWorkingDirectory&) = delete;
  TemporaryWorkingDirectory& operator=(const TemporaryWorkingDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Members are destroyed in reverse order: the toolkit (and its widgets) first, then the panel's
// font, then the screen.
struct PanelHarness {
  TemporaryWorkingDirectory directory;
  display::Screen screen;
  sim::SimSettings settings;
  SettingsPanel panel;
  widgets::Toolkit toolkit;

  PanelHarness() {
    EXPECT_TRUE(display::openScreen(screen, 18, 8, 2, 0, 0));
    widgets::initToolkit(toolkit, screen, 640, 480, 8);
    widgets::savePalette(toolkit);
    display::setPages(screen, 1, 0);
  }
  ~PanelHarness() { display::closeScreen(screen); }

  void open() { showSettingsPanel(panel, toolkit, settings); }

  // The left button pressed and released at (x, y) on the screen.
  void click(std::int32_t x, std::int32_t y) {
    widgets::dispatchMouse(toolkit, nullptr, x, y, 0, 1);
    widgets::dispatchMouse(toolkit, nullptr, x, y, 0, 0);
  }
  void clickWidget(std::int32_t id) {
    const widgets::Widget* widget = child(id);
    ASSERT_NE(widget, nullptr);
    click(widget->rect.x + widget->rect.w / 2, widget->rect.y + widget->rect.h / 2);
  }
  void typeKeys(const std::string& keys) {
    for (char c : keys)
      widgets::dispatchKey(toolkit, nullptr, static_cast<std::uint8_t>(c));
  }
  widgets::Widget* child(std::int32_t id) { return widgets::findChild(panel.panelWindow, id); }
  bool windowVisible() const {
    return panel.panelWindow != nullptr && (panel.panelWindow->flags & widgets::visible) != 0;
  }
  std::uint8_t pixel(std::int32_t x, std::int32_t y) const {
    return screen.pages[static_cast<std::size_t>(screen.workPage)]
                       [static_cast<std::size_t>(y * screen.pitch + x)];
  }
  void drawOnClearPage() {
    display::clearPage(screen, 0);
    widgets::drawWidgets(toolkit, nullptr);
  }
};

}  // namespace squish::panel
