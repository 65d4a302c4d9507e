// Bitmap fonts: building glyph masks from a sheet, drawing a character over any background,
// measuring and aligning text, the two position searches, and font files that must be refused.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "widgets/font.h"
#include "widgets/text.h"

namespace squish::widgets::testing {
namespace {

using FontTest = WidgetFixture;

// An uncompressed BMP of the given bit depth (1, 4 or 8) with a grey colour table; pixel
// values are taken from `pixelAt` and reduced to the depth.
std::vector<std::uint8_t> makeBmp(std::int32_t width, std::int32_t height, std::int32_t bits,
                                  std::uint8_t (*pixelAt)(std::int32_t, std::int32_t)) {
  const std::int32_t colours = 1 << bits;
  const std::int32_t rowBytes = ((width * bits + 31) / 32) * 4;
  const std::int32_t dataOffset = 54 + colours * 4;
  std::vector<std::uint8_t> file(static_cast<std::size_t>(dataOffset + rowBytes * height), 0);
  auto put32 = [&](std::size_t at, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
      file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::int32_t>(file.size()));
  put32(10, dataOffset);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  file[26] = 1;
  file[28] = static_cast<std::uint8_t>(bits);
  for (std::int32_t c = 0; c < colours; ++c) {
    for (int k = 0; k < 3; ++k)
      file[54 + c * 4 + k] = static_cast<std::uint8_t>(c * 255 / (colours - 1));
  }
  for (std::int32_t y = 0; y < height; ++y) {
    const std::size_t row = static_cast<std::size_t>(dataOffset + (height - 1 - y) * rowBytes);
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint8_t v = static_cast<std::uint8_t>(pixelAt(x, y) & (colours - 1));
      const std::int32_t bit = x * bits;
      file[row + bit / 8] |= static_cast<std::uint8_t>(v << (8 - bits - bit % 8));
    }
  }
  return file;
}

std::uint8_t inkAtCellCorner(std::int32_t x, std::int32_t y) {
  return (x % 6 == 0 && y % 8 == 0) ? 1 : 0;
}

struct FontFiles : FontTest {
  std::filesystem::path dir;
  FontFiles() {
    dir = std::filesystem::temp_directory_path() /
          ("squish_font_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  ~FontFiles() override { std::filesystem::remove_all(dir); }
  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path path = dir / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
};

TEST_F(FontTest, AGlyphIsDrawnInTheInkColourOverAnyBackground) {
  useTestFont();
  EXPECT_EQ(font->glyphStride, 52);
  for (const std::uint32_t ink : {0u, 9u, 255u}) {
    fillPage(7);
    EXPECT_EQ(drawText(toolkit, 10, 20, "X", ink, 3, 1), 6);
    for (std::int32_t y = 0; y < 8; ++y) {
      for (std::int32_t x = 0; x < 6; ++x) {
        // The sheet's index 200 at (3, 3) is ink like index 15.
        ASSERT_EQ(pixel(10 + x, 20 + y), x == y ? ink : 7u) << ink << ":" << x << "," << y;
      }
    }
    EXPECT_EQ(pixel(16, 20), 7);
  }
  // Opaque drawing paints the cell's background with the paper colour.
  fillPage(7);
  drawText(toolkit, 10, 20, "X", 0, 3, 0);
  EXPECT_EQ(pixel(10, 20), 0);
  EXPECT_EQ(pixel(11, 20), 3);
  EXPECT_EQ(pixel(15, 25), 0);
  EXPECT_EQ(pixel(15, 27), 3);
  EXPECT_EQ(pixel(16, 27), 7);
}

TEST_F(FontTest, CodeZeroAndHighCodesUseTheirOwnCellsOfTheSheet) {
  useTestFont();
  fillPage(7);
  drawText(toolkit, 0, 0, std::string_view("\0", 1), 0, 0, 1);
  drawText(toolkit, 10, 0, "\xC8", 0, 0, 1);  // 200
  EXPECT_EQ(pixel(0, 0), 0);
  EXPECT_EQ(pixel(1, 2), 7);
  EXPECT_EQ(pixel(15, 7), 0);
  EXPECT_EQ(pixel(11, 2), 7);
  // Clipped at the page's edges without harm.
  drawText(toolkit, -3, -5, "AB", 0, 4, 0);
  drawText(toolkit, 637, 476, "AB", 0, 4, 0);
  EXPECT_EQ(pixel(0, 0), 4);
  EXPECT_EQ(pixel(639, 479), 4);
}

TEST_F(FontTest, TextIsMeasuredAndAlignedByTheCurrentFont) {
  EXPECT_EQ(textWidth(toolkit, "Apply"), 0);
  EXPECT_EQ(drawText(toolkit, 0, 0, "Apply", 0, 0, 1), 0);
  useTestFont();
  EXPECT_EQ(textWidth(toolkit, "Apply"), 30);
  EXPECT_EQ(textHeight(toolkit, "Apply"), 8);
  EXPECT_EQ(charWidth(toolkit, 'q'), 6);

  fillPage(7);
  drawTextAligned(toolkit, Rect{8, 8, 60, 16}, "Apply", 0, 3, alignCentreX | alignCentreY);
  EXPECT_EQ(pixel(23 + inkX, 12 + inkY), 0);
  EXPECT_EQ(pixel(23 + 24 + inkX, 12 + inkY), 0);
  EXPECT_EQ(pixel(22 + inkX, 12 + inkY), 7);
  fillPage(7);
  drawTextAligned(toolkit, Rect{8, 8, 60, 16}, "ab", 0, 3, alignRight | alignBottom);
  EXPECT_EQ(pixel(8 + 48 + inkX, 8 + 8 + inkY), 0);
  fillPage(7);
  // Wider than the rectangle: starts left of it.
  drawTextAligned(toolkit, Rect{100, 100, 6, 8}, "abc", 0, 3, alignCentreX);
  EXPECT_EQ(pixel(94 + inkX, 100 + inkY), 0);

  BitmapFont* mine = font.get();
  EXPECT_EQ(setCurrentFont(toolkit, nullptr), mine);
  EXPECT_EQ(textHeight(toolkit, "x"), 0);
  setCurrentFont(toolkit, mine);
  freeFont(toolkit, std::move(font));
  EXPECT_EQ(currentFont(toolkit), nullptr);
}

TEST_F(FontTest, PositionSearchesWalkByCharacterCells) {
  useTestFont();
  const std::string_view six = "abcdef";
  EXPECT_EQ(indexAtOffset(toolkit, six, 0, 1), 0);
  EXPECT_EQ(indexAtOffset(toolkit, six, 0, 6), 0);
  EXPECT_EQ(indexAtOffset(toolkit, six, 0, 7), 1);
  EXPECT_EQ(indexAtOffset(toolkit, six, 0, 100), 6);
  EXPECT_EQ(indexAtOffset(toolkit, six, 3, 0), 3);
  const std::string_view twenty = "abcdefghijklmnopqrst";
  EXPECT_EQ(indexAtOffset(toolkit, twenty, 12, -29), 8);
  EXPECT_EQ(indexAtOffset(toolkit, twenty, 12, -1000), 0);
  // Positions outside the text are taken as its nearest end.
  EXPECT_EQ(indexAtOffset(toolkit, six, -50, 7), 1);
  EXPECT_EQ(indexAtOffset(toolkit, six, 50, -7), 5);
  EXPECT_EQ(indexAtOffset(toolkit, six, 50, 0), 6);

  EXPECT_EQ(charsThatFit(toolkit, twenty, 0), 0);
  EXPECT_EQ(charsThatFit(toolkit, twenty, 58), 9);
  EXPECT_EQ(charsThatFit(toolkit, twenty, 60), 9);
  EXPECT_EQ(charsThatFit(toolkit, six, 1000), 6);
  EXPECT_EQ(charsThatFit(toolkit, "", 10), 0);
}

TEST_F(FontFiles, AFontFileOfTheRightSizeLoadsAtAnyPaletteDepth) {
  for (const std::int32_t bits : {1, 4, 8}) {
    const std::string path =
        write("sheet" + std::to_string(bits) + ".bmp", makeBmp(96, 128, bits, inkAtCellCorner));
    std::unique_ptr<BitmapFont> loaded = loadFont(toolkit, 6, 8, path);
    ASSERT_NE(loaded, nullptr) << bits;
    setCurrentFont(toolkit, loaded.get());
    fillPage(7);
    drawText(toolkit, 0, 0, "Q", 2, 0, 1);
    EXPECT_EQ(pixel(0, 0), 2);
    EXPECT_EQ(pixel(1, 0), 7);
    freeFont(toolkit, std::move(loaded));
  }
}

TEST_F(FontFiles, FontFilesOfAnotherSizeOrFormatAreRefused) {
  EXPECT_EQ(loadFont(toolkit, 6, 8, (dir / "missing.bmp").string()), nullptr);
  EXPECT_EQ(loadFont(toolkit, 6, 8, write("wide.bmp", makeBmp(97, 128, 8, inkAtCellCorner))),
            nullptr);
  EXPECT_EQ(loadFont(toolkit, 6, 8, write("large.bmp", makeBmp(192, 256, 8, inkAtCellCorner))),
            nullptr);
  EXPECT_EQ(loadFont(toolkit, 6, 8, write("turned.bmp", makeBmp(128, 96, 8, inkAtCellCorner))),
            nullptr);
  EXPECT_EQ(loadFont(toolkit, 6, 8, write("small.bmp", makeBmp(6, 8, 8, inkAtCellCorner))),
            nullptr);
  std::vector<std::uint8_t> truncated = makeBmp(96, 128, 8, inkAtCellCorner);
  truncated.resize(truncated.size() / 2);
  EXPECT_EQ(loadFont(toolkit, 6, 8, write("short.bmp", truncated)), nullptr);
  EXPECT_EQ(loadFont(toolkit, 6, 8, write("text.bmp", {'h', 'i'})), nullptr);
  std::vector<std::uint8_t> deep = makeBmp(96, 128, 8, inkAtCellCorner);
  deep[28] = 24;
  EXPECT_EQ(loadFont(toolkit, 6, 8, write("deep.bmp", deep)), nullptr);

  const std::string good = write("good.bmp", makeBmp(96, 128, 8, inkAtCellCorner));
  EXPECT_EQ(loadFont(toolkit, 0, 8, good), nullptr);
  EXPECT_EQ(loadFont(toolkit, 6, -8, good), nullptr);
  EXPECT_EQ(loadFont(toolkit, INT32_MAX, INT32_MAX, good), nullptr);
  EXPECT_EQ(loadFont(toolkit, 7, 8, good), nullptr);

  // A sheet image block that is too short for its own header is refused as well.
  display::ImageBuffer sheet = makeTestSheet(screen);
  sheet.resize(sheet.size() - 1);
  EXPECT_EQ(buildFont(toolkit, 6, 8, sheet), nullptr);
  EXPECT_EQ(buildFont(toolkit, 6, 8, {}), nullptr);
}

}  // namespace
}  // namespace squish::widgets::testing
