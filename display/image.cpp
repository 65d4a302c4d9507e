// Image blocks: their 4-byte header, making and freeing them, copying a rectangle of a page or
// image into one, and combining one onto a page or image with the six put modes.
#include "display/image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "display/surface.h"

namespace squish::display {
namespace {

constexpr std::int32_t maxImageWidth = 8191;
constexpr std::int32_t maxImageHeight = 65535;

std::uint32_t headerWord(std::span<const std::uint8_t> image, std::size_t offset) {
  return image[offset] | static_cast<std::uint32_t>(image[offset + 1]) << 8;
}

// A source rectangle corner given as notGiven falls back to the whole image's corner.
std::int64_t cornerOrDefault(std::uint32_t given, std::int64_t fallback) {
  return given == notGiven ? fallback : static_cast<std::int32_t>(given);
}

void combineRow(std::uint8_t* target, const std::uint8_t* source, std::int64_t count,
                std::int32_t mode) {
  switch (mode) {
    case transparent:
      for (std::int64_t c = 0; c < count; ++c) {
        if (source[c] != 0) target[c] = source[c];
      }
      break;
    case copy:
      std::memmove(target, source, static_cast<std::size_t>(count));
      break;
    case copyInverted:
      for (std::int64_t c = 0; c < count; ++c)
        target[c] = static_cast<std::uint8_t>(~source[c]);
      break;
    case andMode:
      for (std::int64_t c = 0; c < count; ++c)
        target[c] &= source[c];
      break;
    case orMode:
      for (std::int64_t c = 0; c < count; ++c)
        target[c] |= source[c];
      break;
    case xorMode:
      for (std::int64_t c = 0; c < count; ++c)
        target[c] ^= source[c];
      break;
    default:
      break;
  }
}

}  // namespace

std::int32_t imageBytesPerPixel(std::span<const std::uint8_t> image) {
  return image.size() < 4 ? 0 : static_cast<std::int32_t>(headerWord(image, 0) & 7u);
}

std::int32_t imageWidth(std::span<const std::uint8_t> image) {
  return image.size() < 4 ? 0 : static_cast<std::int32_t>(headerWord(image, 0) >> 3);
}

std::int32_t imageHeight(std::span<const std::uint8_t> image) {
  return image.size() < 4 ? 0 : static_cast<std::int32_t>(headerWord(image, 2));
}

void writeImageHeader(std::span<std::uint8_t> image, std::int32_t bytesPerPixel, std::int32_t width,
                      std::int32_t height) {
  if (image.size() < 4) return;
  const auto sizeWord =
      static_cast<std::uint32_t>(bytesPerPixel) | static_cast<std::uint32_t>(width) << 3;
  const auto heightWord = static_cast<std::uint32_t>(height);
  image[0] = static_cast<std::uint8_t>(sizeWord & 0xFFu);
  image[1] = static_cast<std::uint8_t>(sizeWord >> 8 & 0xFFu);
  image[2] = static_cast<std::uint8_t>(heightWord & 0xFFu);
  image[3] = static_cast<std::uint8_t>(heightWord >> 8 & 0xFFu);
}

ImageBuffer createImage(const Screen& screen, std::int32_t width, std::int32_t height,
                        std::uint32_t colour) {
  ScreenLock lock(screen.screenLock);
  if (!screen.isOpen || width < 1 || width > maxImageWidth || height < 1 ||
      height > maxImageHeight) {
    return {};
  }
  const std::int64_t bytes = 4 + std::int64_t{width} * height * screen.bytesPerPixel;
  const auto fill = static_cast<std::uint8_t>(colour == defaultColour ? 0 : colour & 0xFFu);
  ImageBuffer image;
  try {
    image.assign(static_cast<std::size_t>(bytes), fill);
  } catch (const std::bad_alloc&) {
    return {};
  }
  writeImageHeader(image, screen.bytesPerPixel, width, height);
  return image;
}

void destroyImage(ImageBuffer& image) {
  ImageBuffer().swap(image);
}

bool getImage(Screen& screen, DrawTarget source, float x1, float y1, float x2, float y2,
              std::span<std::uint8_t> destination) {
  ScreenLock lock(screen.screenLock);
  const std::optional<Surface> surface = surfaceFor(screen, source);
  if (!surface) return false;
  std::int64_t left = toPixel(x1);
  std::int64_t top = toPixel(y1);
  std::int64_t right = toPixel(x2);
  std::int64_t bottom = toPixel(y2);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left < surface->clipLeft || top < surface->clipTop || right >= surface->clipRight ||
      bottom >= surface->clipBottom) {
    return false;
  }
  const std::int64_t width = right - left + 1;
  const std::int64_t height = bottom - top + 1;
  if (static_cast<std::int64_t>(destination.size()) < 4 + width * height) return false;
  writeImageHeader(destination, screen.bytesPerPixel, static_cast<std::int32_t>(width),
                   static_cast<std::int32_t>(height));
  for (std::int64_t row = 0; row < height; ++row) {
    std::memmove(destination.data() + 4 + row * width, surface->at(left, top + row),
                 static_cast<std::size_t>(width));
  }
  return true;
}

