// The real window: opened on the virtual X display the test runs under (xvfb-run), showing a
// test picture of the 16 base colours and the grey ramp, whose pixels are read back from the X
// server; the pointer and a key sent through the X server; the picture scaled in a resized
// window; and the failure without a display. Also saves the picture as /tmp/squish-window.png.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "display/draw.h"
#include "display/input.h"
#include "display/screen.h"
#include "display/sdl_keys.h"
#include "display/sdl_presenter.h"

namespace squish::display {
namespace {

using namespace std::chrono_literals;

// Unsets environment variables for one scope and puts them back afterwards.
class EnvironmentWithout {
 public:
  explicit EnvironmentWithout(std::vector<std::string> names) : names_(std::move(names)) {
    for (const std::string& name : names_) {
      const char* value = std::getenv(name.c_str());
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name.c_str());
    }
  }
  ~EnvironmentWithout() {
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (saved_[i]) setenv(names_[i].c_str(), saved_[i]->c_str(), 1);
    }
  }

 private:
  std::vector<std::string> names_;
  std::vector<std::optional<std::string>> saved_;
};

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;

  // 0x00RRGGBB of pixel (x, y).
  std::uint32_t at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return static_cast<std::uint32_t>(rgb[i]) << 16 | rgb[i + 1] << 8 | rgb[i + 2];
  }
};

// Reads a binary PPM (P6, 8-bit) as ImageMagick writes it.
std::optional<RgbImage> readPpm(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  RgbImage image;
  if (!(file >> magic >> image.width >> image.height >> maxValue) || magic != "P6" ||
      maxValue != 255 || image.width <= 0 || image.height <= 0 || image.width > 8192 ||
      image.height > 8192) {
    return std::nullopt;
  }
  file.get();
  image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  if (!file.read(reinterpret_cast<char*>(image.rgb.data()),
                 static_cast<std::streamsize>(image.rgb.size()))) {
    return std::nullopt;
  }
  return image;
}

// The palette entry (0x00BBGGRR) as 0x00RRGGBB.
std::uint32_t rgbOf(std::uint32_t entry) {
  return (entry & 0xFFu) << 16 | (entry & 0xFF00u) | (entry >> 16 & 0xFFu);
}

// 16 bars of colours 0..15 over the top half, the grey ramp 16..31 under them.
void drawTestPicture(Screen& screen) {
  for (int i = 0; i < 16; ++i) {
    const float left = static_cast<float>(i * 40);
    drawLine(screen, workPage, left, 0, left + 39, 239, i, filledBox, 0xFFFF);
    drawLine(screen, workPage, left, 240, left + 39, 479, 16 + i, filledBox, 0xFFFF);
  }
  copyPage(screen, -1, -1);
}

struct Sample {
  int x, y;
  std::uint32_t rgb;
};

// The corners of every bar, so that the picture matches at one place only.
std::vector<Sample> testPictureSamples() {
  std::vector<Sample> samples;
  for (int i = 0; i < 16; ++i) {
    for (const int x : {i * 40, i * 40 + 39}) {
      for (const int y : {0, 239})
        samples.push_back({x, y, rgbOf(defaultPalette()[i])});
      for (const int y : {240, 479})
        samples.push_back({x, y, rgbOf(defaultPalette()[16 + i])});
    }
  }
  return samples;
}

// Where the test picture's top-left corner is on the root window, if it is there.
std::optional<std::pair<int, int>> findPicture(const RgbImage& root) {
  const std::vector<Sample> samples = testPictureSamples();
  for (int y = 0; y + 480 <= root.height; ++y) {
    for (int x = 0; x + 640 <= root.width; ++x) {
      bool all = true;
      for (const Sample& s : samples) {
        if (root.at(x + s.x, y + s.y) != s.rgb) {
          all = false;
          break;
        }
      }
      if (all) return std::pair{x, y};
    }
  }
  return std::nullopt;
}

bool run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// Waits until the presenter has shown every dirty row, then a few passes more.
void waitForPresenter(Screen& screen) {
  for (int i = 0; i < 300; ++i) {
    {
      ScreenLock lock(screen.screenLock);
      bool clean = true;
      for (std::uint8_t d : screen.dirtyRows)
        clean = clean && d == 0;
      if (clean) break;
    }
    std::this_thread::sleep_for(10ms);
  }
  std::this_thread::sleep_for(100ms);
}

