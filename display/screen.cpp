// Opening and closing the screen, choosing pages, copying and clearing them, and tracking the
// rows of the visible page that the presenter has still to show.
#include "display/screen.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "display/presenter.h"

namespace squish::display {
namespace {

constexpr std::int32_t graphicsMode = 18;
constexpr std::int32_t closedMode = 0;
// Pages are allocated up front; a count beyond this is refused rather than allowed to ask for
// gigabytes.
constexpr std::int32_t maxPageCount = 64;

bool isRefusedMode(std::int32_t mode) {
  return mode != graphicsMode;
}

bool isPage(const Screen& screen, std::int32_t page) {
  return page >= 0 && page < screen.pageCount;
}

std::string ownProgramPath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

void discardScreen(Screen& screen) {
  screen.isOpen = false;
  screen.width = screen.height = screen.depth = screen.bytesPerPixel = screen.pitch = 0;
  screen.pageCount = 0;
  screen.pages.clear();
  screen.pages.shrink_to_fit();
  screen.dirtyRows.clear();
  screen.dirtyRows.shrink_to_fit();
  screen.workPage = screen.visiblePage = 0;
  screen.paletteChanged = false;
  screen.clipRect = ClipRect{};
  screen.input = InputState{};
  screen.nextPresentation = 0.0;
}

// Everything of an open 640 × 480 screen except its window: zeroed pages, the default palette
// (to be handed to the window at the presenter's first pass), the default colours and clip.
void buildScreen(Screen& screen, std::int32_t pageCount) {
  screen.width = 640;
  screen.height = 480;
  screen.depth = 8;
  screen.bytesPerPixel = 1;
  screen.pitch = screen.width * screen.bytesPerPixel;
  screen.pageCount = pageCount;
  const auto pageBytes = static_cast<std::size_t>(screen.height) * screen.pitch;
  screen.pages.assign(pageCount, std::vector<std::uint8_t>(pageBytes, 0));
  screen.dirtyRows.assign(screen.height, 1);
  screen.input = InputState{};
  if (screen.title.empty()) screen.title = titleFromProgramPath(ownProgramPath());
  screen.palette = defaultPalette();
  screen.paletteChanged = true;
  screen.foregroundColour = 15;
  screen.backgroundColour = 0;
  screen.clipRect = ClipRect{0, 0, screen.width, screen.height};
  screen.workPage = screen.visiblePage = 0;
  screen.isOpen = true;
}

}  // namespace

std::string titleFromProgramPath(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

// The presenter is started and stopped outside the lock: its thread takes the lock for every
// pass, so waiting for it (to report the window, or to finish) while holding the lock could
// wait forever. The screen is complete before the presenter starts, so its first pass shows
// the default palette and a black picture.
// Every depth is shown through 8-bit pages, only the windowed picture is offered and the
// display keeps its own refresh rate, so depth, flags and refreshRate change nothing.
bool openScreen(Screen& screen, std::int32_t mode, std::int32_t /*depth*/, std::int32_t pageCount,
                std::int32_t /*flags*/, std::int32_t /*refreshRate*/) {
  closeScreen(screen);
  if (mode == closedMode) return false;
  {
    ScreenLock lock(screen.screenLock);
    if (isRefusedMode(mode) || pageCount > maxPageCount) {
      screen.lastError = 1;
      return false;
    }
    buildScreen(screen, std::max(pageCount, 1));
    screen.lastError = 0;
    screen.lastErrorText.clear();
  }
  std::string whyNot;
  if (screen.presenter != nullptr && !screen.presenter->start(screen, whyNot)) {
    ScreenLock lock(screen.screenLock);
    discardScreen(screen);
    screen.lastError = 1;
    screen.lastErrorText = whyNot;
    return false;
  }
  return true;
}

void closeScreen(Screen& screen) {
  {
    ScreenLock lock(screen.screenLock);
    if (!screen.isOpen) return;
  }
  if (screen.presenter != nullptr) screen.presenter->stop(screen);
  ScreenLock lock(screen.screenLock);
  discardScreen(screen);
}

void setPages(Screen& screen, std::int32_t work, std::int32_t visible) {
  ScreenLock lock(screen.screenLock);
  if (!screen.isOpen) return;
  if (work < 0 && visible < 0) work = visible = 0;
  if (isPage(screen, work)) screen.workPage = work;
  if (isPage(screen, visible) && visible != screen.visiblePage) {
    screen.visiblePage = visible;
    markRowsDirty(screen, 0, screen.height - 1);
  }
}

void copyPage(Screen& screen, std::int32_t from, std::int32_t to) {
  ScreenLock lock(screen.screenLock);
  if (!screen.isOpen) return;
  if (from < 0) from = screen.workPage;
  if (to < 0) to = screen.visiblePage;
  if (!isPage(screen, from) || !isPage(screen, to) || from == to) return;
  // The rows of the clip rectangle, kept within the page, copied as one block.
  const std::int64_t top = std::max<std::int64_t>(screen.clipRect.top, 0);
  const std::int64_t bottom = std::min<std::int64_t>(
      static_cast<std::int64_t>(screen.clipRect.top) + screen.clipRect.height, screen.height);
  if (top >= bottom) return;
  const auto offset = static_cast<std::size_t>(top * screen.pitch);
  const auto bytes = static_cast<std::size_t>((bottom - top) * screen.pitch);
  std::memcpy(screen.pages[to].data() + offset, screen.pages[from].data() + offset, bytes);
  if (to == screen.visiblePage) {
    markRowsDirty(screen, static_cast<std::int32_t>(top), static_cast<std::int32_t>(bottom - 1));
  }
}

void clearPage(Screen& screen, std::uint32_t colour) {
  ScreenLock lock(screen.screenLock);
  if (!screen.isOpen) return;
  std::uint32_t fill = colour;
  if (colour == notGiven) {
    fill = screen.backgroundColour;
  } else if (colour == defaultColour) {
    fill = screen.foregroundColour;
  }
  std::vector<std::uint8_t>& page = screen.pages[screen.workPage];
  std::fill(page.begin(), page.end(), static_cast<std::uint8_t>(fill & 0xFFu));
  if (screen.workPage == screen.visiblePage) markRowsDirty(screen, 0, screen.height - 1);
}

double nextPresentationSeconds(Screen& screen) {
  ScreenLock lock(screen.screenLock);
  return screen.nextPresentation;
}

void markRowsDirty(Screen& screen, std::int32_t first, std::int32_t last) {
  ScreenLock lock(screen.screenLock);
  const auto rowCount = static_cast<std::int32_t>(screen.dirtyRows.size());
  first = std::max(first, 0);
  last = std::min(last, rowCount - 1);
  if (first > last) return;
  std::fill(screen.dirtyRows.begin() + first, screen.dirtyRows.begin() + last + 1, std::uint8_t{1});
}

}  // namespace squish::display
