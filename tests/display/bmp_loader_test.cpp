// The BMP and raw-dump loader: 1-, 4- and 8-bit files of every padding, colour tables, the
// result codes, damaged and hostile files (truncated at every byte, absurd sizes and offsets),
// destinations smaller than the image, and raw dumps.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "display/image.h"
#include "tests/display/display_test_support.h"

namespace squish::display {
namespace {

using testing::bmpTableColour;
using testing::makeBmp;
using testing::openWindowlessScreen;
using testing::pixelAt;
using testing::putU16;
using testing::putU32;
using Bytes = std::vector<std::uint8_t>;

// Pixel values 0..modulus-1 in a repeating pattern, top row first.
std::vector<std::uint8_t> patternPixels(std::int32_t width, std::int32_t height,
                                        std::uint32_t modulus) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint8_t>((i * 7 + i / 3) % modulus);
  }
  return pixels;
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override { openWindowlessScreen(screen); }

  // Loads into a block of exactly 4 + width × height bytes.
  LoadResult loadInto(const std::vector<std::uint8_t>& file, std::int32_t width,
                      std::int32_t height, std::vector<std::uint8_t>& image) {
    image.assign(4 + static_cast<std::size_t>(width) * height, 0xEE);
    return loadImageMemory(screen, file, image);
  }

  Screen screen;
};

TEST_F(Loader, EightBitThreeByTwoLoadsItsRowsAndWholeColourTable) {
  const std::vector<std::uint8_t> pixels = {10, 11, 12, 20, 21, 22};
  const auto file = makeBmp(3, 2, 8, 256, pixels);
  ASSERT_EQ(file.size(), 54u + 1024u + 2 * 4);
  screen.paletteChanged = false;
  testing::clearDirtyRows(screen);
  std::vector<std::uint8_t> image;
  ASSERT_EQ(loadInto(file, 3, 2, image), loaded);
  EXPECT_EQ(image, (std::vector<std::uint8_t>{0x19, 0x00, 0x02, 0x00, 10, 11, 12, 20, 21, 22}));
  for (std::uint32_t i = 0; i < 256; ++i)
    EXPECT_EQ(screen.palette[i], bmpTableColour(i));
  EXPECT_TRUE(screen.paletteChanged);
  EXPECT_EQ(testing::dirtyRowCount(screen), 480);
}

TEST_F(Loader, EveryDepthAndWidthUnpacksOneByteePerPixel) {
  for (std::uint32_t bits : {1u, 4u, 8u}) {
    for (std::int32_t width = 1; width <= 9; ++width) {
      const std::uint32_t colours = 1u << bits;
      const auto pixels = patternPixels(width, 3, colours);
      std::vector<std::uint8_t> image;
      ASSERT_EQ(loadInto(makeBmp(width, 3, bits, colours, pixels), width, 3, image), loaded)
          << bits << " bits, width " << width;
      EXPECT_EQ(imageWidth(image), width);
      EXPECT_EQ(imageHeight(image), 3);
      EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), image.begin() + 4))
          << bits << " bits, width " << width;
    }
  }
  // A 1-bit row of width 9 is 2 bytes of pixels and 2 of padding.
  EXPECT_EQ(makeBmp(9, 2, 1, 2, patternPixels(9, 2, 2)).size(), 54u + 8u + 2 * 4);
}

TEST_F(Loader, ColourTableReplacesOnlyItsOwnEntries) {
  std::vector<std::uint8_t> image;
  ASSERT_EQ(loadInto(makeBmp(2, 2, 4, 16, {0, 15, 7, 8}), 2, 2, image), loaded);
  for (std::uint32_t i = 0; i < 16; ++i)
    EXPECT_EQ(screen.palette[i], bmpTableColour(i));
  for (std::uint32_t i = 16; i < 256; ++i)
    EXPECT_EQ(screen.palette[i], defaultPalette()[i]);

  // A table longer than the palette: 256 entries are used and the rows after it still load.
  auto file = makeBmp(2, 1, 8, 300, {250, 299 % 256});
  ASSERT_EQ(loadInto(file, 2, 1, image), loaded);
  EXPECT_EQ(screen.palette[255], bmpTableColour(255));
  EXPECT_EQ(image[4], 250);
  EXPECT_EQ(image[5], 299 % 256);
}

