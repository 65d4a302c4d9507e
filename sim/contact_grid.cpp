// The contact grid: cells as runs of one flat array, filed once per step by a counting sort over
// the slots (so each run is in slot order), entries that follow their atoms as they move, and the
// neighbourhood search that offers candidates in slot order.
// Sections: cells, building, searching, moving.
#include "sim/contact_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>

namespace squish::sim {
namespace {

// ---- Cells ----

// Cell coordinates stay within ±2^40, so a cell index and its neighbours fit in 64 bits and the
// rounding of position × inverseCell (relative 2^-52) moves an index by under 2^-12 of a cell.
constexpr double cellRange = 1099511627776.0;
constexpr std::int64_t cellLimit = 1099511627776;
constexpr std::uint32_t looseMark = 0xFFFFFFFFu;
constexpr std::uint32_t noBucket = 0xFFFFFFFEu;
// Cells kept around the atoms' window, so that an atom moving out of it during the step still
// finds a cell.
constexpr std::int64_t spareCells = 16;
// Past this many atoms gone loose every search pays more for them than a fresh grid costs.
constexpr std::size_t looseLimit = 64;
constexpr float nowhere = std::numeric_limits<float>::quiet_NaN();

bool isFinite(Vec2 p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// floor() for a value known to lie within ±(cellRange + 2).
std::int64_t cellOf(double scaled) {
  const auto truncated = static_cast<std::int64_t>(scaled);
  return scaled < static_cast<double>(truncated) ? truncated - 1 : truncated;
}

bool withinCellRange(double scaled) {
  return std::fabs(scaled) < cellRange;
}

std::uint64_t bucketOf(const ContactGrid& grid, std::int64_t column, std::int64_t row) {
  if (grid.dense) {
    const std::int64_t columns = grid.columnHigh - grid.columnLow + 1;
    return static_cast<std::uint64_t>((row - grid.rowLow) * columns + (column - grid.columnLow));
  }
  std::uint64_t h = static_cast<std::uint64_t>(row) * 0x9E3779B97F4A7C15ull;
  h ^= h >> 32;
  return (h + static_cast<std::uint64_t>(column)) & grid.bucketMask;
}

// The bucket of an atom at a finite position, or looseMark when its cell lies beyond the range
// or the dense window.
std::uint32_t bucketAt(const ContactGrid& grid, Vec2 pos) {
  const double x = pos.x * grid.inverseCell;
  const double y = pos.y * grid.inverseCell;
  if (!withinCellRange(x) || !withinCellRange(y)) return looseMark;
  const std::int64_t column = cellOf(x);
  const std::int64_t row = cellOf(y);
  if (column < grid.columnLow || column > grid.columnHigh || row < grid.rowLow ||
      row > grid.rowHigh)
    return looseMark;
  return static_cast<std::uint32_t>(bucketOf(grid, column, row));
}

// A dense window (the atoms' cells) is used while it has no more than a few cells per atom.
void chooseLayout(ContactGrid& grid, std::int32_t count, std::int64_t columnLow,
                  std::int64_t columnHigh, std::int64_t rowLow, std::int64_t rowHigh) {
  const std::int64_t mostCells = 4 * std::int64_t{count} + 4096;
  if (columnLow > columnHigh || rowLow > rowHigh) {
    columnLow = columnHigh = rowLow = rowHigh = 0;  // nothing to file: a window at the origin
  }
  columnLow = std::max(columnLow - spareCells, -cellLimit);
  columnHigh = std::min(columnHigh + spareCells, cellLimit);
  rowLow = std::max(rowLow - spareCells, -cellLimit);
  rowHigh = std::min(rowHigh + spareCells, cellLimit);
  const std::int64_t columns = columnHigh - columnLow + 1;
  const std::int64_t rows = rowHigh - rowLow + 1;
  grid.dense = columns <= mostCells && rows <= mostCells && columns * rows <= mostCells;
  if (grid.dense) {
    grid.columnLow = columnLow;
    grid.columnHigh = columnHigh;
    grid.rowLow = rowLow;
    grid.rowHigh = rowHigh;
    grid.bucketMask = static_cast<std::uint64_t>(columns * rows) - 1;
  } else {
    grid.columnLow = -cellLimit;
    grid.columnHigh = cellLimit;
    grid.rowLow = -cellLimit;
    grid.rowHigh = cellLimit;
    grid.bucketMask = std::bit_ceil(std::max<std::uint64_t>(64, 2 * std::uint64_t(count))) - 1;
  }
}

void linkMover(ContactGrid& grid, std::int32_t atom, std::uint32_t bucket) {
  const std::int32_t first = grid.buckets[bucket].firstMover;
  grid.moverNext[atom] = first;
  grid.moverPrevious[atom] = 0;
  if (first != 0) grid.moverPrevious[first] = atom;
  grid.buckets[bucket].firstMover = atom;
  grid.slotBucket[atom] = bucket;
}

void unlinkMover(ContactGrid& grid, std::int32_t atom) {
  const std::int32_t before = grid.moverPrevious[atom];
  const std::int32_t after = grid.moverNext[atom];
  if (before != 0) {
    grid.moverNext[before] = after;
  } else {
    grid.buckets[grid.slotBucket[atom]].firstMover = after;
  }
  if (after != 0) grid.moverPrevious[after] = before;
  grid.slotBucket[atom] = noBucket;
}

// Files an atom that has left its cell by where it stands now. False when the loose list has
// grown past its limit.
bool fileMover(ContactGrid& grid, std::int32_t atom, Vec2 now) {
  const std::uint32_t bucket = bucketAt(grid, now);
  if (bucket != looseMark) {
    linkMover(grid, atom, bucket);
    return true;
  }
  grid.looseAtoms.push_back(atom);
  return grid.looseAtoms.size() <= grid.looseWhenBuilt + looseLimit;
}

// The few candidates of a search, from runs that are each in slot order.
void sortSmall(std::span<std::int32_t> slots) {
  for (std::size_t k = 1; k < slots.size(); ++k) {
    const std::int32_t slot = slots[k];
    std::size_t at = k;
    while (at > 0 && slots[at - 1] > slot) {
      slots[at] = slots[at - 1];
      --at;
    }
    slots[at] = slot;
  }
}

}  // namespace

// ---- Building ----

// A cell is as wide as the reach of a contact (contactDistance, plus the relative 2^-23 that
// forming the offset in single precision may shave off, plus an absolute bit for subnormal
// offsets) plus the move margin, widened by 0.1 % for the rounding of cell indices and of the
// margin test: so an atom in contact was filed in one of the nine cells around the searching
// atom.
void buildContactGrid(ContactGrid& grid, const World& world, float contactDistance,
                      double moveMargin) {
  const std::int32_t count = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(world.atomCount, 0, std::ssize(world.atoms) - 1));
  grid.contactDistance = contactDistance;
  grid.moveMargin = moveMargin;
  const double reach = contactDistance * (1.0 + 0x1p-20) + 0x1p-140;
  grid.inverseCell = 1.0 / ((reach + moveMargin) * 1.001);
  const auto slots = static_cast<std::size_t>(count) + 1;
  grid.entryOf.assign(slots, -1);
  grid.filedAt.resize(slots);
  grid.slotBucket.resize(slots);
  grid.moverNext.resize(slots);
  grid.moverPrevious.resize(slots);
  grid.looseAtoms.clear();