// Polls until the pointer reads at (x, y), for up to two seconds.
bool pointerReadsAt(Screen& screen, std::int32_t x, std::int32_t y, std::int32_t& buttons) {
  for (int i = 0; i < 200; ++i) {
    const std::optional<MouseState> mouse = readMouse(screen);
    if (mouse && mouse->x == x && mouse->y == y) {
      buttons = mouse->buttons;
      return true;
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

bool fullScreenBecomes(Screen& screen, bool wanted) {
  for (int i = 0; i < 200; ++i) {
    {
      ScreenLock lock(screen.screenLock);
      if (screen.input.fullScreen == wanted) return true;
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

std::string nextKeyWithin(Screen& screen, std::chrono::milliseconds limit) {
  for (auto waited = 0ms; waited < limit; waited += 10ms) {
    std::string key = readKeyString(screen);
    if (!key.empty()) return key;
    std::this_thread::sleep_for(10ms);
  }
  return {};
}

std::string readWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Without any display the reason is squish's to give: no library prints a line of its own.
TEST(Window, OpeningWithoutADisplayFailsWithAReasonAndPrintsNothing) {
  EnvironmentWithout noDisplay(
      {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SDL_VIDEODRIVER"});
  Screen screen;
  SdlPresenter sdl;
  screen.presenter = &sdl;
  const std::string errors = "/tmp/squish-window-stderr.txt";
  std::fflush(stderr);
  const int savedStderr = dup(2);
  std::FILE* capture = std::fopen(errors.c_str(), "w");
  ASSERT_NE(capture, nullptr);
  dup2(fileno(capture), 2);
  const bool opened = openScreen(screen, 18, 8, 2, 0, 0);
  std::fflush(stderr);
  dup2(savedStderr, 2);
  close(savedStderr);
  std::fclose(capture);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(screen.isOpen);
  EXPECT_EQ(screen.lastError, 1);
  EXPECT_FALSE(screen.lastErrorText.empty());
  EXPECT_EQ(readWholeFile(errors), "");
  std::remove(errors.c_str());
}

TEST(Window, ShowsThePictureAndDeliversPointerAndKeys) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
  Screen screen;
  SdlPresenter sdl;
  screen.presenter = &sdl;
  screen.title = "squish-window-test";
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0)) << screen.lastErrorText;
  setPages(screen, 1, 0);
  drawTestPicture(screen);
  waitForPresenter(screen);

  const std::string rootShot = "/tmp/squish-window-root.ppm";
  ASSERT_TRUE(run("import -window root -depth 8 " + rootShot));
  const std::optional<RgbImage> root = readPpm(rootShot);
  ASSERT_TRUE(root.has_value());
  const std::optional<std::pair<int, int>> corner = findPicture(*root);
  ASSERT_TRUE(corner.has_value()) << "the test picture is not on the display";
  const auto [left, top] = *corner;
  EXPECT_TRUE(run("import -window root -crop 640x480+" + std::to_string(left) + "+" +
                  std::to_string(top) + " +repage /tmp/squish-window.png"));
  std::remove(rootShot.c_str());

  // The pointer, mapped from the display to the picture, and a button held on it.
  std::int32_t buttons = -1;
  ASSERT_TRUE(
      run("xdotool mousemove " + std::to_string(left + 100) + " " + std::to_string(top + 50)));
  EXPECT_TRUE(pointerReadsAt(screen, 100, 50, buttons));
  EXPECT_EQ(buttons, 0);
  ASSERT_TRUE(run("xdotool mousedown 1"));
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(pointerReadsAt(screen, 100, 50, buttons));
  EXPECT_EQ(buttons, 1);
  ASSERT_TRUE(run("xdotool mouseup 1"));

  // Typed keys: a character, and a cursor key as its extended code.
  ASSERT_TRUE(run("xdotool key a"));
  EXPECT_EQ(nextKeyWithin(screen, 2000ms), "a");
  ASSERT_TRUE(run("xdotool key Up"));
  EXPECT_EQ(nextKeyWithin(screen, 2000ms), "\xFF\x48");

  // Alt+Enter: full-screen display, where the pointer is clamped to the picture.
  ASSERT_TRUE(run("xdotool key alt+Return"));
  EXPECT_TRUE(fullScreenBecomes(screen, true));
  ASSERT_TRUE(run("xdotool mousemove 0 0"));
  EXPECT_TRUE(pointerReadsAt(screen, 0, 0, buttons));
  ASSERT_TRUE(run("xdotool key alt+Return"));
  EXPECT_TRUE(fullScreenBecomes(screen, false));
  EXPECT_EQ(readKeyString(screen), "");

  closeScreen(screen);
  EXPECT_FALSE(screen.isOpen);
}

// Resized to 1280 x 960, the window shows every picture pixel as a 2 x 2 block, and a point of
// the window maps back to the picture pixel drawn there.
TEST(Window, ResizedWindowShowsThePictureTwiceAsLargeAndMapsThePointerBack) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
  Screen screen;
  SdlPresenter sdl;
  screen.presenter = &sdl;
  screen.title = "squish-resize-test";
  ASSERT_TRUE(openScreen(screen, 18, 8, 2, 0, 0)) << screen.lastErrorText;
  setPages(screen, 1, 0);
  drawTestPicture(screen);
  waitForPresenter(screen);
  ASSERT_TRUE(
      run("xdotool search --sync --name '^squish-resize-test$' windowmove --sync 0 0 "
          "windowsize --sync 1280 960"));
  waitForPresenter(screen);
  std::this_thread::sleep_for(300ms);

  const std::string rootShot = "/tmp/squish-resize-root.ppm";
  ASSERT_TRUE(run("import -window root -depth 8 " + rootShot));
  const std::optional<RgbImage> root = readPpm(rootShot);
  std::remove(rootShot.c_str());
  ASSERT_TRUE(root.has_value());
  ASSERT_GE(root->width, 1280);
  ASSERT_GE(root->height, 960);
  int wrong = 0;
  for (const Sample& s : testPictureSamples()) {
    for (const int dy : {0, 1}) {
      for (const int dx : {0, 1})
        wrong += root->at(2 * s.x + dx, 2 * s.y + dy) != s.rgb;
    }
  }
  EXPECT_EQ(wrong, 0);

  std::int32_t buttons = -1;
  ASSERT_TRUE(run("xdotool mousemove 200 200"));
  EXPECT_TRUE(pointerReadsAt(screen, 100, 100, buttons));
  ASSERT_TRUE(run("xdotool mousemove 1279 959"));
  EXPECT_TRUE(pointerReadsAt(screen, 639, 479, buttons));
  closeScreen(screen);
}

TEST(Window, SdlKeysMapToSetOneScanCodes) {
  // SDL scancodes are the USB keyboard usages: 4 A, 40 Return, 82 Up, 88 keypad Enter,
  // 96 keypad 8, 225 left Shift, 229 right Shift.
  EXPECT_EQ(setOneKeyFromSdl(4).scanCode, 30);
  EXPECT_FALSE(setOneKeyFromSdl(40).extended);
  EXPECT_EQ(setOneKeyFromSdl(40).scanCode, 28);
  EXPECT_TRUE(setOneKeyFromSdl(88).extended);
  EXPECT_EQ(setOneKeyFromSdl(88).scanCode, 28);
  EXPECT_TRUE(setOneKeyFromSdl(82).extended);
  EXPECT_EQ(setOneKeyFromSdl(82).scanCode, 72);
  EXPECT_FALSE(setOneKeyFromSdl(96).extended);
  EXPECT_EQ(setOneKeyFromSdl(96).scanCode, 72);
  EXPECT_EQ(setOneKeyFromSdl(0).scanCode, 0);
  EXPECT_EQ(setOneKeyFromSdl(-5).scanCode, 0);
  EXPECT_EQ(setOneKeyFromSdl(100000).scanCode, 0);

  // Either of two keys sharing a code holds it; a keyboard state too short is read no further.
  std::vector<std::uint8_t> keyboard(512, 0);
  keyboard[88] = 1;
  keyboard[229] = 1;
  std::array<std::uint8_t, 128> keyStates{};
  keyStates[1] = 1;
  setOneKeyStates(keyboard.data(), static_cast<std::int32_t>(keyboard.size()), keyStates);
  EXPECT_EQ(keyStates[28], 1);
  EXPECT_EQ(keyStates[54], 1);
  EXPECT_EQ(keyStates[1], 0);
  setOneKeyStates(keyboard.data(), 100, keyStates);
  EXPECT_EQ(keyStates[28], 1);
  EXPECT_EQ(keyStates[54], 0);
}

}  // namespace
}  // namespace squish::display
