// Loading BMP files and raw image dumps into an image block or onto the work page. A BMP is
// decoded first; what it brings is then placed, each write checked against the destination's
// length, and its colour table goes into the screen palette only when the screen is the one
// loading it.
#include <algorithm>
#include <cstring>

#include "display/bmp_decoder.h"
#include "display/byte_fields.h"
#include "display/image.h"
#include "files/whole_file.h"

namespace squish::display {
namespace {

constexpr std::size_t paletteDumpBytes = 1024;
constexpr std::int64_t headerBytes = 4;

bool isRawDump(std::span<const std::uint8_t> file) {
  return file[0] == 0xFD || file[0] == 0xFE;
}

void markWholeScreenDirty(Screen& screen) {
  markRowsDirty(screen, 0, screen.height - 1);
}

// Palette entries 0.. take the colours; the new colours mark every row dirty, which also covers
// rows drawn onto a visible page.
void applyColourTable(Screen& screen, const std::vector<std::uint32_t>& colours) {
  std::copy(colours.begin(), colours.end(), screen.palette.begin());
  screen.paletteChanged = true;
  markWholeScreenDirty(screen);
}

// The image's row `row` of the rows read, as many pixels as fit at `out` (count of them).
void copyDecodedRow(const DecodedBmp& bmp, std::int64_t row, std::uint8_t* out,
                    std::int64_t count) {
  const std::int64_t firstRead = std::int64_t{bmp.height} - bmp.rowsRead;
  const std::uint8_t* from = bmp.pixels.data() + (row - firstRead) * bmp.width;
  std::memcpy(out, from, static_cast<std::size_t>(count));
}

// The size into the header, then the rows read, each cut to what the block holds.
void placeInBlock(const DecodedBmp& bmp, std::span<std::uint8_t> destination,
                  std::int32_t bytesPerPixel) {
  if (!bmp.sizeKnown) return;
  writeImageHeader(destination, bytesPerPixel, bmp.width, bmp.height);
  const auto capacity = static_cast<std::int64_t>(destination.size());
  for (std::int64_t row = std::int64_t{bmp.height} - bmp.rowsRead; row < bmp.height; ++row) {
    const std::int64_t offset = headerBytes + row * bmp.width;
    if (offset >= capacity) break;
    copyDecodedRow(bmp, row, destination.data() + offset,
                   std::min<std::int64_t>(bmp.width, capacity - offset));
  }
}

// The rows read onto the work page at its top-left corner; rows below the page and columns
// right of it are cut.
void placeOnPage(Screen& screen, const DecodedBmp& bmp) {
  const std::int64_t count = std::min<std::int64_t>(bmp.width, screen.width);
  for (std::int64_t row = std::int64_t{bmp.height} - bmp.rowsRead; row < bmp.height; ++row) {
    if (row >= screen.height) break;
    copyDecodedRow(bmp, row, screen.pages[screen.workPage].data() + row * screen.pitch, count);
  }
}

LoadResult loadBmp(Screen& screen, std::span<const std::uint8_t> file,
                   std::span<std::uint8_t> destination) {
  if (!screen.isOpen) return notPossible;
  const DecodedBmp bmp = decodeBmp(file);
  if (bmp.indexed) applyColourTable(screen, bmp.colours);
  if (destination.empty()) {
    placeOnPage(screen, bmp);
  } else {
    placeInBlock(bmp, destination, screen.bytesPerPixel);
  }
  return bmp.result;
}

// A dump's data starts after the byte 0xFD, 4 skipped bytes and a 16-bit length, or after the
// byte 0xFE and a 32-bit length. The data is copied into the block as it stands.
std::size_t rawDumpStart(std::span<const std::uint8_t> file) {
  return file[0] == 0xFD ? 7 : 5;
}

std::uint64_t rawDumpLength(std::span<const std::uint8_t> file) {
  return file[0] == 0xFD ? u16At(file, 5) : u32At(file, 1);
}

LoadResult copyRawDump(std::span<const std::uint8_t> file, std::span<std::uint8_t> destination) {
  const std::size_t dataStart = rawDumpStart(file);
  if (file.size() < dataStart) return formatError;
  const std::uint64_t available =
      std::min<std::uint64_t>(rawDumpLength(file), file.size() - dataStart);
  const std::uint64_t count = std::min<std::uint64_t>(available, destination.size());
  std::memcpy(destination.data(), file.data() + dataStart, count);
  return loaded;
}

// Onto the work page, the 1024 bytes after the data (red, green, blue, unused per entry) replace
// the palette when the file holds them.
LoadResult loadRawDumpOnPage(Screen& screen, std::span<const std::uint8_t> file) {
  std::vector<std::uint8_t>& page = screen.pages[screen.workPage];
  const LoadResult result = copyRawDump(file, page);
  if (result != loaded) return result;
  const std::uint64_t paletteStart = rawDumpStart(file) + rawDumpLength(file);
  if (holds(file, paletteStart, paletteDumpBytes)) {
    for (std::size_t i = 0; i < screen.palette.size(); ++i) {
      const std::size_t at = paletteStart + i * 4;
      screen.palette[i] = file[at] | file[at + 1] << 8 | file[at + 2] << 16;
    }
    screen.paletteChanged = true;
  }
  if (screen.workPage == screen.visiblePage) markWholeScreenDirty(screen);
  return loaded;
}

}  // namespace

LoadResult readImageBlock(std::span<const std::uint8_t> file, std::span<std::uint8_t> destination,
                          std::int32_t bytesPerPixel) {
  if (file.empty()) return formatError;
  if (file[0] == 'B') {
    const DecodedBmp bmp = decodeBmp(file);
    placeInBlock(bmp, destination, bytesPerPixel);
    return bmp.result;
  }
  return isRawDump(file) ? copyRawDump(file, destination) : formatError;
}

LoadResult loadImageMemory(Screen& screen, std::span<const std::uint8_t> file,
                           std::span<std::uint8_t> destination) {
  ScreenLock lock(screen.screenLock);
  if (destination.empty() && !screen.isOpen) return notPossible;
  if (file.empty()) return formatError;
  if (file[0] == 'B') return loadBmp(screen, file, destination);
  if (!isRawDump(file)) return formatError;
  return destination.empty() ? loadRawDumpOnPage(screen, file) : copyRawDump(file, destination);
}

LoadResult loadImageFile(Screen& screen, const std::string& fileName,
                         std::span<std::uint8_t> destination) {
  {
    ScreenLock lock(screen.screenLock);
    if (destination.empty() && !screen.isOpen) return notPossible;
  }
  const files::WholeFile file = files::readWholeFile(fileName);
  if (!file.ok()) return cannotOpen;
  return loadImageMemory(screen, file.data(), destination);
}

}  // namespace squish::display