  std::int64_t columnLow = cellLimit;
  std::int64_t columnHigh = -cellLimit;
  std::int64_t rowLow = cellLimit;
  std::int64_t rowHigh = -cellLimit;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const Atom& atom = world.atoms[slot];
    if (atom.alive != yes || !isFinite(atom.pos)) continue;
    const double x = atom.pos.x * grid.inverseCell;
    const double y = atom.pos.y * grid.inverseCell;
    if (!withinCellRange(x) || !withinCellRange(y)) continue;
    columnLow = std::min(columnLow, cellOf(x));
    columnHigh = std::max(columnHigh, cellOf(x));
    rowLow = std::min(rowLow, cellOf(y));
    rowHigh = std::max(rowHigh, cellOf(y));
  }
  chooseLayout(grid, count, columnLow, columnHigh, rowLow, rowHigh);

  // Counting sort: firstEntry of b + 1 counts bucket b, the running sum turns counts into starts,
  // and filing in slot order keeps each bucket's run in slot order.
  const std::size_t buckets = grid.bucketMask + 1;
  grid.buckets.assign(buckets + 1, GridBucket{});
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const Atom& atom = world.atoms[slot];
    grid.slotBucket[slot] = looseMark;
    if (atom.alive != yes || !isFinite(atom.pos)) continue;
    const std::uint32_t bucket = bucketAt(grid, atom.pos);
    grid.slotBucket[slot] = bucket;
    if (bucket == looseMark) {
      grid.looseAtoms.push_back(slot);
    } else {
      ++grid.buckets[bucket + 1].firstEntry;
    }
  }
  for (std::size_t b = 1; b <= buckets; ++b)
    grid.buckets[b].firstEntry += grid.buckets[b - 1].firstEntry;
  grid.entries.resize(static_cast<std::size_t>(grid.buckets[buckets].firstEntry));
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const std::uint32_t bucket = grid.slotBucket[slot];
    if (bucket == looseMark) continue;
    const std::int32_t entry = grid.buckets[bucket].firstEntry++;
    const Vec2 pos = world.atoms[slot].pos;
    grid.entries[static_cast<std::size_t>(entry)] = {pos, slot};
    grid.entryOf[slot] = entry;
    grid.filedAt[slot] = pos;
  }
  for (std::int32_t slot = 1; slot <= count; ++slot)
    grid.slotBucket[slot] = noBucket;
  // Each start has moved on to the next bucket's: shift them back.
  for (std::size_t b = buckets; b > 0; --b)
    grid.buckets[b].firstEntry = grid.buckets[b - 1].firstEntry;
  grid.buckets[0].firstEntry = 0;
  grid.looseWhenBuilt = grid.looseAtoms.size();
}

// ---- Searching ----

