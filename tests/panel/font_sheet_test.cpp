// The panel's font sheet: the glyph source parser, the BMP and image block writers, and that
// the committed "6x8.bmp" and the built-in copy are exactly what the committed source gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "assets/builtin_font.h"
#include "tools/glyph_source.h"
#include "tools/sheet_writers.h"

namespace squish::tools {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

FontSheet parseOrFail(std::string_view text) {
  const GlyphSourceResult parsed = parseGlyphSource(text);
  EXPECT_TRUE(parsed.ok) << parsed.error;
  return parsed.sheet;
}

std::uint8_t sheetPixel(const FontSheet& sheet, std::int32_t x, std::int32_t y) {
  return sheet.pixels[static_cast<std::size_t>(y * sheetWidth + x)];
}

std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

TEST(FontSheet, CommittedBmpAndBuiltInCopyMatchTheGlyphSource) {
  const FontSheet sheet = parseOrFail(readFile(SQUISH_SOURCE_DIR "/assets/6x8-glyphs.txt"));
  const std::string committed = readFile(SQUISH_SOURCE_DIR "/assets/6x8.bmp");
  const std::vector<std::uint8_t> generated = encodeSheetBmp(sheet);
  EXPECT_TRUE(std::vector<std::uint8_t>(committed.begin(), committed.end()) == generated)
      << "assets/6x8.bmp is stale: regenerate it with font_sheet bmp";

  const std::vector<std::uint8_t> image = encodeSheetImage(sheet);
  const auto builtin = assets::builtinFontSheet();
  EXPECT_TRUE(std::vector<std::uint8_t>(builtin.begin(), builtin.end()) == image);
}

TEST(FontSheet, CodeLandsInItsCellInEveryEncoding) {
  // Code 65 sits at cell column 1, row 4: pixels (6..11, 32..39).
  const FontSheet sheet = parseOrFail(
      "; corners only\n"
      "== 65 'A'\n#.....\n......\n......\n......\n......\n......\n......\n.....#\n");
  EXPECT_EQ(sheetPixel(sheet, 6, 32), inkValue);
  EXPECT_EQ(sheetPixel(sheet, 11, 39), inkValue);
  EXPECT_EQ(sheetPixel(sheet, 7, 32), paperValue);
  std::int32_t inked = 0;
  for (std::uint8_t p : sheet.pixels)
    inked += p != 0;
  EXPECT_EQ(inked, 2);

  const std::vector<std::uint8_t> bmp = encodeSheetBmp(sheet);
  ASSERT_EQ(bmp.size(), 13366u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(le32(bmp, 2), 13366u);
  EXPECT_EQ(le32(bmp, 10), 1078u);  // pixels after 14 + 40 header bytes and 256 colours
  EXPECT_EQ(le32(bmp, 14), 40u);
  EXPECT_EQ(le32(bmp, 18), 96u);
  EXPECT_EQ(le32(bmp, 22), 128u);  // positive: bottom-up
  EXPECT_EQ(bmp[28], 8);
  EXPECT_EQ(le32(bmp, 46), 256u);
  EXPECT_EQ(le32(bmp, 54 + 15 * 4), 0x00FFFFFFu);  // ink colour 15 is white
  EXPECT_EQ(le32(bmp, 54), 0u);                    // paper colour 0 is black
  EXPECT_EQ(bmp[1078 + (127 - 32) * 96 + 6], inkValue);
  EXPECT_EQ(bmp[1078 + (127 - 39) * 96 + 11], inkValue);

  const std::vector<std::uint8_t> image = encodeSheetImage(sheet);
  ASSERT_EQ(image.size(), 4u + 96 * 128);
  EXPECT_EQ(image[0] | image[1] << 8, 1 | 96 << 3);
  EXPECT_EQ(image[2] | image[3] << 8, 128);
  EXPECT_EQ(image[4 + 32 * 96 + 6], inkValue);
  EXPECT_EQ(image[4 + 39 * 96 + 11], inkValue);
}

TEST(FontSheet, MalformedSourceIsRejectedWithItsLine) {
  const std::string rows8 = "......\n......\n......\n......\n......\n......\n......\n......\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"== 256\n" + rows8, "line 1:"},
      {"== 65x\n" + rows8, "line 1:"},
      {"==65\n" + rows8, "line 1:"},
      {"== \n" + rows8, "line 1:"},
      {"== 0065\n" + rows8, "line 1:"},
      {"hello\n", "line 1:"},
      {"......\n", "line 1: glyph row outside a cell"},
      {"== 1\n......\n..x...\n", "line 3: expected row 2 of 8 for code 1"},
      {"== 1\n.......\n", "line 2:"},
      {"== 1\n.....\n", "line 2:"},
      {"== 1\n......\n\n", "line 3:"},
      {"== 1\n" + rows8 + "......\n", "line 10: glyph row outside a cell"},
      {"== 7\n......\n......\n", "line 1: the cell of code 7 ends after 2 of 8 rows"},
      {"== 9\n" + rows8 + "\n== 9\n" + rows8, "line 11: code 9 already has a cell"},
  };
  for (const auto& c : cases) {
    const GlyphSourceResult parsed = parseGlyphSource(c.text);
    EXPECT_FALSE(parsed.ok) << c.text;
    EXPECT_EQ(parsed.error.rfind(c.error, 0), 0u) << "got \"" << parsed.error << "\" for\n"
                                                  << c.text;
  }
  // Carriage returns, comments, empty lines and labels are accepted.
  EXPECT_TRUE(parseGlyphSource("; note\r\n\r\n== 255 label\r\n" + rows8).ok);
  EXPECT_TRUE(parseGlyphSource("").ok);
}

// Letters are 5 × 7 in the cell's top-left: the right column is always spacing, and only
// descenders reach the bottom row.
TEST(FontSheet, PrintableGlyphsAreDrawnAndLeaveTheirSpacing) {
  const FontSheet sheet = parseOrFail(readFile(SQUISH_SOURCE_DIR "/assets/6x8-glyphs.txt"));
  const std::string_view descenders = "gjpqy,_";
  for (std::int32_t code = 32; code <= 126; ++code) {
    const std::int32_t left = (code % 16) * cellWidth;
    const std::int32_t top = (code / 16) * cellHeight;
    std::int32_t ink = 0;
    std::int32_t rightColumn = 0;
    std::int32_t bottomRow = 0;
    for (std::int32_t y = 0; y < cellHeight; ++y) {
      for (std::int32_t x = 0; x < cellWidth; ++x) {
        const bool inked = sheetPixel(sheet, left + x, top + y) != 0;
        ink += inked;
        rightColumn += inked && x == cellWidth - 1;
        bottomRow += inked && y == cellHeight - 1;
      }
    }
    const char c = static_cast<char>(code);
    EXPECT_EQ(ink > 0, code != ' ') << "code " << code;
    EXPECT_EQ(rightColumn, 0) << "code " << code;
    EXPECT_EQ(bottomRow > 0, descenders.find(c) != std::string_view::npos) << "code " << code;
  }
}

}  // namespace
}  // namespace squish::tools
