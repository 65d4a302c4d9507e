// The contact grid: cells as doubly linked lists of atom slots, built once per step and kept
// current as atoms move, and the neighbourhood search that offers candidates in slot order.
// Sections: cells, building, searching, moving.
#include "sim/contact_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>

namespace squish::sim {
namespace {

// ---- Cells ----
//
// Why an atom in reach of a search lies in a list the search reads. A search offers atoms whose
// offset, formed in single precision, is below contactDistance along each axis; the exact
// offset is then below `reach` (see buildContactGrid), and a cell is 1.001 x reach wide. A
// coordinate x is scaled to s = x * inverseCell in double precision, which is off by at most
// |s| x 2^-52, and the two atoms' scaled coordinates along an axis compare as follows.
// - Both within ±2^40 (keys are cell indices): they differ by under 1 / 1.001 + 2 x 2^-12 < 1,
//   so their cells are the same or neighbours, and the search reads the three cells around its
//   own along that axis.
// - Either beyond (an exact key): its x lies at least (1 - 2^-52) x 2^40 cells from 0, so it is
//   a normal float whose neighbouring floats are at least |x| x 2^-25, over 2^15 cells, away.
//   The other atom's coordinate is a float within reach of x, so it is x itself and has the same
//   key; along that axis the search reads the atom's own key only.
// So an atom with exact keys along both axes is within reach only of atoms at its very position,
// which the search never offers: it is in no list and searches none.

constexpr double cellRange = 1099511627776.0;  // 2^40
constexpr std::int64_t cellLimit = 1099511627776;
// Exact keys: this plus the coordinate's bits, above every cell index and its neighbours.
constexpr std::int64_t exactKeys = std::int64_t{1} << 41;
// Marks in atomBucket for atoms in no list: not filed (dead when filed, or at a NaN or infinite
// position, which no step makes finite again), or far out along both axes for now.
constexpr std::uint32_t noBucket = 0xFFFFFFFFu;
constexpr std::uint32_t apartBucket = 0xFFFFFFFEu;
// Cells kept around the atoms' window for atoms that move out of it during the step.
constexpr std::int64_t spareCells = 16;
// Empty cells around a dense window, so that every cell a search may centre on (the window's
// and the first ring's) has its eight neighbours in the table.
constexpr std::int64_t emptyRing = 2;
// A dense window is laid out only while at most this many atoms lie beyond it when it is built
// (far out along one axis): every search reads them.
constexpr std::int32_t strayLimit = 16;
// Past this many atoms gone loose every search pays more for them than a fresh grid costs.
constexpr std::int32_t looseLimit = 64;

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

// A finite coordinate's key along one axis: its cell's index, or its exact key. The bits of an
// exact key are mixed (a bijection, so distinct coordinates keep distinct keys) because the low
// bits of round numbers' floats are mostly zero, and a row's keys should spread over the table.
std::int64_t axisKey(float coordinate, double inverseCell) {
  const double scaled = coordinate * inverseCell;
  if (withinCellRange(scaled)) return cellOf(scaled);
  std::uint32_t bits = std::bit_cast<std::uint32_t>(coordinate) * 0x9E3779B1u;
  bits ^= bits >> 16;
  return exactKeys + bits;
}

bool isExactKey(std::int64_t key) {
  return key >= exactKeys;
}

bool farOnBothAxes(const ContactGrid& grid, Vec2 pos) {
  return !withinCellRange(pos.x * grid.inverseCell) && !withinCellRange(pos.y * grid.inverseCell);
}

std::uint64_t hashedBucket(const ContactGrid& grid, std::int64_t column, std::int64_t row) {
  std::uint64_t h = static_cast<std::uint64_t>(row) * 0x9E3779B97F4A7C15ull;
  h ^= h >> 32;
  return (h + static_cast<std::uint64_t>(column)) & grid.bucketMask;
}

std::uint32_t looseBucket(const ContactGrid& grid) {
  return static_cast<std::uint32_t>(grid.bucketMask + 1);
}

// A position in a dense window's cells, counted from its low corner, fractions kept. The same
// sums file an atom and search around one, so an atom within reach of another always lies in a
// neighbouring cell (the rounding moves a count by under 2^-12 of a cell).
struct WindowSpot {
  double column = 0.0;
  double row = 0.0;
};

WindowSpot spotInWindow(const ContactGrid& grid, Vec2 pos) {
  return {pos.x * grid.inverseCell - grid.window.firstColumn,
          pos.y * grid.inverseCell - grid.window.firstRow};
}

// The bucket of a cell of the window or of the empty ring around it: columns from -2 to the
// window's count + 1, rows likewise.
std::uint32_t windowBucket(const ContactGrid& grid, std::int64_t column, std::int64_t row) {
  return static_cast<std::uint32_t>((row + emptyRing) * grid.stride + column + emptyRing);
}

// The bucket of an atom at a finite position: its cell's; outside a dense window the loose
// list's; or the apart mark when it is far out along both axes.
std::uint32_t bucketAt(const ContactGrid& grid, Vec2 pos) {
  if (grid.dense) {
    const WindowSpot at = spotInWindow(grid, pos);
    if (at.column >= 0.0 && at.column < grid.window.columns && at.row >= 0.0 &&
        at.row < grid.window.rows) {
      // Truncation is the floor here: both counts are at least 0.
      return windowBucket(grid, static_cast<std::int64_t>(at.column),
                          static_cast<std::int64_t>(at.row));
    }
    return farOnBothAxes(grid, pos) ? apartBucket : looseBucket(grid);
  }
  const std::int64_t column = axisKey(pos.x, grid.inverseCell);
  const std::int64_t row = axisKey(pos.y, grid.inverseCell);
  if (isExactKey(column) && isExactKey(row)) return apartBucket;
  return static_cast<std::uint32_t>(hashedBucket(grid, column, row));
}

// A dense window (the atoms' cells with spare cells around them) is used while it has no more
// than a few cells per atom, or 256 KB of list heads for a small world, and few atoms lie beyond
// it: a table of empty cells costs less than hashing for every search of a world that has
// spread out, and the atoms beyond it less than hashing while they are few.
void chooseLayout(ContactGrid& grid, std::int32_t count, std::int64_t columnLow,
                  std::int64_t columnHigh, std::int64_t rowLow, std::int64_t rowHigh,
                  std::int32_t strays, GridLayout layout) {
  const std::int64_t mostCells = 4 * std::int64_t{count} + 65536;
  if (columnLow > columnHigh || rowLow > rowHigh) {
    columnLow = columnHigh = rowLow = rowHigh = 0;  // nothing to file: a window around the origin
  }
  columnLow = std::max(columnLow - spareCells, -cellLimit);
  columnHigh = std::min(columnHigh + spareCells, cellLimit);
  rowLow = std::max(rowLow - spareCells, -cellLimit);
  rowHigh = std::min(rowHigh + spareCells, cellLimit);
  const std::int64_t columns = columnHigh - columnLow + 1;
  const std::int64_t rows = rowHigh - rowLow + 1;
  const std::int64_t stride = columns + 2 * emptyRing;
  const std::int64_t tableRows = rows + 2 * emptyRing;
  grid.dense = layout == GridLayout::fitted && strays <= strayLimit && stride <= mostCells &&
               tableRows <= mostCells && stride * tableRows <= mostCells;
  if (grid.dense) {
    grid.columnLow = columnLow;
    grid.columnHigh = columnHigh;
    grid.rowLow = rowLow;
    grid.rowHigh = rowHigh;
    grid.stride = stride;
    grid.window = {static_cast<double>(columnLow), static_cast<double>(rowLow),
                   static_cast<double>(columns), static_cast<double>(rows)};
    grid.bucketMask = static_cast<std::uint64_t>(stride * tableRows) - 1;
  } else {
    grid.columnLow = 0;
    grid.columnHigh = -1;
    grid.rowLow = 0;
    grid.rowHigh = -1;
    grid.stride = 0;
    grid.window = {};
    grid.bucketMask = std::bit_ceil(std::max<std::uint64_t>(64, 2 * std::uint64_t(count))) - 1;
  }
}

// Files an atom under a bucket, or under a mark with no list.
void link(ContactGrid& grid, std::int32_t atom, std::uint32_t bucket) {
  grid.atomBucket[atom] = bucket;
  if (bucket == noBucket || bucket == apartBucket) return;
  const std::int32_t first = grid.head[bucket];
  grid.next[atom] = first;
  grid.previous[atom] = 0;
  if (first != 0) grid.previous[first] = atom;
  grid.head[bucket] = atom;
  if (bucket == looseBucket(grid)) ++grid.looseAtoms;
}

void unlink(ContactGrid& grid, std::int32_t atom) {
  const std::uint32_t bucket = grid.atomBucket[atom];
  grid.atomBucket[atom] = noBucket;
  if (bucket == noBucket || bucket == apartBucket) return;
  const std::int32_t before = grid.previous[atom];
  const std::int32_t after = grid.next[atom];
  if (before != 0) {
    grid.next[before] = after;
  } else {
    grid.head[bucket] = after;
  }
  if (after != 0) grid.previous[after] = before;
  if (bucket == looseBucket(grid)) --grid.looseAtoms;
}

}  // namespace

// ---- Building ----

// The cell is as wide as the reach of a contact (contactDistance, plus the relative 2^-23
// that forming the offset in single precision may shave off, plus an absolute bit for
// subnormal offsets), widened by 0.1 % for the rounding of scaled coordinates: so an atom in
// contact lies in one of the nine cells around the searching atom (see Cells). Every buffer is
// grown before the first atom is filed, the search's among them, so that searching and moving
// never allocate.
bool buildContactGrid(ContactGrid& grid, const World& world, float contactDistance,
                      GridLayout layout) {
  grid.built = false;
  const std::span<const Atom> atoms = world.atoms();
  const std::int32_t count = world.atomCount();
  const auto slots = static_cast<std::size_t>(count) + 1;
  if (!tryResize(grid.next, slots, grid.faults) || !tryResize(grid.previous, slots, grid.faults) ||
      !tryResize(grid.atomBucket, slots, grid.faults) ||
      !tryResize(grid.filedLive, slots, grid.faults) ||
      !tryResize(grid.filedAt, slots, grid.faults) ||
      !fitSearchBuffers(grid.search, count, grid.faults))
    return false;
  grid.contactDistance = contactDistance;
  const double reach = contactDistance * (1.0 + 0x1p-20) + 0x1p-140;
  grid.inverseCell = 1.0 / (reach * 1.001);
  grid.looseAtoms = 0;

  // The cells of the atoms near enough to have cell indices along both axes, and how many are
  // far out along one axis only (the atoms a dense window leaves on the loose list).
  std::int64_t columnLow = cellLimit;
  std::int64_t columnHigh = -cellLimit;
  std::int64_t rowLow = cellLimit;
  std::int64_t rowHigh = -cellLimit;
  std::int32_t strays = 0;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const Atom& atom = atoms[slot];
    if (!atom.alive || !isFinite(atom.pos)) continue;
    const double x = atom.pos.x * grid.inverseCell;
    const double y = atom.pos.y * grid.inverseCell;
    if (!withinCellRange(x) || !withinCellRange(y)) {
      if (withinCellRange(x) || withinCellRange(y)) ++strays;
      continue;
    }
    columnLow = std::min(columnLow, cellOf(x));
    columnHigh = std::max(columnHigh, cellOf(x));
    rowLow = std::min(rowLow, cellOf(y));
    rowHigh = std::max(rowHigh, cellOf(y));
  }
  chooseLayout(grid, count, columnLow, columnHigh, rowLow, rowHigh, strays, layout);
  if (!tryAssign(grid.head, grid.bucketMask + 2, std::int32_t{0}, grid.faults)) return false;

