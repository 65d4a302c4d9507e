#pragma once
// The spatial index of the fast step's contact search: live atoms kept in square cells a
// contact distance wide, each cell a list of the atoms standing in it now, so an atom meets only
// the atoms of the nine cells around it instead of the whole table.
#include <cstdint>
#include <span>
#include <vector>

#include "sim/growth.h"
#include "sim/vec2.h"
#include "sim/world.h"

namespace squish::sim {

// What one search writes: its candidates (room for every slot) and a bit per slot, all clear
// between searches. The grid holds one; a second thread searching at the same time brings its
// own.
struct SearchBuffers {
  std::vector<std::int32_t> found;
  std::vector<std::uint64_t> marks;
};

// Built at the start of the atom loop and kept current as each atom moves, so it always files
// every atom where the loop sees it: atoms already finished at their new positions, the others
// where they started. Its buffers only ever grow and are reused from step to step; a build that
// cannot grow them fails, and the grid is then not used until a build succeeds.
//
// Along each axis a coordinate has a key. Within 2^40 cells of the origin the key is the index
// of its cell; farther out, where neighbouring floats lie more than 2^15 cells apart, the only
// coordinate within reach of another is itself, and the key stands for the coordinate's exact
// value. An atom far out along both axes can only be within reach of atoms at its very
// position, which never touch it (their offset is zero), so it is left out like an atom at a
// NaN or infinite position.
struct ContactGrid {
  float contactDistance = 0.0f;  // 2 x atomSize, as the contact test forms it
  double inverseCell = 0.0;
  bool built = false;  // the last build finished, so the grid files the atoms
  // The cells in use: when the atoms' cells span a window of modest size and few atoms lie
  // beyond it, one bucket per cell of the window and of a ring of empty cells around it, row
  // after row, `stride` buckets a row; otherwise rows of keys hashed into a power-of-two table,
  // consecutive keys of a row in consecutive buckets. The bucket after the last holds the loose
  // list: atoms outside a dense window, which every search reads.
  bool dense = false;
  std::int64_t columnLow = 0;  // the dense window's cells
  std::int64_t columnHigh = -1;
  std::int64_t rowLow = 0;
  std::int64_t rowHigh = -1;
  std::int64_t stride = 0;
  struct Window {  // the dense window's low corner and size in cells, for the cell sums
    double firstColumn = 0.0;
    double firstRow = 0.0;
    double columns = 0.0;
    double rows = 0.0;
  } window;
  std::uint64_t bucketMask = 0;
  std::vector<std::int32_t> head;         // per bucket: first atom of its list, 0 for none
  std::vector<std::int32_t> next;         // per slot: the next atom in its bucket, 0 at the end
  std::vector<std::int32_t> previous;     // per slot: the atom before it, 0 at the head
  std::vector<std::uint32_t> atomBucket;  // per slot: its bucket, or a mark for none
  std::int32_t looseAtoms = 0;
  std::int32_t looseWhenBuilt = 0;
  // Per slot, as last filed or moved: whether the atom was live, and where it stood. Every atom
  // but the searching one stands where it was last filed or moved, so a search reads positions
  // here, packed closer than in the atom table; and a later step can reuse the grid when
  // nothing has changed since. Slot 0, where every list ends, stands at infinity.
  std::int32_t slots = 0;
  std::vector<std::uint8_t> filedLive;
  std::vector<Vec2> filedAt;
  SearchBuffers search;
  AllocationFaults faults;  // every growth of the buffers above goes through it
};

// How buildContactGrid lays out the cells: a dense window when the atoms' spread makes it cheap,
// or the hashed table regardless. A hashed table files no atom on the loose list, so a grid
// rebuilt because atoms left a dense window in the middle of a step is not rebuilt again.
enum class GridLayout { fitted, hashed };

// Files the live atoms of slots 1..atomCount where they stand. `contactDistance` must be a
// positive finite float. False, with the grid unusable, when its buffers cannot grow.
[[nodiscard]] bool buildContactGrid(ContactGrid& grid, const World& world, float contactDistance,
                                    GridLayout layout = GridLayout::fitted);

// Whether the grid still files every atom where it stands: built for this contact distance over
// the same slots, with no atom born, killed or moved since (positions compared bit for bit).
// Each step ends with the grid in step with the world, so the next can go on with it unless
// something outside the step has changed the world.
bool gridFilesWorld(const ContactGrid& grid, const World& world, float contactDistance);

// Every atom other than `atom` (one of the grid's slots) that may touch it, in increasing slot
// order: `atom` where it stands now, the others where the grid last filed or moved them, which is
// where they stand as long as every move is followed by noteMove before the next search. Each
// passes |dx| < contactDistance and |dy| < contactDistance with the offset formed as the contact
// test forms it, and dx and dy are not both zero. Since the contact test's length is never below
// either component, no atom it would accept is left out; and it never acts on a pair at one
// position (its approach rate is NaN: a division by a zero length). The result lies in the grid's
// `found` buffer and is valid until the next search or build. Allocates nothing.
std::span<const std::int32_t> findContactCandidates(ContactGrid& grid, const World& world,
                                                    std::int32_t atom);

// The same search writing into `buffers`, which must have room for the grid's slots
// (fitSearchBuffers). Searches of atoms whose nine cells are apart from every cell another
// thread's atoms move in or out of may run at the same time, each with its own buffers.
std::span<const std::int32_t> findContactCandidates(ContactGrid& grid, const World& world,
                                                    std::int32_t atom, SearchBuffers& buffers);

// Gives `buffers` room for a search of a grid of `slots` slots; false when it cannot grow.
[[nodiscard]] bool fitSearchBuffers(SearchBuffers& buffers, std::int32_t slots,
                                    AllocationFaults& faults);

// The column of a dense window's cell that files an atom at `pos`, or -1 when the grid is not
// dense or `pos` lies outside the window.
std::int64_t windowColumnAt(const ContactGrid& grid, Vec2 pos);

// Where the grid last filed or moved `atom`, one of its slots.
inline Vec2 filedPosition(const ContactGrid& grid, std::int32_t atom) {
  return grid.filedAt[atom];
}

// Moves an atom's entry to the cell of its new position. Returns false when so many atoms have
// left the cells for the loose list since the grid was built that it should be built again.
bool noteMove(ContactGrid& grid, const World& world, std::int32_t atom);

}  // namespace squish::sim