bool putImage(Screen& screen, DrawTarget target, float x, float y,
              std::span<const std::uint8_t> source, std::int32_t mode, std::uint32_t left,
              std::uint32_t top, std::uint32_t right, std::uint32_t bottom) {
  ScreenLock lock(screen.screenLock);
  const std::optional<Surface> surface = surfaceFor(screen, target);
  if (!surface || source.size() < 4 || mode < transparent || mode > xorMode) return false;
  if (std::isnan(x) || std::isnan(y)) return false;
  const std::int32_t bytesPerPixel = imageBytesPerPixel(source);
  if (bytesPerPixel != 0 && bytesPerPixel != screen.bytesPerPixel) return false;
  const std::int64_t width = imageWidth(source);
  const std::int64_t height = imageHeight(source);
  if (static_cast<std::int64_t>(source.size()) < 4 + width * height) return false;
  if (width == 0 || height == 0) return true;

  // The part of the source to use, its corners ordered and kept within the source.
  std::int64_t srcLeft = cornerOrDefault(left, 0);
  std::int64_t srcTop = cornerOrDefault(top, 0);
  std::int64_t srcRight = cornerOrDefault(right, width - 1);
  std::int64_t srcBottom = cornerOrDefault(bottom, height - 1);
  if (srcLeft > srcRight) std::swap(srcLeft, srcRight);
  if (srcTop > srcBottom) std::swap(srcTop, srcBottom);
  srcLeft = std::clamp<std::int64_t>(srcLeft, 0, width - 1);
  srcRight = std::clamp<std::int64_t>(srcRight, 0, width - 1);
  srcTop = std::clamp<std::int64_t>(srcTop, 0, height - 1);
  srcBottom = std::clamp<std::int64_t>(srcBottom, 0, height - 1);

  // The destination rectangle, trimmed to the clip rectangle; the source loses the same
  // columns and rows.
  const std::int64_t destLeft = toPixel(x);
  const std::int64_t destTop = toPixel(y);
  const std::int64_t destRight = destLeft + (srcRight - srcLeft);
  const std::int64_t destBottom = destTop + (srcBottom - srcTop);
  const std::int64_t fromX = std::max(destLeft, surface->clipLeft);
  const std::int64_t fromY = std::max(destTop, surface->clipTop);
  const std::int64_t toX = std::min(destRight, surface->clipRight - 1);
  const std::int64_t toY = std::min(destBottom, surface->clipBottom - 1);
  if (fromX > toX || fromY > toY) return true;

  const std::uint8_t* pixels = source.data() + 4;
  for (std::int64_t row = fromY; row <= toY; ++row) {
    const std::int64_t sourceRow = srcTop + (row - destTop);
    const std::int64_t sourceColumn = srcLeft + (fromX - destLeft);
    combineRow(surface->at(fromX, row), pixels + sourceRow * width + sourceColumn, toX - fromX + 1,
               mode);
  }
  markSurfaceRows(screen, *surface, fromY, toY);
  return true;
}

}  // namespace squish::display
