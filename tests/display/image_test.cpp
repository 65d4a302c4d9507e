// Image blocks: their header, making them, copying rectangles out of pages and images, and
// combining them onto pages and images in every put mode with source rectangles and clipping.
#include "display/image.h"

#include <gtest/gtest.h>

#include <numeric>

#include "tests/display/display_test_support.h"

namespace squish::display {
namespace {

using testing::clearDirtyRows;
using testing::dirtyRowCount;
using testing::openWindowlessScreen;
using testing::pixelAt;

class Images : public ::testing::Test {
 protected:
  void SetUp() override { openWindowlessScreen(screen); }

  // A width × height image whose pixel (c, r) is first + r * width + c.
  ImageBuffer numbered(std::int32_t width, std::int32_t height, std::uint8_t first = 1) {
    ImageBuffer image = createImage(screen, width, height, defaultColour);
    std::iota(image.begin() + 4, image.end(), first);
    return image;
  }

  Screen screen;
};

TEST_F(Images, HeaderHoldsPixelSizeWidthAndHeight) {
  ImageBuffer image = createImage(screen, 6, 8, 0x1FF);
  ASSERT_EQ(image.size(), 4u + 48u);
  EXPECT_EQ(image[0], 6 << 3 | 1);
  EXPECT_EQ(image[1], 0);
  EXPECT_EQ(image[2], 8);
  EXPECT_EQ(image[3], 0);
  EXPECT_EQ(imageBytesPerPixel(image), 1);
  EXPECT_EQ(imageWidth(image), 6);
  EXPECT_EQ(imageHeight(image), 8);
  EXPECT_EQ(std::count(image.begin() + 4, image.end(), 0xFF), 48);

  std::vector<std::uint8_t> block(4, 0);
  writeImageHeader(block, 1, 8191, 65535);
  EXPECT_EQ(imageWidth(block), 8191);
  EXPECT_EQ(imageHeight(block), 65535);
  const std::vector<std::uint8_t> shortBlock(3, 0xFF);
  EXPECT_EQ(imageWidth(shortBlock), 0);
  EXPECT_EQ(imageHeight(shortBlock), 0);
  EXPECT_EQ(imageBytesPerPixel(shortBlock), 0);
}

TEST_F(Images, CreateImageRefusesSizesTheHeaderCannotHold) {
  EXPECT_TRUE(createImage(screen, 8192, 1, 3).empty());
  EXPECT_TRUE(createImage(screen, 1, 0, 3).empty());
  EXPECT_TRUE(createImage(screen, 0, 1, 3).empty());
  EXPECT_TRUE(createImage(screen, -4, 4, 3).empty());
  EXPECT_TRUE(createImage(screen, 1, 65536, 3).empty());
  ImageBuffer widest = createImage(screen, 8191, 1, defaultColour);
  EXPECT_EQ(widest.size(), 4u + 8191u);
  EXPECT_EQ(std::count(widest.begin() + 4, widest.end(), 0), 8191);
  destroyImage(widest);
  EXPECT_TRUE(widest.empty());
  destroyImage(widest);
}

TEST_F(Images, GetImageCutsACellWithItsHeader) {
  const ImageBuffer sheetSource = numbered(96, 128);
  ImageBuffer sheet = sheetSource;
  std::vector<std::uint8_t> glyph(52, 0xEE);
  ASSERT_TRUE(getImage(screen, sheet, 0, 0, 5, 7, glyph));
  EXPECT_EQ(glyph[0], 6 << 3 | 1);
  EXPECT_EQ(glyph[2], 8);
  for (std::int32_t r = 0; r < 8; ++r) {
    for (std::int32_t c = 0; c < 6; ++c) {
      EXPECT_EQ(glyph[4 + r * 6 + c], sheet[4 + r * 96 + c]);
    }
  }
  std::vector<std::uint8_t> reversed(52, 0);
  ASSERT_TRUE(getImage(screen, sheet, 95, 127, 90, 120, reversed));
  EXPECT_EQ(reversed[4], sheet[4 + 120 * 96 + 90]);
  EXPECT_EQ(reversed[51], sheet[4 + 127 * 96 + 95]);

  // Not wholly inside the source, or a destination too small: nothing written.
  std::vector<std::uint8_t> untouched(52, 0xEE);
  EXPECT_FALSE(getImage(screen, sheet, 91, 0, 96, 7, untouched));
  EXPECT_FALSE(getImage(screen, sheet, -1, 0, 4, 7, untouched));
  std::vector<std::uint8_t> small(51, 0xEE);
  EXPECT_FALSE(getImage(screen, sheet, 0, 0, 5, 7, small));
  EXPECT_EQ(std::count(untouched.begin(), untouched.end(), 0xEE), 52);
  EXPECT_EQ(std::count(small.begin(), small.end(), 0xEE), 51);
  EXPECT_EQ(sheet, sheetSource);

  // From the work page.
  screen.pages[0][479 * 640 + 639] = 42;
  std::vector<std::uint8_t> corner(5, 0);
  ASSERT_TRUE(getImage(screen, workPage, 639, 479, 639, 479, corner));
  EXPECT_EQ(corner[4], 42);
  EXPECT_FALSE(getImage(screen, workPage, 639, 479, 640, 479, corner));
}

TEST_F(Images, PutImageCombinesInEveryMode) {
  // Source pixels 0, 0x0F, 0xF0 over target pixels 0x3C.
  std::vector<std::uint8_t> source(4 + 3, 0);
  writeImageHeader(source, 1, 3, 1);
  source[5] = 0x0F;
  source[6] = 0xF0;
  struct Expected {
    std::int32_t mode;
    std::array<std::uint8_t, 3> pixels;
  };
  const Expected cases[] = {
      {transparent, {0x3C, 0x0F, 0xF0}},  {copy, {0x00, 0x0F, 0xF0}},
      {copyInverted, {0xFF, 0xF0, 0x0F}}, {andMode, {0x00, 0x0C, 0x30}},
      {orMode, {0x3C, 0x3F, 0xFC}},       {xorMode, {0x3C, 0x33, 0xCC}},
  };
  for (const Expected& e : cases) {
    clearPage(screen, 0x3C);
    EXPECT_TRUE(putImage(screen, workPage, 10, 20, source, e.mode));
    for (std::int32_t c = 0; c < 3; ++c) {
      EXPECT_EQ(pixelAt(screen, 0, 10 + c, 20), e.pixels[c]) << "mode " << e.mode;
    }
    EXPECT_EQ(pixelAt(screen, 0, 13, 20), 0x3C);
    EXPECT_EQ(pixelAt(screen, 0, 10, 21), 0x3C);
  }
  clearPage(screen, 0x3C);
  EXPECT_FALSE(putImage(screen, workPage, 10, 20, source, 6));
  EXPECT_EQ(pixelAt(screen, 0, 11, 20), 0x3C);
}

TEST_F(Images, PutImageClipsAndSkipsTheSameSourceColumnsAndRows) {
  const ImageBuffer glyph = numbered(6, 8);
  putImage(screen, workPage, -3, 0, glyph, copy);
  testing::PixelSet expected;
  for (std::int32_t r = 0; r < 8; ++r) {
    for (std::int32_t c = 0; c < 3; ++c) {
      EXPECT_EQ(pixelAt(screen, 0, c, r), glyph[4 + r * 6 + c + 3]);
      expected.insert({c, r});
    }
  }
  EXPECT_EQ(testing::inkedPixels(screen, 0), expected);

  clearPage(screen);
  putImage(screen, workPage, 636.6f, 476, glyph, copy);
  EXPECT_EQ(pixelAt(screen, 0, 637, 476), glyph[4]);
  EXPECT_EQ(pixelAt(screen, 0, 639, 479), glyph[4 + 3 * 6 + 2]);
  EXPECT_EQ(testing::inkedPixels(screen, 0).size(), 12u);

  clearPage(screen);
  putImage(screen, workPage, 640, 0, glyph, copy);
  putImage(screen, workPage, -6, 0, glyph, copy);
  putImage(screen, workPage, 0, -1e30f, glyph, copy);
  putImage(screen, workPage, std::numeric_limits<float>::quiet_NaN(), 0, glyph, copy);
  EXPECT_TRUE(testing::inkedPixels(screen, 0).empty());
}

TEST_F(Images, SourceRectangleIsOrderedAndKeptWithinTheSource) {
  const ImageBuffer source = numbered(4, 4);
  ImageBuffer target = createImage(screen, 5, 5, defaultColour);
  putImage(screen, target, 0, 0, source, copy, 2, 3, 1, 1);
  EXPECT_EQ(target[4 + 0], source[4 + 1 * 4 + 1]);
  EXPECT_EQ(target[4 + 1], source[4 + 1 * 4 + 2]);
  EXPECT_EQ(target[4 + 2 * 5 + 1], source[4 + 3 * 4 + 2]);
  EXPECT_EQ(target[4 + 2], 0);
  EXPECT_EQ(target[4 + 3 * 5], 0);

  ImageBuffer clamped = createImage(screen, 5, 5, defaultColour);
  putImage(screen, clamped, 1, 1, source, copy, 0xFFFFFFF0u, 2, 100, 100);
  EXPECT_EQ(clamped[4 + 1 * 5 + 1], source[4 + 2 * 4]);
  EXPECT_EQ(clamped[4 + 2 * 5 + 4], source[4 + 3 * 4 + 3]);
  EXPECT_EQ(clamped[4 + 3 * 5 + 1], 0);
}

TEST_F(Images, PutImageRefusesOtherPixelSizesAndShortBlocks) {
  std::vector<std::uint8_t> source(4 + 4, 7);
  writeImageHeader(source, 2, 2, 2);
  EXPECT_FALSE(putImage(screen, workPage, 0, 0, source, copy));
  writeImageHeader(source, 0, 2, 2);
  EXPECT_TRUE(putImage(screen, workPage, 0, 0, source, copy));
  EXPECT_EQ(pixelAt(screen, 0, 1, 1), 7);
  writeImageHeader(source, 1, 3, 2);
  EXPECT_FALSE(putImage(screen, workPage, 5, 5, source, copy));
  EXPECT_FALSE(
      putImage(screen, workPage, 5, 5, std::span<const std::uint8_t>(source).first(3), copy));
  EXPECT_EQ(pixelAt(screen, 0, 5, 5), 0);
}

TEST_F(Images, PuttingOnTheVisiblePageMarksTheRowsTouched) {
  const ImageBuffer glyph = numbered(6, 8);
  clearDirtyRows(screen);
  putImage(screen, workPage, 0, 476, glyph, orMode);
  EXPECT_EQ(dirtyRowCount(screen), 4);
  EXPECT_EQ(screen.dirtyRows[476], 1);
  setPages(screen, 1, 0);
  clearDirtyRows(screen);
  putImage(screen, workPage, 0, 0, glyph, orMode);
  EXPECT_EQ(dirtyRowCount(screen), 0);
  EXPECT_EQ(pixelAt(screen, 1, 5, 7), glyph.back());
}

}  // namespace
}  // namespace squish::display
