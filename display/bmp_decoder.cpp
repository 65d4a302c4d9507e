// Decoding BMP files of 1, 4 and 8 bits per pixel. The header's fields are checked in the order
// the loaders rely on (which failures leave the size known, which leave it unknown), and every
// read is checked against the file's length.
#include "display/bmp_decoder.h"
#include "display/byte_fields.h"

#include <algorithm>
#include <cstring>

namespace squish::display {
namespace {

constexpr std::size_t bmpHeaderBytes = 54;
constexpr std::uint32_t infoHeaderBytes = 40;
constexpr std::uint32_t maskedCompression = 3;
constexpr std::uint32_t redMaskOfMaskedFile = 0x00FF0000u;
constexpr std::int32_t maxWidth = 8191;
constexpr std::int32_t minHeight = -32768;  // a top-down file's height still fits the header
constexpr std::int32_t maxHeight = 65535;
constexpr std::uint64_t maxColours = 256;

bool isIndexedDepth(std::uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8;
}

std::uint64_t packedRowBytes(std::int64_t width, std::uint32_t bits) {
  if (bits == 1) return static_cast<std::uint64_t>(width + 7) / 8;
  if (bits == 4) return static_cast<std::uint64_t>(width + 1) / 2;
  return static_cast<std::uint64_t>(width);
}

std::uint8_t unpackPixel(const std::uint8_t* row, std::int64_t column, std::uint32_t bits) {
  if (bits == 1) return row[column / 8] >> (7 - column % 8) & 1u;
  if (bits == 4) return row[column / 2] >> (column % 2 == 0 ? 4 : 0) & 0xFu;
  return row[column];
}

// Writes one file row's pixels to width bytes at out, one palette index per byte.
void unpackRow(const std::uint8_t* row, std::uint32_t bits, std::uint8_t* out, std::int64_t width) {
  if (bits == 8) {
    std::memcpy(out, row, static_cast<std::size_t>(width));
    return;
  }
  for (std::int64_t c = 0; c < width; ++c)
    out[c] = unpackPixel(row, c, bits);
}

void readColours(std::span<const std::uint8_t> file, std::uint64_t entries, DecodedBmp& bmp) {
  bmp.colours.resize(static_cast<std::size_t>(std::min(entries, maxColours)));
  for (std::size_t i = 0; i < bmp.colours.size(); ++i) {
    const std::size_t at = bmpHeaderBytes + i * 4;
    const std::uint32_t blue = file[at];
    const std::uint32_t green = file[at + 1];
    const std::uint32_t red = file[at + 2];
    bmp.colours[i] = red | green << 8 | blue << 16;
  }
}

// Reads the rows from `at`, bottom row first, as many as the file holds.
void readRows(std::span<const std::uint8_t> file, std::uint64_t at, std::uint32_t bits,
              DecodedBmp& bmp) {
  const std::uint64_t paddedRowBytes = (packedRowBytes(bmp.width, bits) + 3) / 4 * 4;
  const std::int64_t rows = std::max(bmp.height, 0);
  const auto present = static_cast<std::int64_t>((file.size() - at) / paddedRowBytes);
  bmp.rowsRead = static_cast<std::int32_t>(std::min(rows, present));
  bmp.pixels.resize(static_cast<std::size_t>(std::int64_t{bmp.rowsRead} * bmp.width));
  for (std::int64_t k = 0; k < bmp.rowsRead; ++k) {
    const std::int64_t row = bmp.rowsRead - 1 - k;  // within the rows read, top first
    unpackRow(file.data() + at, bits, bmp.pixels.data() + row * bmp.width, bmp.width);
    at += paddedRowBytes;
  }
  bmp.result = bmp.rowsRead == rows ? loaded : formatError;
}

}  // namespace

DecodedBmp decodeBmp(std::span<const std::uint8_t> file) {
  DecodedBmp bmp;
  if (file.size() < bmpHeaderBytes || file[0] != 'B' || file[1] != 'M' ||
      u32At(file, 14) != infoHeaderBytes) {
    return bmp;
  }
  const std::uint32_t pixelOffset = u32At(file, 10);
  const auto width = static_cast<std::int32_t>(u32At(file, 18));
  const auto height = static_cast<std::int32_t>(u32At(file, 22));
  const std::uint32_t bits = u16At(file, 28);
  const std::uint32_t compression = u32At(file, 30);
  if (bits == 15 || bits == 16) {
    bmp.result = notPossible;
    return bmp;
  }
  if (bits < 8 && !isIndexedDepth(bits)) return bmp;

  // The colour table fills the gap up to the pixel data; the pixel rows follow it.
  if (pixelOffset < bmpHeaderBytes) return bmp;
  const std::uint64_t tableEntries = (pixelOffset - bmpHeaderBytes) / 4;
  const std::uint64_t at = bmpHeaderBytes + tableEntries * 4;
  if (at > file.size()) return bmp;

  if (width < 1 || width > maxWidth || height < minHeight || height > maxHeight) return bmp;
  bmp.sizeKnown = true;
  bmp.width = width;
  bmp.height = height;

  if (compression == maskedCompression) {
    // Colour masks follow the table; a valid set marks a true-colour file.
    if (holds(file, at, 12) && u32At(file, at) == redMaskOfMaskedFile) bmp.result = notPossible;
    return bmp;
  }
  if (bits > 8) {
    bmp.result = notPossible;
    return bmp;
  }
  bmp.indexed = true;
  readColours(file, tableEntries, bmp);
  readRows(file, at, bits, bmp);
  return bmp;
}

std::int32_t bmpBitsPerPixel(std::span<const std::uint8_t> file) {
  if (file.size() < bmpHeaderBytes || file[0] != 'B' || file[1] != 'M') return 0;
  return static_cast<std::int32_t>(u16At(file, 28));
}

}  // namespace squish::display
