// Bitmap fonts: cutting the 16 x 16 cell sheet into one glyph image per byte value (as 0/255
// masks on the 8-bit screen), drawing a character with three image transfers so that its
// background may stay transparent, and the toolkit's current font.
#include "widgets/font.h"

#include <algorithm>
#include <new>

#include "display/draw.h"
#include "files/whole_file.h"

namespace squish::widgets {

namespace {

constexpr std::int64_t cellsPerSide = 16;
constexpr std::int64_t glyphCount = 256;
constexpr std::int64_t headerBytes = 4;
// The largest image the display can make (createImage's limits).
constexpr std::int64_t maxImageWidth = 8191;
constexpr std::int64_t maxImageHeight = 65535;

std::span<const std::uint8_t> glyphOf(const BitmapFont& font, std::int32_t code) {
  const auto stride = static_cast<std::size_t>(font.glyphStride);
  return std::span<const std::uint8_t>(font.glyphs)
      .subspan(static_cast<std::size_t>(code & 255) * stride, stride);
}

bool sheetFits(std::span<const std::uint8_t> sheet, std::int64_t width, std::int64_t height,
               std::int32_t bytesPerPixel) {
  return display::imageBytesPerPixel(sheet) == bytesPerPixel &&
         display::imageWidth(sheet) == width && display::imageHeight(sheet) == height &&
         static_cast<std::int64_t>(sheet.size()) >= headerBytes + width * height * bytesPerPixel;
}

// Cuts glyph k out of the sheet; 8-bit glyphs become masks of 0 (background) and 255 (ink).
bool cutGlyph(display::Screen& screen, BitmapFont& font, std::span<std::uint8_t> sheet,
              std::int32_t k, std::int32_t bytesPerPixel) {
  const std::int64_t left = (k % cellsPerSide) * font.cellWidth;
  const std::int64_t top = (k / cellsPerSide) * font.cellHeight;
  const auto stride = static_cast<std::size_t>(font.glyphStride);
  const std::span<std::uint8_t> glyph =
      std::span<std::uint8_t>(font.glyphs).subspan(static_cast<std::size_t>(k) * stride, stride);
  if (!display::getImage(screen, sheet, static_cast<float>(left), static_cast<float>(top),
                         static_cast<float>(left + font.cellWidth - 1),
                         static_cast<float>(top + font.cellHeight - 1), glyph)) {
    return false;
  }
  if (bytesPerPixel == 1) {
    const auto pixels = glyph.subspan(headerBytes, static_cast<std::size_t>(font.cellWidth) *
                                                       static_cast<std::size_t>(font.cellHeight));
    std::replace_if(
        pixels.begin(), pixels.end(), [](std::uint8_t p) { return p != 0; }, 255);
  }
  return true;
}

}  // namespace

std::unique_ptr<BitmapFont> loadFont(Toolkit& toolkit, std::int32_t cellWidth,
                                     std::int32_t cellHeight, const std::string& fileName) {
  if (toolkit.screen == nullptr || cellWidth < 1 || cellHeight < 1) return nullptr;
  const std::int64_t width = cellsPerSide * cellWidth;
  const std::int64_t height = cellsPerSide * cellHeight;
  if (width > maxImageWidth || height > maxImageHeight) return nullptr;
  display::Screen& screen = *toolkit.screen;
  display::ImageBuffer sheet =
      display::createImage(screen, static_cast<std::int32_t>(width),
                           static_cast<std::int32_t>(height), display::defaultColour);
  if (sheet.empty()) return nullptr;
  // The sheet takes the image's pixels only: the font's colours are its own business, so the
  // file's colour table is not used. The file's own size goes into the header; any other size
  // than the sheet's would make the glyphs read the wrong pixels, so such a file is refused.
  const files::WholeFile file = files::readWholeFile(fileName);
  std::unique_ptr<BitmapFont> font;
  if (file.ok() &&
      display::readImageBlock(file.data(), sheet, screen.bytesPerPixel) == display::loaded) {
    font = buildFont(toolkit, cellWidth, cellHeight, sheet);
  }
  display::destroyImage(sheet);
  return font;
}

std::unique_ptr<BitmapFont> buildFont(Toolkit& toolkit, std::int32_t cellWidth,
                                      std::int32_t cellHeight, std::span<std::uint8_t> sheet) {
  if (toolkit.screen == nullptr || cellWidth < 1 || cellHeight < 1) return nullptr;
  display::Screen& screen = *toolkit.screen;
  auto font = std::unique_ptr<BitmapFont>(new (std::nothrow) BitmapFont);
  if (!font) return nullptr;
  font->cellWidth = cellWidth;
  font->cellHeight = cellHeight;
  font->scratch = display::createImage(screen, cellWidth, cellHeight, display::defaultColour);
  if (font->scratch.empty()) return nullptr;
  const std::int32_t bytesPerPixel = display::imageBytesPerPixel(font->scratch);
  if (!sheetFits(sheet, cellsPerSide * cellWidth, cellsPerSide * cellHeight, bytesPerPixel)) {
    return nullptr;
  }
  const std::int64_t pixelBytes = std::int64_t{cellWidth} * bytesPerPixel * cellHeight;
  font->glyphStride = static_cast<std::int32_t>((pixelBytes + 3) / 4 * 4 + headerBytes);
  try {
    font->glyphs.assign(static_cast<std::size_t>(glyphCount * font->glyphStride), 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  for (std::int32_t k = 0; k < glyphCount; ++k) {
    if (!cutGlyph(screen, *font, sheet, k, bytesPerPixel)) return nullptr;
  }
  return font;
}

void freeFont(Toolkit& toolkit, std::unique_ptr<BitmapFont> font) {
  if (font && toolkit.font == font.get()) toolkit.font = nullptr;
}

// The scratch cell gets NOT ink on the glyph's ink pixels and 0 elsewhere; the page gets all
// bits set on ink pixels (OR with the 255 mask), and XOR with the scratch turns those into ink
// while leaving the background as it was (or paper, when not transparent).
std::int32_t drawChar(BitmapFont& font, display::Screen& screen, std::int32_t x, std::int32_t y,
                      std::int32_t code, std::uint32_t ink, std::uint32_t paper, bool transparent) {
  const std::span<const std::uint8_t> glyph = glyphOf(font, code);
  // Only the pixel bits matter; masking keeps NOT ink from ever equalling defaultColour.
  const std::uint32_t notInk = ~ink & 0xFFu;
  const auto right = static_cast<float>(std::int64_t{x} + font.cellWidth - 1);
  const auto bottom = static_cast<float>(std::int64_t{y} + font.cellHeight - 1);
  const auto fx = static_cast<float>(x);
  const auto fy = static_cast<float>(y);
  display::drawLine(screen, font.scratch, 0.0f, 0.0f, static_cast<float>(font.cellWidth - 1),
                    static_cast<float>(font.cellHeight - 1), notInk, display::filledBox, 0xFFFF);
  display::putImage(screen, font.scratch, 0.0f, 0.0f, glyph, display::andMode);
  if (!transparent) {
    display::drawLine(screen, display::workPage, fx, fy, right, bottom, paper, display::filledBox,
                      0xFFFF);
  }
  display::putImage(screen, display::workPage, fx, fy, glyph, display::orMode);
  display::putImage(screen, display::workPage, fx, fy, font.scratch, display::xorMode);
  return font.cellWidth;
}

BitmapFont* setCurrentFont(Toolkit& toolkit, BitmapFont* font) {
  BitmapFont* previous = toolkit.font;
  toolkit.font = font;
  return previous;
}

BitmapFont* currentFont(Toolkit& toolkit) {
  return toolkit.font;
}

// Every cell of a font is as wide and as high as every other, whatever the code.
std::int32_t charWidth(Toolkit& toolkit, std::int32_t) {
  return toolkit.font != nullptr ? toolkit.font->cellWidth : 0;
}

std::int32_t charHeight(Toolkit& toolkit, std::int32_t) {
  return toolkit.font != nullptr ? toolkit.font->cellHeight : 0;
}

}  // namespace squish::widgets