  grid.slots = count;
  grid.filedAt[0] = {INFINITY, INFINITY};  // where every list ends; never near anything
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const Atom& atom = atoms[slot];
    grid.filedLive[slot] = atom.alive ? 1 : 0;
    grid.filedAt[slot] = atom.pos;
    const bool filed = atom.alive && isFinite(atom.pos);
    link(grid, slot, filed ? bucketAt(grid, atom.pos) : noBucket);
  }
  grid.looseWhenBuilt = grid.looseAtoms;
  grid.built = true;
  return true;
}

bool gridFilesWorld(const ContactGrid& grid, const World& world, float contactDistance) {
  if (!grid.built || grid.contactDistance != contactDistance || grid.slots != world.atomCount())
    return false;
  const std::span<const Atom> atoms = world.atoms();
  for (std::int32_t slot = 1; slot <= grid.slots; ++slot) {
    const Atom& atom = atoms[slot];
    const bool live = atom.alive;
    if (live != (grid.filedLive[slot] != 0)) return false;
    if (live &&
        std::bit_cast<std::uint64_t>(atom.pos) != std::bit_cast<std::uint64_t>(grid.filedAt[slot]))
      return false;
  }
  return true;
}

// ---- Searching ----

namespace {

// The first atoms of the lists of a hashed table around a position: along an axis where its
// key is a cell index the three cells around it, where it is exact the key alone (see Cells).
// Several cells may share a bucket; its list is taken once. Returns how many it wrote, at most
// nine; none when both keys are exact.
int hashedListsAround(const ContactGrid& grid, Vec2 here, std::int32_t* firsts) {
  const std::int64_t column = axisKey(here.x, grid.inverseCell);
  const std::int64_t row = axisKey(here.y, grid.inverseCell);
  const bool exactColumn = isExactKey(column);
  const bool exactRow = isExactKey(row);
  if (exactColumn && exactRow) return 0;
  // The cells of a row lie in consecutive buckets, wrapping around the table, so they are
  // distinct; a row may share buckets only with the range of an earlier row.
  const std::int64_t left = exactColumn ? column : column - 1;
  const std::uint64_t cells = exactColumn ? 1 : 3;
  const std::int64_t bottom = exactRow ? row : row - 1;
  const std::int64_t top = exactRow ? row : row + 1;
  int count = 0;
  std::uint64_t rowStarts[3];
  int rowsTaken = 0;
  for (std::int64_t r = bottom; r <= top; ++r) {
    const std::uint64_t start = hashedBucket(grid, left, r);
    for (std::uint64_t c = 0; c < cells; ++c) {
      const std::uint64_t bucket = (start + c) & grid.bucketMask;
      bool taken = false;
      for (int k = 0; k < rowsTaken; ++k)
        taken = taken || ((bucket - rowStarts[k]) & grid.bucketMask) < cells;
      if (!taken) firsts[count++] = grid.head[bucket];
    }
    rowStarts[rowsTaken++] = start;
  }
  return count;
}

// Puts distinct slots in increasing order through the grid's bit per slot: time linear in their
// count and in the span of their slots, where a sort takes count x log(count). Leaves every bit
// clear.
void orderBySlot(SearchBuffers& buffers, std::int32_t* slots, std::size_t count, std::int32_t low,
                 std::int32_t high) {
  std::uint64_t* marks = buffers.marks.data();
  for (std::size_t k = 0; k < count; ++k)
    marks[slots[k] / 64] |= std::uint64_t{1} << (slots[k] % 64);
  std::size_t written = 0;
  for (std::int32_t word = low / 64; word <= high / 64; ++word) {
    std::uint64_t bits = marks[word];
    marks[word] = 0;
    for (; bits != 0; bits &= bits - 1)
      slots[written++] = word * 64 + std::countr_zero(bits);
  }
}

// Sorting a few candidates costs less than reading the words of their span; many candidates
// (atoms far larger than their spacing) are ordered through the bits.
void orderCandidates(SearchBuffers& buffers, std::int32_t* slots, std::size_t count) {
  if (count < 64) {
    std::sort(slots, slots + count);
    return;
  }
  const auto [low, high] = std::minmax_element(slots, slots + count);
  if ((*high - *low) / 64 > static_cast<std::int64_t>(count)) {
    std::sort(slots, slots + count);
  } else {
    orderBySlot(buffers, slots, count, *low, *high);
  }
}

}  // namespace

