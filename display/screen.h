#pragma once
// The one display context: two pages of 8-bit palette indices, the 256-entry palette, the rows
// changed since the presenter last showed them, the input state the window feeds, and the lock
// that the presenter thread shares with the program's thread.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "display/input_state.h"

namespace squish::display {

// A colour argument that stands for the screen's foreground colour.
inline constexpr std::uint32_t defaultColour = 0xFEFF00FFu;
// An omitted argument.
inline constexpr std::uint32_t notGiven = 0xFFFF0000u;

// A palette entry packed for getPalette/setPalette: red in bits 0-5, green 8-13, blue 16-21
// (the 0..63 VGA range); a negative word leaves its entry unchanged.
using PaletteWord = std::int32_t;

struct ClipRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

class Presenter;
struct WindowMessage;

struct Screen {
  bool isOpen = false;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t depth = 0;
  std::int32_t bytesPerPixel = 0;
  std::int32_t pitch = 0;
  std::int32_t pageCount = 0;
  std::vector<std::vector<std::uint8_t>> pages;  // pages[p][y * pitch + x]
  std::int32_t workPage = 0;
  std::int32_t visiblePage = 0;
  std::array<std::uint32_t, 256> palette{};  // entry i as 0x00BBGGRR
  bool paletteChanged = false;               // the presenter hands the palette to the window
  std::uint32_t foregroundColour = 15;
  std::uint32_t backgroundColour = 0;
  ClipRect clipRect;
  std::vector<std::uint8_t> dirtyRows;  // nonzero: the visible page's row changed
  std::string title;                    // the window caption
  InputState input;
  // When the presenter next shows the visible page, in seconds of its clock (timerSeconds);
  // 0 until a presenter that shows pages on its own schedule has said.
  double nextPresentation = 0.0;
  std::int32_t lastError = 0;  // 1 after a refused mode or a window that could not be made
  std::string lastErrorText;   // why the window could not be made, for the program to report

  // The window (or its headless stand-in). Chosen by the program's entry point before
  // openScreen; not owned.
  Presenter* presenter = nullptr;
  // Told of every window message the presenter turns into input, under the lock (a recorded
  // session); empty for none.
  std::function<void(const WindowMessage&)> messageWitness;

  // Guards the pages, the palette, dirtyRows and the input state. Recursive, so an operation
  // called from inside another on the same thread does not take it again.
  mutable std::recursive_mutex screenLock;
};

using ScreenLock = std::lock_guard<std::recursive_mutex>;

// The file name of a program path without its directory and without the last "." and what
// follows: the window's caption.
std::string titleFromProgramPath(const std::string& path);

// Mode 18 is 640 × 480 at 8 bits with the default palette; 0 closes the screen; every other
// mode, and more than 64 pages, is refused (lastError 1). Returns true when a screen is open
// afterwards. The screen is complete before presenter->start runs, and start and stop are
// called without the lock held, so a presenter may wait for its own thread in them.
bool openScreen(Screen& screen, std::int32_t mode, std::int32_t depth, std::int32_t pageCount,
                std::int32_t flags, std::int32_t refreshRate);
void closeScreen(Screen& screen);
void setPages(Screen& screen, std::int32_t work, std::int32_t visible);
void copyPage(Screen& screen, std::int32_t from, std::int32_t to);
void clearPage(Screen& screen, std::uint32_t colour = notGiven);
void getPalette(const Screen& screen, std::array<PaletteWord, 256>& out);
void setPalette(Screen& screen, const std::array<PaletteWord, 256>& in);

// The default VGA palette (0x00BBGGRR entries) the screen opens with.
const std::array<std::uint32_t, 256>& defaultPalette();

// The presenter's next showing of the visible page (Screen::nextPresentation), under the lock.
double nextPresentationSeconds(Screen& screen);

// Marks rows first..last (inclusive, clamped to the page) of the visible page changed.
void markRowsDirty(Screen& screen, std::int32_t first, std::int32_t last);

}  // namespace squish::display