TEST_F(Loader, TrueColourAndUnknownFormatsReturnTheirCodes) {
  std::vector<std::uint8_t> image;
  for (std::uint32_t bits : {24u, 32u}) {
    ASSERT_EQ(loadInto(makeBmp(2, 2, bits, 0, {}), 2, 2, image), notPossible);
    EXPECT_EQ(imageWidth(image), 2);  // the header is written before the depth is refused
    EXPECT_EQ(image[4], 0xEE);
  }
  auto masked = makeBmp(2, 2, 32, 0, {});
  putU32(masked, 30, 3);
  masked.insert(masked.begin() + 54, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0});
  putU32(masked, 10, 54);
  EXPECT_EQ(loadInto(masked, 2, 2, image), notPossible);
  masked[56] = 0;
  EXPECT_EQ(loadInto(masked, 2, 2, image), formatError);

  for (std::uint32_t bits : {15u, 16u}) {
    EXPECT_EQ(loadInto(makeBmp(2, 2, bits, 0, {}), 2, 2, image), notPossible);
    EXPECT_EQ(image[0], 0xEE);
  }
  for (std::uint32_t bits : {0u, 2u, 3u, 5u}) {
    auto file = makeBmp(2, 2, 8, 4, {1, 2, 3, 0});
    putU16(file, 28, bits);
    EXPECT_EQ(loadInto(file, 2, 2, image), formatError) << bits;
    EXPECT_EQ(image[0], 0xEE);
  }
  EXPECT_EQ(screen.palette, defaultPalette());

  auto bigInfo = makeBmp(2, 2, 8, 4, {1, 2, 3, 0});
  putU32(bigInfo, 14, 108);
  EXPECT_EQ(loadInto(bigInfo, 2, 2, image), formatError);
  const std::string text = "BITMAP=shape.bmp\n";
  EXPECT_EQ(loadInto({text.begin(), text.end()}, 2, 2, image), formatError);
  EXPECT_EQ(loadInto({'B', 'X'}, 2, 2, image), formatError);
  EXPECT_EQ(loadInto({}, 2, 2, image), formatError);
  EXPECT_EQ(loadInto({'Q', 'M'}, 2, 2, image), formatError);
}

TEST_F(Loader, AbsurdSizesAndOffsetsFailBeforeWritingAnything) {
  std::vector<std::uint8_t> image;
  const auto good = makeBmp(2, 2, 8, 4, {1, 2, 3, 0});
  struct Field {
    std::size_t at;
    std::uint32_t value;
  };
  const Field damage[] = {
      {18, 0},           {18, 0xFFFFFFFFu}, {18, 8192}, {18, 0x7FFFFFFFu}, {22, 65536},
      {22, 0x80000000u}, {22, 0xFFFF7FFFu}, {10, 53},   {10, 0},           {10, 0xFFFFFFFFu},
  };
  for (const Field& d : damage) {
    auto file = good;
    putU32(file, d.at, d.value);
    EXPECT_EQ(loadInto(file, 2, 2, image), formatError) << d.at << " = " << d.value;
    EXPECT_EQ(std::count(image.begin(), image.end(), 0xEE), 8) << d.at << " = " << d.value;
  }

  // A declared height far beyond the rows present stops at the end of the file.
  auto tall = good;
  putU32(tall, 22, 65535);
  putU32(tall, 18, 8191);
  EXPECT_EQ(loadInto(tall, 2, 2, image), formatError);
  EXPECT_EQ(imageWidth(image), 8191);
  EXPECT_EQ(imageHeight(image), 65535);

  // A top-down file (negative height) loads no rows.
  auto topDown = good;
  putU32(topDown, 22, static_cast<std::uint32_t>(-2));
  EXPECT_EQ(loadInto(topDown, 2, 2, image), loaded);
  EXPECT_EQ(image[2] | image[3] << 8, 0xFFFE);
  EXPECT_EQ(image[4], 0xEE);
}

TEST_F(Loader, FileTruncatedAtAnyByteFailsWithTheRowsReadSoFar) {
  const auto pixels = patternPixels(5, 3, 16);
  const auto file = makeBmp(5, 3, 8, 16, pixels);
  for (std::size_t length = 0; length < file.size(); ++length) {
    const std::vector<std::uint8_t> prefix(file.begin(), file.begin() + length);
    std::vector<std::uint8_t> image;
    EXPECT_EQ(loadInto(prefix, 5, 3, image), formatError) << length;
    // Whole rows present are in place, bottom row first.
    const std::size_t rowsStart = 54 + 16 * 4;
    const std::size_t rowsRead = length < rowsStart ? 0 : (length - rowsStart) / 8;
    for (std::size_t k = 0; k < rowsRead; ++k) {
      const std::size_t row = 2 - k;
      EXPECT_TRUE(std::equal(pixels.begin() + row * 5, pixels.begin() + row * 5 + 5,
                             image.begin() + 4 + row * 5))
          << length;
    }
  }
}

TEST_F(Loader, NeverWritesPastTheDestination) {
  const auto pixels = patternPixels(9, 4, 256);
  const auto file = makeBmp(9, 4, 8, 256, pixels);
  // A block for a 4 × 4 image inside a larger guarded buffer.
  std::vector<std::uint8_t> buffer(4 + 16 + 32, 0xEE);
  std::span<std::uint8_t> block(buffer.data(), 4 + 16);
  EXPECT_EQ(loadImageMemory(screen, file, block), loaded);
  EXPECT_EQ(imageWidth(buffer), 9);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + 16, buffer.begin() + 4));
  EXPECT_EQ(std::count(buffer.begin() + 20, buffer.end(), 0xEE), 32);

  std::vector<std::uint8_t> tiny(3, 0xEE);
  EXPECT_EQ(loadImageMemory(screen, file, tiny), loaded);
  EXPECT_EQ(std::count(tiny.begin(), tiny.end(), 0xEE), 3);
}