// Every list's first entry is tested without asking whether the list is empty: an empty list
// starts at slot 0, filed at infinity, which is never near. And an atom near enough is written
// out without a branch, by writing every walked atom and counting only the near ones. The
// searching atom's own entry is put at infinity for the walks, so they need not ask which atom
// they meet, and atoms at its very position are dropped afterwards from the few taken. So a
// search branches only on lists of two or more atoms, which are few at these cell sizes.
std::span<const std::int32_t> findContactCandidates(ContactGrid& grid, const World& world,
                                                    std::int32_t atom) {
  return findContactCandidates(grid, world, atom, grid.search);
}

std::span<const std::int32_t> findContactCandidates(ContactGrid& grid, const World& world,
                                                    std::int32_t atom, SearchBuffers& buffers) {
  const Vec2 here = world.atoms()[atom].pos;
  if (!isFinite(here)) return {};
  // The lists walked are disjoint and hold slots 1..slots: every write goes to the count taken
  // so far, which stays below the slots + 1 entries the build made room for.
  std::int32_t* out = buffers.found.data();
  std::size_t taken = 0;
  const std::int32_t* next = grid.next.data();
  Vec2* filedAt = grid.filedAt.data();
  const Vec2 filedSelf = filedAt[atom];
  filedAt[atom] = {INFINITY, INFINITY};
  const float reach = grid.contactDistance;
  const auto walk = [&](std::int32_t other) {
    do {
      const Vec2 there = filedAt[other];
      const float dx = there.x - here.x;
      const float dy = there.y - here.y;
      out[taken] = other;
      taken += static_cast<std::size_t>(int{std::fabs(dx) < reach} & int{std::fabs(dy) < reach});
      other = next[other];
    } while (other != 0);
  };

  if (grid.dense) {
    // A cell of the window or of the first ring around it has all eight neighbours in the
    // table; from farther out no cell of the window is in reach.
    const WindowSpot at = spotInWindow(grid, here);
    if (at.column >= -1.0 && at.column < grid.window.columns + 1.0 && at.row >= -1.0 &&
        at.row < grid.window.rows + 1.0) {
      const std::int32_t* centre =
          grid.head.data() + windowBucket(grid, cellOf(at.column), cellOf(at.row));
      // Written out cell by cell: each walk gets branches of its own to predict.
      const std::int32_t* below = centre - grid.stride;
      const std::int32_t* above = centre + grid.stride;
      walk(below[-1]);
      walk(below[0]);
      walk(below[1]);
      walk(centre[-1]);
      walk(centre[0]);
      walk(centre[1]);
      walk(above[-1]);
      walk(above[0]);
      walk(above[1]);
    }
  } else {
    std::int32_t firsts[9];
    const int lists = hashedListsAround(grid, here, firsts);
    for (int k = 0; k < lists; ++k)
      walk(firsts[k]);
  }
  if (grid.looseAtoms > 0) walk(grid.head[looseBucket(grid)]);
  filedAt[atom] = filedSelf;
  // Finite floats differ by zero only when equal, so these are the atoms at a zero offset.
  std::size_t kept = 0;
  for (std::size_t k = 0; k < taken; ++k) {
    const std::int32_t other = out[k];
    const Vec2 there = filedAt[other];
    out[kept] = other;
    kept += static_cast<std::size_t>(int{there.x != here.x} | int{there.y != here.y});
  }
  // Lists hold atoms in no particular order.
  if (kept > 1) orderCandidates(buffers, out, kept);
  return {out, kept};
}

