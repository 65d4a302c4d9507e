// The body builders. Each one counts its atoms and bonds in 64 bits, checks them against the
// world's limits and secures all the memory it will need before it makes its first atom, so a
// body is built whole or not at all. Sections: room for a body, box, triangle, bitmap, placing.
#include "sim/builders.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

namespace squish::sim {
namespace {

// ---- Room for a body ----

using LatticeTable = std::vector<std::int32_t>;

// The zero-filled lattice table of a body with `cells` cells, after checking the world's limits
// and securing the memory its slots will need, so no allocation can fail once building starts.
// nullopt, with the world as it was, when the body does not fit.
std::optional<LatticeTable> prepareBody(World& world, std::int64_t atoms, std::int64_t bonds,
                                        std::int64_t cells) {
  LatticeTable lattice;
  if (!makeRoomFor(world, atoms, bonds) ||
      !tryAssign(lattice, static_cast<std::size_t>(cells), std::int32_t{0}, world.faults()))
    return std::nullopt;
  return lattice;
}

// Hands out the body's slots. Nothing frees a slot while a body is built and each slot is filled
// before the next is asked for, so the scan for a free slot can resume above the previous one:
// the same slots as allocateAtom and allocateBond, without rescanning the whole table each time.
struct BodyMaker {
  World& world;
  std::int32_t firstAtom = 0;
  std::int32_t lastAtom = 0;
  std::int32_t lastBond = 0;

  std::int32_t addAtom(float x, float y, std::int32_t colour) {
    lastAtom = allocateAtomAfter(world, lastAtom);
    setAtom(world, lastAtom, x, y, 0.0f, 0.0f, colour);
    if (firstAtom == 0) firstAtom = lastAtom;
    return lastAtom;
  }