// The cells of a row lie in consecutive buckets (wrapping around a hashed table), and so, in the
// dense layout, in one run of entries.
std::span<const std::int32_t> findContactCandidates(const ContactGrid& grid, const World& world,
                                                    std::int32_t atom,
                                                    std::vector<std::int32_t>& buffer) {
  std::size_t found = 0;
  const Atom* atoms = world.atoms.data();
  const Vec2 here = atoms[atom].pos;
  if (!isFinite(here)) return {};
  const float reach = grid.contactDistance;
  // Each atom is written to the buffer and kept only when it passes: no branch to mispredict.
  const auto makeRoom = [&](std::size_t more) {
    if (buffer.size() < found + more) buffer.resize(std::max(2 * buffer.size(), found + more));
  };
  const auto offer = [&](Vec2 there, std::int32_t other) {
    const float dx = there.x - here.x;
    const float dy = there.y - here.y;
    buffer[found] = other;
    const int withinX = std::fabs(dx) < reach;
    const int withinY = std::fabs(dy) < reach;
    const int another = other != atom;
    found += static_cast<std::size_t>(withinX & withinY & another);
  };
  const GridEntry* entries = grid.entries.data();
  const GridBucket* cells = grid.buckets.data();
  const std::int32_t* moverNext = grid.moverNext.data();
  const auto offerEntries = [&](std::int32_t from, std::int32_t to) {
    makeRoom(static_cast<std::size_t>(to - from));
    for (std::int32_t e = from; e < to; ++e)
      offer(entries[e].pos, entries[e].slot);
  };
  const auto offerMovers = [&](std::uint64_t bucket) {
    for (std::int32_t other = cells[bucket].firstMover; other != 0; other = moverNext[other]) {
      makeRoom(1);
      offer(atoms[other].pos, other);
    }
  };

  const double x = here.x * grid.inverseCell;
  const double y = here.y * grid.inverseCell;
  if (std::fabs(x) < cellRange + 2.0 && std::fabs(y) < cellRange + 2.0) {
    const std::int64_t column = cellOf(x);
    const std::int64_t row = cellOf(y);
    const std::int64_t left = std::max(column - 1, grid.columnLow);
    const std::int64_t right = std::min(column + 1, grid.columnHigh);
    const std::int64_t bottom = std::max(row - 1, grid.rowLow);
    const std::int64_t top = std::min(row + 1, grid.rowHigh);
    if (left <= right) {
      for (std::int64_t r = bottom; r <= top; ++r) {
        const std::uint64_t first = bucketOf(grid, left, r);
        if (grid.dense) {
          const std::uint64_t last = bucketOf(grid, right, r);
          offerEntries(cells[first].firstEntry, cells[last + 1].firstEntry);
          for (std::uint64_t bucket = first; bucket <= last; ++bucket)
            offerMovers(bucket);
          continue;
        }
        for (std::int64_t c = 0; c <= right - left; ++c) {
          const std::uint64_t bucket = (first + static_cast<std::uint64_t>(c)) & grid.bucketMask;
          offerEntries(cells[bucket].firstEntry, cells[bucket + 1].firstEntry);
          offerMovers(bucket);
        }
      }
    }
  }
  makeRoom(grid.looseAtoms.size());
  for (const std::int32_t other : grid.looseAtoms)
    offer(atoms[other].pos, other);

  // Runs of different cells interleave; hashed cells sharing a bucket offer an atom once for
  // each.
  const std::span<std::int32_t> candidates(buffer.data(), found);
  if (found > 1) {
    sortSmall(candidates);
    if (!grid.dense)
      return candidates.first(static_cast<std::size_t>(
          std::unique(candidates.begin(), candidates.end()) - candidates.begin()));
  }
  return candidates;
}

// ---- Moving ----

// The margin is tested in double precision on the two floats, so the test is exact but for a
// relative 2^-53, which the cell's 0.1 % covers. An atom that has turned NaN or infinite leaves
// the grid for good: it can touch nothing again.
bool noteMove(ContactGrid& grid, const World& world, std::int32_t atom) {
  if (atom < 0 || static_cast<std::size_t>(atom) >= grid.entryOf.size()) return true;
  const Vec2 now = world.atoms[atom].pos;
  const bool finite = isFinite(now);
  const std::int32_t entry = grid.entryOf[atom];
  if (entry >= 0) {
    GridEntry& filed = grid.entries[static_cast<std::size_t>(entry)];
    if (finite) {
      const Vec2 from = grid.filedAt[atom];
      const double movedX = std::fabs(static_cast<double>(now.x) - from.x);
      const double movedY = std::fabs(static_cast<double>(now.y) - from.y);
      if (movedX <= grid.moveMargin && movedY <= grid.moveMargin) {
        filed.pos = now;
        return true;
      }
    }
    filed.pos = {nowhere, nowhere};
    grid.entryOf[atom] = -1;
    return !finite || fileMover(grid, atom, now);
  }
  const std::uint32_t bucket = grid.slotBucket[atom];
  if (bucket == noBucket) return true;  // loose, or out of the grid
  if (finite && bucketAt(grid, now) == bucket) return true;
  unlinkMover(grid, atom);
  return !finite || fileMover(grid, atom, now);
}

}  // namespace squish::sim
