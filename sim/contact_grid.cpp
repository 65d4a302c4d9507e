// The contact grid: a counting sort of the live atoms into hashed cells, the neighbourhood
// search that offers candidates in slot order, and the far-mover watch that keeps the search
// complete while atoms move during the step.
#include "sim/contact_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>

namespace squish::sim {
namespace {

// Cell coordinates stay within ±2^40, so a cell index and its neighbours fit in 64 bits and the
// rounding of position × inverseCell (relative 2^-52) moves an index by under 2^-12 of a cell.
constexpr double cellRange = 1099511627776.0;
constexpr std::uint32_t noBucket = 0xFFFFFFFFu;
// Past this many far movers every search pays more for them than a fresh grid costs.
constexpr std::size_t farMoverLimit = 64;

bool isFinite(Vec2 p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// Cells of one row land in consecutive buckets; rows are scattered by a multiplicative hash.
std::uint64_t bucketOf(std::int64_t column, std::int64_t row, std::uint64_t mask) {
  std::uint64_t h = static_cast<std::uint64_t>(row) * 0x9E3779B97F4A7C15ull;
  h ^= h >> 32;
  return (h + static_cast<std::uint64_t>(column)) & mask;
}

// The margin covers the expected move plus a little rebound jitter; a NaN or runaway
// expectation gets the widest margin, and atoms beyond it become far movers.
double marginFor(float contactDistance, double expectedMove) {
  const double widest = 2.0 * contactDistance + 8.0;
  const double move = expectedMove >= 0.0 ? std::min(expectedMove, widest) : widest;
  return move + 0.02 * contactDistance + 1e-4;
}

}  // namespace

// The cell is wider than the reach of a contact (contactDistance, plus the relative 2^-23
// that forming the offset in single precision may shave off, plus an absolute bit for
// subnormal offsets) and the margin, and then by 0.1 % for the rounding of cell indices: so an
// atom in contact lies in one of the nine cells around the searching atom.
void buildContactGrid(ContactGrid& grid, const World& world, float contactDistance,
                      double expectedMove) {
  const std::int32_t count = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(world.atomCount, 0, std::ssize(world.atoms) - 1));
  grid.contactDistance = contactDistance;
  grid.margin = marginFor(contactDistance, expectedMove);
  const double reach = contactDistance * (1.0 + 0x1p-20) + 0x1p-140;
  grid.inverseCell = 1.0 / ((reach + grid.margin) * 1.001);

  const std::uint64_t buckets =
      std::bit_ceil(std::max<std::uint64_t>(64, 2 * std::uint64_t(count)));
  grid.bucketMask = buckets - 1;
  grid.bucketStart.assign(buckets + 1, 0);
  grid.atomBucket.resize(static_cast<std::size_t>(count) + 1);
  grid.anchors.resize(static_cast<std::size_t>(count) + 1);
  grid.outliers.clear();
  grid.farMovers.clear();

  std::uint32_t filed = 0;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    grid.atomBucket[slot] = noBucket;
    const Atom& atom = world.atoms[slot];
    if (atom.alive != yes || !isFinite(atom.pos)) continue;
    grid.anchors[slot] = atom.pos;
    const double column = std::floor(atom.pos.x * grid.inverseCell);
    const double row = std::floor(atom.pos.y * grid.inverseCell);
    if (std::fabs(column) > cellRange || std::fabs(row) > cellRange) {
      grid.outliers.push_back(slot);
      continue;
    }
    const std::uint64_t bucket = bucketOf(static_cast<std::int64_t>(column),
                                          static_cast<std::int64_t>(row), grid.bucketMask);
    grid.atomBucket[slot] = static_cast<std::uint32_t>(bucket);
    ++grid.bucketStart[bucket];
    ++filed;
  }

  // Each bucket's count becomes its end; filling from the highest slot down with
  // pre-decrements leaves each start at its beginning and every bucket in slot order.
  std::uint32_t running = 0;
  for (std::uint64_t bucket = 0; bucket < buckets; ++bucket) {
    running += grid.bucketStart[bucket];
    grid.bucketStart[bucket] = running;
  }
  grid.bucketStart[buckets] = filed;
  grid.entries.resize(filed);
  for (std::int32_t slot = count; slot >= 1; --slot) {
    const std::uint32_t bucket = grid.atomBucket[slot];
    if (bucket != noBucket) grid.entries[--grid.bucketStart[bucket]] = slot;
  }
}

void findContactCandidates(const ContactGrid& grid, const World& world, std::int32_t atom,
                           std::vector<std::int32_t>& candidates) {
  candidates.clear();
  const Vec2 here = world.atoms[atom].pos;
  if (!isFinite(here)) return;
  const float reach = grid.contactDistance;
  const auto offer = [&](std::int32_t other) {
    if (other == atom) return;
    const Vec2 there = world.atoms[other].pos;
    const float dx = there.x - here.x;
    const float dy = there.y - here.y;
    if (std::fabs(dx) < reach && std::fabs(dy) < reach) candidates.push_back(other);
  };

  const double column = std::floor(here.x * grid.inverseCell);
  const double row = std::floor(here.y * grid.inverseCell);
  if (std::fabs(column) <= cellRange + 1.0 && std::fabs(row) <= cellRange + 1.0) {
    const auto limit = static_cast<std::int64_t>(cellRange);
    const auto cx = static_cast<std::int64_t>(column);
    const auto cy = static_cast<std::int64_t>(row);
    for (std::int64_t y = std::max(cy - 1, -limit); y <= std::min(cy + 1, limit); ++y) {
      for (std::int64_t x = std::max(cx - 1, -limit); x <= std::min(cx + 1, limit); ++x) {
        const std::uint64_t bucket = bucketOf(x, y, grid.bucketMask);
        for (std::uint32_t e = grid.bucketStart[bucket]; e < grid.bucketStart[bucket + 1]; ++e)
          offer(grid.entries[e]);
      }
    }
  }
  for (const std::int32_t other : grid.outliers)
    offer(other);
  for (const std::int32_t other : grid.farMovers)
    offer(other);

  // Cells sharing a bucket and far movers still filed in a cell can offer an atom twice.
  if (candidates.size() > 1) {
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  }
}

bool noteMove(ContactGrid& grid, const World& world, std::int32_t atom) {
  if (grid.atomBucket[atom] == noBucket) return true;
  const Vec2 now = world.atoms[atom].pos;
  if (!isFinite(now)) return true;
  const Vec2 filed = grid.anchors[atom];
  const double movedX = std::fabs(static_cast<double>(now.x) - filed.x);
  const double movedY = std::fabs(static_cast<double>(now.y) - filed.y);
  if (movedX <= grid.margin && movedY <= grid.margin) return true;
  grid.farMovers.push_back(atom);
  return grid.farMovers.size() < farMoverLimit;
}

}  // namespace squish::sim