  void addBond(std::int32_t atomA, std::int32_t atomB, float restLength, float spacing,
               std::int32_t colour) {
    lastBond = allocateBondAfter(world, lastBond);
    setBond(world, lastBond, atomA, atomB, restLength, spacing, colour);
  }
};

// ---- Bitmap bonds ----

// Visits the bonds of a bitmap in building order as (from, to, diagonal) pixel offsets: for each
// nonzero pixel inside the border, row by row, its left, upper, upper-left and lower-left
// neighbours where they are nonzero. Used once to count and once to build.
template <typename Visit>
void forEachBitmapBond(std::span<const std::uint8_t> pixels, std::int64_t width,
                       std::int64_t height, Visit visit) {
  const auto at = [&](std::int64_t i, std::int64_t j) { return j * width + i; };
  for (std::int64_t j = 1; j <= height - 2; ++j) {
    for (std::int64_t i = 1; i <= width - 2; ++i) {
      const std::int64_t from = at(i, j);
      if (pixels[from] == 0) continue;
      const std::int64_t left = at(i - 1, j);
      const std::int64_t above = at(i, j - 1);
      const std::int64_t upperLeft = at(i - 1, j - 1);
      const std::int64_t lowerLeft = at(i - 1, j + 1);
      if (pixels[left] != 0) visit(from, left, false);
      if (pixels[above] != 0) visit(from, above, false);
      if (pixels[upperLeft] != 0) visit(from, upperLeft, true);
      if (pixels[lowerLeft] != 0) visit(from, lowerLeft, true);
    }
  }
}

}  // namespace

// ---- Box ----

BodySize boxSize(std::int32_t columns, std::int32_t rows) {
  if (columns < 1 || rows < 1) return {};
  const std::int64_t cols = columns;
  const std::int64_t rowCount = rows;
  const std::int64_t atoms = cols * rowCount;
  if (atoms > maxAtoms) return {atoms, 0};
  return {atoms, (cols - 1) * rowCount + cols * (rowCount - 1) + 2 * (cols - 1) * (rowCount - 1)};
}

void buildBox(World& world, const SimSettings& settings, float x, float y, std::int32_t columns,
              std::int32_t rows, std::int32_t colour, float angle) {
  const BodySize size = boxSize(columns, rows);
  if (size.atoms == 0 || size.atoms > maxAtoms) return;
  const std::int64_t cols = columns;
  const std::int64_t rowCount = rows;
  std::optional<LatticeTable> lattice = prepareBody(world, size.atoms, size.bonds, size.atoms);
  if (!lattice) return;
  const auto cell = [&](std::int64_t i, std::int64_t j) -> std::int32_t& {
    return (*lattice)[static_cast<std::size_t>(i * rowCount + j)];
  };

  BodyMaker maker{world};
  const float s = settings.atomSpace;
  for (std::int64_t i = 0; i < cols; ++i) {
    for (std::int64_t j = 0; j < rowCount; ++j) {
      cell(i, j) =
          maker.addAtom(x + static_cast<float>(i) * s, y + static_cast<float>(j) * s, colour);
    }
  }

  const float diagonal = std::sqrt(s * s * 2.0f);
  for (std::int64_t j = 0; j < rowCount; ++j) {
    for (std::int64_t i = 0; i + 1 < cols; ++i)
      maker.addBond(cell(i, j), cell(i + 1, j), s, s, colour);
  }
  for (std::int64_t i = 0; i < cols; ++i) {
    for (std::int64_t j = 0; j + 1 < rowCount; ++j) {
      maker.addBond(cell(i, j), cell(i, j + 1), s, s, colour);
    }
  }
  for (std::int64_t i = 0; i + 1 < cols; ++i) {
    for (std::int64_t j = 0; j + 1 < rowCount; ++j) {
      maker.addBond(cell(i, j), cell(i + 1, j + 1), diagonal, s, colour);
    }
  }
  for (std::int64_t i = 1; i < cols; ++i) {
    for (std::int64_t j = 0; j + 1 < rowCount; ++j) {
      maker.addBond(cell(i, j), cell(i - 1, j + 1), diagonal, s, colour);
    }
  }

  placeNewAtoms(world, x, y, angle, maker.firstAtom);
}

// ---- Triangle ----

// Cell (i, j) is place i in row j (row 0 at the base); row j holds size - j atoms, each row
// shifted half a spacing against the one below.
BodySize triangleSize(std::int32_t size) {
  if (size < 1) return {};
  const std::int64_t n = size;
  const std::int64_t atoms = n * (n + 1) / 2;
  if (atoms > maxAtoms) return {atoms, 0};
  return {atoms, 3 * n * (n - 1) / 2};
}

void buildTriangle(World& world, const SimSettings& settings, float x, float y, std::int32_t size,
                   std::int32_t colour, float angle) {
  const BodySize bodySize = triangleSize(size);
  if (bodySize.atoms == 0 || bodySize.atoms > maxAtoms) return;
  const std::int64_t n = size;
  std::optional<LatticeTable> lattice = prepareBody(world, bodySize.atoms, bodySize.bonds, n * n);
  if (!lattice) return;
  const auto cell = [&](std::int64_t i, std::int64_t j) -> std::int32_t& {
    return (*lattice)[static_cast<std::size_t>(i * n + j)];
  };

  BodyMaker maker{world};
  const float s = settings.atomSpace;
  const float h = static_cast<float>(std::sqrt(s * s * 0.75));
  for (std::int64_t i = 0; i < n; ++i) {
    for (std::int64_t j = 0; j < n - i; ++j) {
      const float atomX = static_cast<float>(x + (i + j / 2.0) * s);
      const float atomY = y + static_cast<float>(j) * h;
      cell(i, j) = maker.addAtom(atomX, atomY, colour);
    }
  }

  for (std::int64_t i = 0; i + 1 < n; ++i) {
    for (std::int64_t j = 0; j + 1 < n - i; ++j) {
      maker.addBond(cell(i, j), cell(i, j + 1), s, s, colour);
      maker.addBond(cell(i, j), cell(i + 1, j), s, s, colour);
      maker.addBond(cell(i + 1, j), cell(i, j + 1), s, s, colour);
    }
  }

  placeNewAtoms(world, x, y, angle, maker.firstAtom);
}

// ---- Bitmap ----

void buildBitmap(World& world, const SimSettings& settings, std::span<const std::uint8_t> image,
                 std::int32_t width, std::int32_t height, float x, float y,
                 std::int32_t /*colour: each atom and bond takes its pixel's value*/, float angle) {
  if (width < 1 || height < 1) return;
  const std::int64_t w = width;
  const std::int64_t pixelCount = w * height;
  if (static_cast<std::uint64_t>(pixelCount + bitmapHeaderBytes) > image.size()) return;
  const std::span<const std::uint8_t> pixels = image.subspan(
      static_cast<std::size_t>(bitmapHeaderBytes), static_cast<std::size_t>(pixelCount));

  const std::int64_t atoms = std::ranges::count_if(pixels, [](std::uint8_t p) { return p != 0; });
  if (atoms == 0) return;
  std::int64_t bonds = 0;
  forEachBitmapBond(pixels, w, height, [&](std::int64_t, std::int64_t, bool) { ++bonds; });
  std::optional<LatticeTable> lattice = prepareBody(world, atoms, bonds, pixelCount);
  if (!lattice) return;

  BodyMaker maker{world};
  const float s = settings.atomSpace;
  for (std::int64_t j = 0; j < height; ++j) {
    for (std::int64_t i = 0; i < w; ++i) {
      const std::int64_t at = j * w + i;
      if (pixels[at] == 0) continue;
      (*lattice)[at] =
          maker.addAtom(x + static_cast<float>(i) * s, y - static_cast<float>(j) * s, pixels[at]);
    }
  }

  const float diagonal = std::sqrt(s * s * 2.0f);
  forEachBitmapBond(pixels, w, height, [&](std::int64_t from, std::int64_t to, bool isDiagonal) {
    maker.addBond((*lattice)[from], (*lattice)[to], isDiagonal ? diagonal : s, s, pixels[from]);
  });

  placeNewAtoms(world, x, y, angle, maker.firstAtom);
}

bool makeImageBlock(std::vector<std::uint8_t>& image, std::int32_t width, std::int32_t height,
                    AllocationFaults& faults) {
  image.clear();
  if (width < 1 || height < 1) return false;
  const std::int64_t pixelCount = std::int64_t{width} * height;
  if (pixelCount > maxBitmapPixels) return false;
  return tryAssign(image, static_cast<std::size_t>(bitmapHeaderBytes + pixelCount), std::uint8_t{0},
                   faults);
}

void buildBitmapFromFile(World& world, const SimSettings& settings, const ImageFileLoader& load,
                         const std::string& fileName, std::int32_t width, std::int32_t height,
                         float x, float y, std::int32_t colour, float angle) {
  if (width < 1 || height < 1 || std::int64_t{width} * height > maxBitmapPixels || !load) return;
  std::vector<std::uint8_t> image;
  load(fileName, width, height, image);
  buildBitmap(world, settings, image, width, height, x, y, colour, angle);
}

// ---- Placing ----

// Velocities are zero and are not turned.
void placeNewAtoms(World& world, float x, float y, float angle, std::int32_t first) {
  const std::int32_t count = world.atomCount();
  for (std::int32_t i = std::max(first, 1); i <= count; ++i) {
    const Atom& atom = world.atoms()[i];
    if (!atom.alive || atom.placed) continue;
    Vec2 q;
    vecMinusXY(q, atom.pos, x, y);
    vecRotate(q, angle);
    Vec2 placed;
    vecPlusXY(placed, q, x, y);
    placeAtom(world, i, placed);
  }
}

}  // namespace squish::sim
