// BMP layout: a 14-byte file header, a 40-byte BITMAPINFOHEADER, 256 colour-table entries of
// blue, green, red, 0, then the rows from the bottom up, each padded to a multiple of 4 bytes.
#include "app/screen_shot.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "files/whole_file.h"
#include "pictures/png_file.h"

namespace squish::app {
namespace {

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t colourTableSize = 256 * 4;
constexpr std::uint32_t pixelOffset = fileHeaderSize + infoHeaderSize + colourTableSize;

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  put16(out, at, value & 0xFFFFu);
  put16(out, at + 2, value >> 16);
}

bool hasPage(const display::Screen& screen, std::int32_t page) {
  if (screen.width <= 0 || screen.height <= 0 || screen.pitch < screen.width) return false;
  if (screen.bytesPerPixel > 1) return false;
  if (page < 0 || page >= std::ssize(screen.pages)) return false;
  const std::int64_t needed = std::int64_t{screen.pitch} * screen.height;
  return std::ssize(screen.pages[static_cast<std::size_t>(page)]) >= needed;
}

bool hasVisiblePage(const display::Screen& screen) {
  return hasPage(screen, screen.visiblePage);
}

bool namesPng(const std::string& fileName) {
  constexpr std::string_view suffix = ".png";
  if (fileName.size() < suffix.size()) return false;
  const auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  return std::equal(suffix.begin(), suffix.end(), fileName.end() - 4,
                    [&](char wanted, char given) { return lower(given) == wanted; });
}

}  // namespace

std::vector<std::uint8_t> encodeScreenShot(const display::Screen& screen) {
  const display::ScreenLock lock(screen.screenLock);
  if (!hasVisiblePage(screen)) return {};
  const auto width = static_cast<std::uint32_t>(screen.width);
  const auto height = static_cast<std::uint32_t>(screen.height);
  const std::uint32_t rowSize = (width + 3u) & ~3u;
  const std::uint64_t fileSize = pixelOffset + std::uint64_t{rowSize} * height;
  if (fileSize > 0xFFFFFFFFu) return {};

  std::vector<std::uint8_t> out(fileSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<std::uint32_t>(fileSize));
  put32(out, 10, pixelOffset);
  put32(out, 14, infoHeaderSize);
  put32(out, 18, width);
  put32(out, 22, height);
  put16(out, 26, 1);  // planes
  put16(out, 28, 8);  // bits per pixel
  put32(out, 34, rowSize * height);
  put32(out, 46, 256);  // colours used
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint32_t bgr = screen.palette[i];
    const std::size_t at = fileHeaderSize + infoHeaderSize + 4 * i;
    out[at] = static_cast<std::uint8_t>(bgr >> 16);
    out[at + 1] = static_cast<std::uint8_t>(bgr >> 8);
    out[at + 2] = static_cast<std::uint8_t>(bgr);
  }
  const std::vector<std::uint8_t>& page = screen.pages[screen.visiblePage];
  for (std::uint32_t y = 0; y < height; ++y) {
    const auto source = page.begin() + std::int64_t{screen.pitch} * y;
    const std::size_t row = pixelOffset + std::size_t{rowSize} * (height - 1 - y);
    std::copy_n(source, width, out.begin() + static_cast<std::ptrdiff_t>(row));
  }
  return out;
}

pictures::Picture pictureOfScreen(const display::Screen& screen) {
  return pictureOfPage(screen, screen.visiblePage);
}

pictures::Picture pictureOfPage(const display::Screen& screen, std::int32_t page) {
  const display::ScreenLock lock(screen.screenLock);
  if (!hasPage(screen, page)) return {};
  pictures::Picture picture;
  picture.width = screen.width;
  picture.height = screen.height;
  picture.palette = screen.palette;
  picture.pixels.resize(static_cast<std::size_t>(screen.width) * screen.height);
  const std::vector<std::uint8_t>& pixels = screen.pages[static_cast<std::size_t>(page)];
  for (std::int32_t y = 0; y < screen.height; ++y) {
    std::copy_n(pixels.begin() + std::int64_t{screen.pitch} * y, screen.width,
                picture.pixels.begin() + std::int64_t{screen.width} * y);
  }
  return picture;
}

std::vector<std::uint8_t> encodeShotFor(const display::Screen& screen, const std::string& fileName,
                                        std::string& whyNot) {
  if (!namesPng(fileName)) {
    std::vector<std::uint8_t> bmp = encodeScreenShot(screen);
    if (bmp.empty()) whyNot = "no picture to take";
    return bmp;
  }
  pictures::Encoded encoded = pictures::encodePng(pictureOfScreen(screen));
  whyNot = encoded.error;
  return std::move(encoded.bytes);
}

bool writeScreenShot(const display::Screen& screen, const std::string& fileName) {
  const std::vector<std::uint8_t> bytes = encodeScreenShot(screen);
  if (bytes.empty()) return false;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return files::writeWholeFile(fileName, text).ok();
}

}  // namespace squish::app