TEST_F(Loader, WithoutADestinationTheImageGoesOntoTheWorkPage) {
  const auto pixels = patternPixels(7, 5, 16);
  ASSERT_EQ(loadImageMemory(screen, makeBmp(7, 5, 4, 16, pixels), {}), loaded);
  for (std::int32_t r = 0; r < 5; ++r) {
    for (std::int32_t c = 0; c < 7; ++c)
      EXPECT_EQ(pixelAt(screen, 0, c, r), pixels[r * 7 + c]);
  }
  // Wider and taller than the page: cut at its right and bottom edges.
  const auto big = patternPixels(700, 490, 256);
  ASSERT_EQ(loadImageMemory(screen, makeBmp(700, 490, 8, 256, big), {}), loaded);
  EXPECT_EQ(pixelAt(screen, 0, 639, 479), big[479 * 700 + 639]);
  EXPECT_EQ(pixelAt(screen, 0, 0, 1), big[700]);
}

TEST_F(Loader, WithoutAScreenOnlyRawDumpsIntoADestinationLoad) {
  Screen closed;
  std::vector<std::uint8_t> image(8, 0);
  EXPECT_EQ(loadImageMemory(closed, makeBmp(1, 1, 8, 1, {0}), image), notPossible);
  EXPECT_EQ(loadImageMemory(closed, Bytes{0xFE, 2, 0, 0, 0, 5, 6}, {}), notPossible);
  EXPECT_EQ(loadImageMemory(closed, Bytes{0xFE, 2, 0, 0, 0, 5, 6}, image), loaded);
  EXPECT_EQ(image[1], 6);
  EXPECT_EQ(loadImageFile(closed, "no-such-file.bmp", {}), notPossible);
}

TEST_F(Loader, RawDumpsAreCopiedAsTheyStandAndCutAtTheDestination) {
  std::vector<std::uint8_t> image(6, 0);
  EXPECT_EQ(loadImageMemory(screen, Bytes{0xFE, 3, 0, 0, 0, 1, 2, 3, 4}, image), loaded);
  EXPECT_EQ(image, (std::vector<std::uint8_t>{1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(loadImageMemory(screen, Bytes{0xFD, 9, 9, 9, 9, 8, 0, 7, 7, 7, 7, 7, 7, 7, 7}, image),
            loaded);
  EXPECT_EQ(image, (std::vector<std::uint8_t>(6, 7)));
  // Ending early still loads what is there; a missing length is a read error.
  EXPECT_EQ(loadImageMemory(screen, Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 5}, image), loaded);
  EXPECT_EQ(image[0], 5);
  EXPECT_EQ(loadImageMemory(screen, Bytes{0xFE, 1, 0}, image), formatError);
  EXPECT_EQ(loadImageMemory(screen, Bytes{0xFD, 1, 0, 0, 0, 1}, image), formatError);

  // Onto the work page, followed by a whole palette.
  std::vector<std::uint8_t> dump = {0xFE, 4, 0, 0, 0, 9, 8, 7, 6};
  for (std::uint32_t i = 0; i < 256; ++i) {
    dump.insert(dump.end(), {static_cast<std::uint8_t>(i), 1, 2, 0});
  }
  ASSERT_EQ(loadImageMemory(screen, dump, {}), loaded);
  EXPECT_EQ(pixelAt(screen, 0, 3, 0), 6);
  EXPECT_EQ(screen.palette[200], 200u | 1u << 8 | 2u << 16);
  dump.pop_back();
  dump[5] = 1;
  ASSERT_EQ(loadImageMemory(screen, dump, {}), loaded);
  EXPECT_EQ(pixelAt(screen, 0, 0, 0), 1);
  EXPECT_EQ(screen.palette[200], 200u | 1u << 8 | 2u << 16);
}

TEST_F(Loader, LoadImageFileReadsTheFileOrReportsItMissing) {
  const std::string path = ::testing::TempDir() + "squish_loader_test.bmp";
  const auto file = makeBmp(3, 2, 8, 4, {1, 2, 3, 3, 2, 1});
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
  }
  std::vector<std::uint8_t> image(10, 0);
  EXPECT_EQ(loadImageFile(screen, path, image), loaded);
  EXPECT_EQ(image, (std::vector<std::uint8_t>{0x19, 0, 2, 0, 1, 2, 3, 3, 2, 1}));
  std::remove(path.c_str());
  EXPECT_EQ(loadImageFile(screen, path, image), cannotOpen);
  EXPECT_EQ(image[4], 1);
}

}  // namespace
}  // namespace squish::display
