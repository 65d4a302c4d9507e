#pragma once
// Image buffers (a 4-byte header, then rows of pixels with no padding), the transfers between
// images and pages, and the BMP and raw-dump loader.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "display/draw.h"
#include "display/screen.h"

namespace squish::display {

// An owned image block. Empty means "no image".
using ImageBuffer = std::vector<std::uint8_t>;

enum PutMode : std::int32_t {
  transparent = 0,
  copy = 1,
  copyInverted = 2,
  andMode = 3,
  orMode = 4,
  xorMode = 5,
};

enum LoadResult : std::int32_t {
  loaded = 0,
  notPossible = 1,
  cannotOpen = 2,
  formatError = 3,
};

// Header fields of an image block; 0 when the block is shorter than its header.
std::int32_t imageBytesPerPixel(std::span<const std::uint8_t> image);
std::int32_t imageWidth(std::span<const std::uint8_t> image);
std::int32_t imageHeight(std::span<const std::uint8_t> image);
// Writes the header: bytesPerPixel | width << 3, then height, both 16-bit little-endian.
void writeImageHeader(std::span<std::uint8_t> image, std::int32_t bytesPerPixel, std::int32_t width,
                      std::int32_t height);

// An image of width × height filled with colour (defaultColour gives 0); empty when no screen
// is open or the size is out of range (width 1..8191, height 1..65535).
ImageBuffer createImage(const Screen& screen, std::int32_t width, std::int32_t height,
                        std::uint32_t colour);
void destroyImage(ImageBuffer& image);

// Copies the rectangle (x1, y1)-(x2, y2) of the source into destination as an image block.
// False, writing nothing, when the rectangle is not wholly inside the source or the
// destination is too small for it.
bool getImage(Screen& screen, DrawTarget source, float x1, float y1, float x2, float y2,
              std::span<std::uint8_t> destination);

// Combines source onto the target at (x, y). left, top, right, bottom narrow the source
// (in source pixels, ordered and kept within it); notGiven for any of them means that side of
// the whole source. False when nothing can be drawn: no screen, a target or source block
// shorter than its header says or of another pixel size, an unknown mode, or a NaN position;
// true otherwise, also when the image lies wholly outside the clip rectangle.
bool putImage(Screen& screen, DrawTarget target, float x, float y,
              std::span<const std::uint8_t> source, std::int32_t mode,
              std::uint32_t left = notGiven, std::uint32_t top = notGiven,
              std::uint32_t right = notGiven, std::uint32_t bottom = notGiven);

// Loads a BMP (1, 4 or 8 bits per pixel) or raw image dump into destination, never writing
// past its end (what does not fit is cut); an empty destination draws the image on the work
// page. A BMP's colour table (its first 256 entries) goes into the screen palette. A width
// outside 1..8191, a height outside -32768..65535 or a pixel-data offset below 54 is a format
// error found before anything is written.
LoadResult loadImageFile(Screen& screen, const std::string& fileName,
                         std::span<std::uint8_t> destination);
// The same from a file's bytes in memory; loadImageFile reads the file and calls this.
LoadResult loadImageMemory(Screen& screen, std::span<const std::uint8_t> file,
                           std::span<std::uint8_t> destination);
// A file's bytes into an image block of bytesPerPixel as loadImageMemory puts them, with no
// screen and leaving every palette as it is: a BMP's colour table is not used.
LoadResult readImageBlock(std::span<const std::uint8_t> file, std::span<std::uint8_t> destination,
                          std::int32_t bytesPerPixel);

}  // namespace squish::display