bool fitSearchBuffers(SearchBuffers& buffers, std::int32_t slots, AllocationFaults& faults) {
  const auto size = static_cast<std::size_t>(slots) + 1;
  return tryResize(buffers.found, size, faults) &&
         tryAssign(buffers.marks, size / 64 + 1, std::uint64_t{0}, faults);
}

std::int64_t windowColumnAt(const ContactGrid& grid, Vec2 pos) {
  if (!grid.dense) return -1;
  const WindowSpot at = spotInWindow(grid, pos);
  if (!(at.column >= 0.0 && at.column < grid.window.columns && at.row >= 0.0 &&
        at.row < grid.window.rows))
    return -1;
  return static_cast<std::int64_t>(at.column);
}

// ---- Moving ----

// An atom that has turned NaN or infinite leaves the grid for good: it can touch nothing again.
// One far out along both axes is in no list until it comes nearer.
bool noteMove(ContactGrid& grid, const World& world, std::int32_t atom) {
  const Vec2 now = world.atoms()[atom].pos;
  grid.filedAt[atom] = now;
  const std::uint32_t bucket = grid.atomBucket[atom];
  if (bucket == noBucket) return true;
  const std::uint32_t moved = isFinite(now) ? bucketAt(grid, now) : noBucket;
  if (moved != bucket) {
    unlink(grid, atom);
    link(grid, atom, moved);
  }
  return grid.looseAtoms <= grid.looseWhenBuilt + looseLimit;
}

}  // namespace squish::sim
