// The presenter pass: palette, dirty band, held keys and window messages, in that order, all
// under the screen's lock so the program's thread never sees half of a pass.
#include "display/presenter_pass.h"

#include <algorithm>

#include "display/screen.h"

namespace squish::display {
namespace {

// Whether the visible page, dirtyRows and the picture size agree, so the band can be read
// without leaving any buffer.
bool visiblePageIsReadable(const Screen& screen) {
  if (!screen.isOpen || screen.width <= 0 || screen.height <= 0) return false;
  if (screen.pitch < screen.width) return false;
  if (screen.visiblePage < 0 ||
      screen.visiblePage >= static_cast<std::int32_t>(screen.pages.size()))
    return false;
  const std::uint64_t pageBytes =
      static_cast<std::uint64_t>(screen.height) * static_cast<std::uint64_t>(screen.pitch);
  return screen.pages[static_cast<std::size_t>(screen.visiblePage)].size() >= pageBytes &&
         screen.dirtyRows.size() >= static_cast<std::size_t>(screen.height);
}

void refreshColours(Screen& screen, PresenterPass& pass) {
  if (pass.haveColours && !screen.paletteChanged) return;
  std::transform(screen.palette.begin(), screen.palette.end(), pass.colours.begin(), windowColour);
  pass.haveColours = true;
  screen.paletteChanged = false;
  // Every pixel of a changed entry changes with it, wherever it is.
  std::fill_n(screen.dirtyRows.begin(), screen.height, std::uint8_t{1});
}

bool rowsFit(const PictureRows& rows, std::int32_t count, std::int32_t width) {
  if (rows.pitch < width) return false;
  const std::uint64_t needed =
      static_cast<std::uint64_t>(count - 1) * static_cast<std::uint64_t>(rows.pitch) +
      static_cast<std::uint64_t>(width);
  return rows.pixels.size() >= needed;
}

void convertRows(const Screen& screen, const PresenterPass& pass, std::int32_t first,
                 std::int32_t last, const PictureRows& rows) {
  const std::uint8_t* page = screen.pages[static_cast<std::size_t>(screen.visiblePage)].data();
  for (std::int32_t y = first; y <= last; ++y) {
    const std::uint8_t* source = page + static_cast<std::size_t>(y) * screen.pitch;
    std::uint32_t* target = rows.pixels.data() + static_cast<std::size_t>(y - first) * rows.pitch;
    for (std::int32_t x = 0; x < screen.width; ++x)
      target[x] = pass.colours[source[x]];
  }
}

// The first and last dirty row of the visible page; shown is false when none is.
PassResult findDirtyBand(const Screen& screen) {
  PassResult band;
  for (std::int32_t y = 0; y < screen.height; ++y) {
    if (screen.dirtyRows[static_cast<std::size_t>(y)] == 0) continue;
    if (!band.shown) band.first = y;
    band.shown = true;
    band.last = y;
  }
  return band;
}

PassResult showDirtyBand(Screen& screen, const PresenterPass& pass, PassBackend& backend) {
  const PassResult band = findDirtyBand(screen);
  if (!band.shown) return {};
  const PictureRows rows = backend.beginRows(band.first, band.last);
  std::fill_n(screen.dirtyRows.begin(), screen.height, std::uint8_t{0});
  if (rows.pixels.empty()) return {};
  const bool fits = rowsFit(rows, band.last - band.first + 1, screen.width);
  if (fits) convertRows(screen, pass, band.first, band.last, rows);
  backend.finishRows(band.first, band.last, fits);
  return fits ? band : PassResult{};
}

}  // namespace

std::uint32_t windowColour(std::uint32_t paletteEntry) {
  const std::uint32_t red = paletteEntry & 0xFFu;
  const std::uint32_t green = (paletteEntry >> 8) & 0xFFu;
  const std::uint32_t blue = (paletteEntry >> 16) & 0xFFu;
  return 0xFF000000u | red << 16 | green << 8 | blue;
}

PassResult runPresenterPass(Screen& screen, PresenterPass& pass, PassBackend& backend) {
  ScreenLock lock(screen.screenLock);
  PassResult result;
  if (visiblePageIsReadable(screen)) {
    refreshColours(screen, pass);
    result = showDirtyBand(screen, pass, backend);
    if (screen.input.active) backend.refreshKeyStates(screen.input.keyStates);
  }
  WindowMessage message;
  while (backend.nextMessage(screen.input, message)) {
    if (!screen.isOpen) continue;
    handleWindowMessage(screen, message);
    if (screen.messageWitness) screen.messageWitness(message);
  }
  return result;
}

}  // namespace squish::display
