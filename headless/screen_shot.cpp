// BMP layout: a 14-byte file header, a 40-byte BITMAPINFOHEADER, 256 colour-table entries of
// blue, green, red, 0, then the rows from the bottom up, each padded to a multiple of 4 bytes.
#include "headless/screen_shot.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/screen_picture.h"
#include "pictures/png_file.h"

namespace squish::headless {
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
  const pictures::Picture picture = app::pictureOfScreen(screen);
  if (!picture.isWhole()) return {};
  const auto width = static_cast<std::uint32_t>(picture.width);
  const auto height = static_cast<std::uint32_t>(picture.height);
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
    const std::uint32_t colour = picture.palette[i];
    const std::size_t at = fileHeaderSize + infoHeaderSize + 4 * i;
    out[at] = pictures::blueOf(colour);
    out[at + 1] = pictures::greenOf(colour);
    out[at + 2] = pictures::redOf(colour);
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    const auto source = picture.pixels.begin() + std::int64_t{width} * y;
    const std::size_t row = pixelOffset + std::size_t{rowSize} * (height - 1 - y);
    std::copy_n(source, width, out.begin() + static_cast<std::ptrdiff_t>(row));
  }
  return out;
}

std::vector<std::uint8_t> encodeShotFor(const display::Screen& screen, const std::string& fileName,
                                        std::string& whyNot) {
  if (!namesPng(fileName)) {
    std::vector<std::uint8_t> bmp = encodeScreenShot(screen);
    if (bmp.empty()) whyNot = "no picture to take";
    return bmp;
  }
  pictures::Encoded encoded = pictures::encodePng(app::pictureOfScreen(screen));
  whyNot = encoded.error;
  return std::move(encoded.bytes);
}

}  // namespace squish::headless
