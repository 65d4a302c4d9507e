// The BMP loader's checklist of damaged files not covered by the loader's own tests: header
// sizes other than 40, compressed files, masked files with bad or missing masks, colour tables
// beyond 256 entries, pixel indices beyond the table, height 0, and a directory as a file.
#include <gtest/gtest.h>

#include <filesystem>

#include "display/image.h"
#include "tests/display/display_test_support.h"

namespace squish::display {
namespace {

using testing::bmpTableColour;
using testing::makeBmp;
using testing::putU16;
using testing::putU32;
using Bytes = std::vector<std::uint8_t>;

class BadBmp : public ::testing::Test {
 protected:
  void SetUp() override { testing::openWindowlessScreen(screen); }

  LoadResult load(const Bytes& file, Bytes& image) {
    image.assign(4 + 4 * 2, 0xEE);
    return loadImageMemory(screen, file, image);
  }

  Screen screen;
};

TEST_F(BadBmp, InformationHeadersOtherThanFortyBytesAreFormatErrors) {
  Bytes image;
  for (std::uint32_t size : {0u, 12u, 39u, 41u, 52u, 56u, 64u, 108u, 124u, 0xFFFFFFFFu}) {
    Bytes file = makeBmp(4, 2, 8, 4, {1, 2, 3, 0, 3, 2, 1, 0});
    putU32(file, 14, size);
    EXPECT_EQ(load(file, image), formatError) << size;
    EXPECT_EQ(std::count(image.begin(), image.end(), 0xEE), 12) << size;
  }
  EXPECT_EQ(screen.palette, defaultPalette());
}

TEST_F(BadBmp, RunLengthFilesReadAsPlainRowsAndMaskedFilesNeedTheirMasks) {
  const Bytes pixels = {1, 2, 3, 0, 3, 2, 1, 0};
  Bytes image;
  for (std::uint32_t compression : {1u, 2u, 4u, 0xFFFFFFFFu}) {
    Bytes file = makeBmp(4, 2, 8, 4, pixels);
    putU32(file, 30, compression);
    EXPECT_EQ(load(file, image), loaded) << compression;
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), image.begin() + 4)) << compression;
  }
  // Masks cut short by the end of the file, and masks on an 8-bit file: the palette stays.
  const auto paletteBefore = screen.palette;
  Bytes masked = makeBmp(4, 2, 32, 0, {});
  putU32(masked, 30, 3);
  masked.resize(54 + 8);
  EXPECT_EQ(load(masked, image), formatError);
  Bytes eightBit = makeBmp(4, 2, 8, 0, pixels);
  putU32(eightBit, 30, 3);
  EXPECT_EQ(load(eightBit, image), formatError);
  eightBit.insert(eightBit.begin() + 54, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0});
  EXPECT_EQ(load(eightBit, image), notPossible);
  EXPECT_EQ(screen.palette, paletteBefore);
}

TEST_F(BadBmp, ColourTablesBeyond256EntriesFillOnlyThePalette) {
  const Bytes pixels = {255, 254, 1, 0, 9, 8, 7, 6};
  Bytes file = makeBmp(4, 2, 8, 300, pixels);
  Bytes image;
  EXPECT_EQ(load(file, image), loaded);
  for (std::uint32_t i = 0; i < 256; ++i)
    EXPECT_EQ(screen.palette[i], bmpTableColour(i));
  // The rows start after the whole table, not after its first 256 entries.
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), image.begin() + 4));
}

TEST_F(BadBmp, IndicesBeyondTheTableAreKeptAndOtherEntriesKeepTheirColours) {
  const Bytes pixels = {15, 14, 2, 0, 9, 8, 7, 1};
  Bytes image;
  EXPECT_EQ(load(makeBmp(4, 2, 4, 3, pixels), image), loaded);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), image.begin() + 4));
  for (std::uint32_t i = 0; i < 256; ++i) {
    EXPECT_EQ(screen.palette[i], i < 3 ? bmpTableColour(i) : defaultPalette()[i]) << i;
  }
}

TEST_F(BadBmp, HeightZeroLoadsNoRowsAndADirectoryIsNoImage) {
  Bytes file = makeBmp(4, 2, 8, 4, {1, 2, 3, 0, 3, 2, 1, 0});
  putU32(file, 22, 0);
  Bytes image;
  EXPECT_EQ(load(file, image), loaded);
  EXPECT_EQ(imageHeight(image), 0);
  EXPECT_EQ(std::count(image.begin() + 4, image.end(), 0xEE), 8);

  image.assign(12, 0xEE);
  const LoadResult result =
      loadImageFile(screen, std::filesystem::temp_directory_path().string(), image);
  EXPECT_TRUE(result == cannotOpen || result == formatError) << result;
  // An endless device is no image either, and is not read to its end.
  EXPECT_EQ(loadImageFile(screen, "/dev/zero", image), cannotOpen);
  EXPECT_EQ(std::count(image.begin(), image.end(), 0xEE), 12);
}

}  // namespace
}  // namespace squish::display
