#pragma once
// Body builders: a box lattice, a triangle lattice, or a shape from an 8-bit image, one atom
// per lattice point, bonded to its lattice neighbours and then turned about its anchor.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "sim/settings.h"
#include "sim/world.h"

namespace squish::sim {

void buildBox(World& world, const SimSettings& settings, float x, float y, std::int32_t columns,
              std::int32_t rows, std::int32_t colour, float angle);

void buildTriangle(World& world, const SimSettings& settings, float x, float y,
                   std::int32_t size, std::int32_t colour, float angle);

// image is an image block: a 4-byte header (not read) then width × height palette indices,
// row after row from the top. One atom per nonzero pixel.
void buildBitmap(World& world, const SimSettings& settings, std::span<const std::uint8_t> image,
                 std::int32_t width, std::int32_t height, float x, float y, std::int32_t colour,
                 float angle);

// Fills a zeroed buffer of 4 + width × height bytes from an image file; the display's loader
// in the program, anything in tests. It must not write past the buffer.
using ImageFileLoader =
    std::function<void(const std::string& fileName, std::span<std::uint8_t> buffer)>;

void buildBitmapFromFile(World& world, const SimSettings& settings, const ImageFileLoader& load,
                         const std::string& fileName, std::int32_t width, std::int32_t height,
                         float x, float y, std::int32_t colour, float angle);

// Turns every live atom not yet placed by angle about (x, y) and marks it placed.
void placeNewAtoms(World& world, float x, float y, float angle);

}  // namespace squish::sim
