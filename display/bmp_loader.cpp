// Loading BMP files of 1, 4 and 8 bits per pixel, and raw image dumps, into an image block or
// onto the work page. Every read is checked against the file's length and every write against
// the destination's, so a damaged or hostile file yields a result code and nothing else; the
// work is bounded by the file's length, whatever sizes its header declares.
#include <algorithm>
#include <cstring>

#include "display/image.h"
#include "files/whole_file.h"

namespace squish::display {
namespace {

constexpr std::size_t bmpHeaderBytes = 54;
constexpr std::uint32_t infoHeaderBytes = 40;
constexpr std::uint32_t maskedCompression = 3;
constexpr std::uint32_t redMaskOfMaskedFile = 0x00FF0000u;
constexpr std::int32_t maxWidth = 8191;
constexpr std::int32_t minHeight = -32768;  // a top-down file's height still fits the header
constexpr std::int32_t maxHeight = 65535;
constexpr std::size_t paletteDumpBytes = 1024;

// Little-endian fields at a position the caller has checked to lie within the bytes.
std::uint32_t u16At(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}

std::uint32_t u32At(std::span<const std::uint8_t> bytes, std::size_t at) {
  return u16At(bytes, at) | u16At(bytes, at + 2) << 16;
}

bool holds(std::span<const std::uint8_t> bytes, std::uint64_t at, std::uint64_t count) {
  return at <= bytes.size() && count <= bytes.size() - at;
}

void markWholeScreenDirty(Screen& screen) {
  markRowsDirty(screen, 0, screen.height - 1);
}

// The fields of a BMP's file and information headers that the loader uses.
struct BmpHeader {
  std::uint32_t pixelOffset = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = 0;
};

bool isIndexedDepth(std::uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8;
}

std::uint64_t packedRowBytes(std::int64_t width, std::uint32_t bits) {
  if (bits == 1) return static_cast<std::uint64_t>(width + 7) / 8;
  if (bits == 4) return static_cast<std::uint64_t>(width + 1) / 2;
  return static_cast<std::uint64_t>(width);
}

std::uint8_t unpackPixel(const std::uint8_t* row, std::int64_t column, std::uint32_t bits) {
  if (bits == 1) return row[column / 8] >> (7 - column % 8) & 1u;
  if (bits == 4) return row[column / 2] >> (column % 2 == 0 ? 4 : 0) & 0xFu;
  return row[column];
}

// Writes one file row's pixels to count bytes at out, one palette index per byte.
void unpackRow(const std::uint8_t* row, std::uint32_t bits, std::uint8_t* out, std::int64_t count) {
  if (bits == 8) {
    std::memcpy(out, row, static_cast<std::size_t>(count));
    return;
  }
  for (std::int64_t c = 0; c < count; ++c)
    out[c] = unpackPixel(row, c, bits);
}

// Where image row r goes and how many of its pixels fit: into the destination block, or onto
// the work page (rows below the page and columns right of it are cut).
std::uint8_t* rowTarget(Screen& screen, std::span<std::uint8_t> destination, std::int64_t width,
                        std::int64_t row, std::int64_t& count) {
  count = 0;
  if (destination.empty()) {
    if (row >= screen.height) return nullptr;
    count = std::min<std::int64_t>(width, screen.width);
    return screen.pages[screen.workPage].data() + row * screen.pitch;
  }
  const std::int64_t offset = 4 + row * width;
  const auto capacity = static_cast<std::int64_t>(destination.size());
  if (offset >= capacity) return nullptr;
  count = std::min(width, capacity - offset);
  return destination.data() + offset;
}

// Reads the rows, bottom row first, from `at`. Rows read before the file ends stay.
LoadResult loadBmpRows(Screen& screen, std::span<const std::uint8_t> file, std::uint64_t at,
                       const BmpHeader& header, std::span<std::uint8_t> destination) {
  const std::uint64_t rowBytes = packedRowBytes(header.width, header.bitsPerPixel);
  const std::uint64_t paddedRowBytes = (rowBytes + 3) / 4 * 4;
  for (std::int64_t row = std::int64_t{header.height} - 1; row >= 0; --row) {
    if (!holds(file, at, paddedRowBytes)) return formatError;
    std::int64_t count = 0;
    std::uint8_t* out = rowTarget(screen, destination, header.width, row, count);
    if (out != nullptr) unpackRow(file.data() + at, header.bitsPerPixel, out, count);
    at += paddedRowBytes;
  }
  return loaded;
}

void loadColourTable(Screen& screen, std::span<const std::uint8_t> file, std::uint64_t entries) {
  const std::uint64_t used = std::min<std::uint64_t>(entries, screen.palette.size());
  for (std::uint64_t i = 0; i < used; ++i) {
    const std::size_t at = bmpHeaderBytes + i * 4;
    const std::uint32_t blue = file[at];
    const std::uint32_t green = file[at + 1];
    const std::uint32_t red = file[at + 2];
    screen.palette[i] = red | green << 8 | blue << 16;
  }
  screen.paletteChanged = true;
  markWholeScreenDirty(screen);
}

LoadResult loadBmp(Screen& screen, std::span<const std::uint8_t> file,
                   std::span<std::uint8_t> destination) {
  if (!screen.isOpen) return notPossible;
  if (file.size() < bmpHeaderBytes || file[0] != 'B' || file[1] != 'M' ||
      u32At(file, 14) != infoHeaderBytes) {
    return formatError;
  }
  BmpHeader header;
  header.pixelOffset = u32At(file, 10);
  header.width = static_cast<std::int32_t>(u32At(file, 18));
  header.height = static_cast<std::int32_t>(u32At(file, 22));
  header.bitsPerPixel = u16At(file, 28);
  header.compression = u32At(file, 30);
  if (header.bitsPerPixel == 15 || header.bitsPerPixel == 16) return notPossible;
  if (header.bitsPerPixel < 8 && !isIndexedDepth(header.bitsPerPixel)) return formatError;

  // The colour table fills the gap up to the pixel data; the pixel rows follow it.
  if (header.pixelOffset < bmpHeaderBytes) return formatError;
  const std::uint64_t tableEntries = (header.pixelOffset - bmpHeaderBytes) / 4;
  std::uint64_t at = bmpHeaderBytes + tableEntries * 4;
  if (at > file.size()) return formatError;

  if (header.width < 1 || header.width > maxWidth || header.height < minHeight ||
      header.height > maxHeight) {
    return formatError;
  }
  writeImageHeader(destination, screen.bytesPerPixel, header.width, header.height);

  if (header.compression == maskedCompression) {
    // Colour masks follow the table; a valid set marks a true-colour file.
    if (!holds(file, at, 12) || u32At(file, at) != redMaskOfMaskedFile) return formatError;
    return notPossible;
  }
  if (header.bitsPerPixel > 8) return notPossible;

  // The new colours mark every row dirty, which also covers rows drawn onto a visible page.
  loadColourTable(screen, file, tableEntries);
  return loadBmpRows(screen, file, at, header, destination);
}

// A dump is copied as it stands: a 0xFD dump has 4 skipped bytes and a 16-bit length, a 0xFE
// dump a 32-bit length. Onto the work page, the 1024 bytes after the data (red, green, blue,
// unused per entry) replace the palette when the file holds them.
LoadResult loadRawDump(Screen& screen, std::span<const std::uint8_t> file,
                       std::span<std::uint8_t> destination) {
  const bool shortForm = file[0] == 0xFD;
  const std::size_t dataStart = shortForm ? 7 : 5;
  if (file.size() < dataStart) return formatError;
  const std::uint64_t length = shortForm ? u16At(file, 5) : u32At(file, 1);
  const std::uint64_t available = std::min<std::uint64_t>(length, file.size() - dataStart);
  if (!destination.empty()) {
    const std::uint64_t count = std::min<std::uint64_t>(available, destination.size());
    std::memcpy(destination.data(), file.data() + dataStart, count);
    return loaded;
  }
  std::vector<std::uint8_t>& page = screen.pages[screen.workPage];
  const std::uint64_t count = std::min<std::uint64_t>(available, page.size());
  std::memcpy(page.data(), file.data() + dataStart, count);
  const std::uint64_t paletteStart = dataStart + length;
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

std::int32_t bmpBitsPerPixel(std::span<const std::uint8_t> file) {
  if (file.size() < bmpHeaderBytes || file[0] != 'B' || file[1] != 'M') return 0;
  return static_cast<std::int32_t>(u16At(file, 28));
}

LoadResult loadImageMemory(Screen& screen, std::span<const std::uint8_t> file,
                           std::span<std::uint8_t> destination) {
  ScreenLock lock(screen.screenLock);
  if (destination.empty() && !screen.isOpen) return notPossible;
  if (file.empty()) return formatError;
  switch (file[0]) {
    case 'B':
      return loadBmp(screen, file, destination);
    case 0xFD:
    case 0xFE:
      return loadRawDump(screen, file, destination);
    default:
      return formatError;
  }
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
