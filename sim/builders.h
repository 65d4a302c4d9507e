#pragma once
// Body builders: a box lattice, a triangle lattice, or a shape from an 8-bit image, one atom
// per lattice point, bonded to its lattice neighbours and then turned about its anchor.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sim/settings.h"
#include "sim/world.h"

namespace squish::sim {

// An image block opens with a 4-byte header that the builders skip.
inline constexpr std::int64_t bitmapHeaderBytes = 4;
// buildBitmapFromFile refuses images with more pixels than this (64 Mi): far beyond any arena.
inline constexpr std::int64_t maxBitmapPixels = std::int64_t{64} << 20;

// The atoms and bonds of a body, counted in 64 bits; both 0 for a body with no cells. The bonds
// are counted only when the atoms fit within maxAtoms (0 otherwise), far from overflowing.
struct BodySize {
  std::int64_t atoms = 0;
  std::int64_t bonds = 0;
};
BodySize boxSize(std::int32_t columns, std::int32_t rows);
BodySize triangleSize(std::int32_t size);

// Every builder makes all of its body or, when the body has no cells, would take the world past
// maxAtoms or maxBonds, or its memory cannot be had, nothing at all: the world stays as it was.
// s is atomSpace when the builder starts; each new atom is placed by placeNewAtoms last.

// columns x rows atoms from the corner atom at (x, y) towards +x and +y, made column by column
// from the bottom; bonded along x, along y and across both diagonals of every cell.
void buildBox(World& world, const SimSettings& settings, float x, float y, std::int32_t columns,
              std::int32_t rows, std::int32_t colour, float angle);

// size atoms along the base from the lower-left atom at (x, y), apex upwards; every edge of the
// triangular lattice is a bond of rest length s.
void buildTriangle(World& world, const SimSettings& settings, float x, float y, std::int32_t size,
                   std::int32_t colour, float angle);

// image is an image block: a 4-byte header (not read) then width × height palette indices,
// row after row from the top. One atom per nonzero pixel, taking the pixel's value as its colour
// (the colour argument is not used); the top-left pixel sits at (x, y) and rows go downwards.
// Bonds start only from pixels inside the image's border and reach left, up and diagonally left.
// An image shorter than 4 + width x height bytes builds nothing.
void buildBitmap(World& world, const SimSettings& settings, std::span<const std::uint8_t> image,
                 std::int32_t width, std::int32_t height, float x, float y, std::int32_t colour,
                 float angle);

// Loads the named image file into `image`, an image block of width × height: the display's
// loader in the program, anything in tests. It reads the file first and only then makes the
// block with makeImageBlock, so a file that cannot be read costs nothing more; it must not write
// past the block. Leaving `image` empty, or every pixel 0, builds nothing.
using ImageFileLoader = std::function<void(const std::string& fileName, std::int32_t width,
                                           std::int32_t height, std::vector<std::uint8_t>& image)>;

// Makes `image` a zeroed block of 4 + width × height bytes. False, leaving it empty, for a width
// or height below 1, more than maxBitmapPixels pixels, or no memory.
bool makeImageBlock(std::vector<std::uint8_t>& image, std::int32_t width, std::int32_t height,
                    AllocationFaults& faults);

// Refuses a width or height below 1 and more than maxBitmapPixels pixels before loading.
void buildBitmapFromFile(World& world, const SimSettings& settings, const ImageFileLoader& load,
                         const std::string& fileName, std::int32_t width, std::int32_t height,
                         float x, float y, std::int32_t colour, float angle);

// Turns every live atom not yet placed, in slots from `first` on, by angle about (x, y) and marks
// it placed. Only the atoms of the body being built are unplaced, so a builder starts at its first
// atom's slot: building stays linear in the atoms built however many bodies the world holds.
void placeNewAtoms(World& world, float x, float y, float angle, std::int32_t first = 1);

}  // namespace squish::sim
