#pragma once
// The spatial index of the fast step's contact search: live atoms filed in square cells, each
// cell a run of a flat array in slot order, so an atom meets only the atoms of the nine cells
// around it, read from consecutive memory, instead of the whole table.
#include <cstdint>
#include <span>
#include <vector>

#include "sim/vec2.h"
#include "sim/world.h"

namespace squish::sim {

// One bucket: where its run of entries begins, and the first of its movers (0 for none), side
// by side so a search reads both from one cache line.
struct GridBucket {
  std::int32_t firstEntry = 0;
  std::int32_t firstMover = 0;
};

// One filed atom: where it stands now (kept current as it moves) and its slot.
struct GridEntry {
  Vec2 pos;
  std::int32_t slot = 0;
};

// Built at the start of the atom loop. Each atom stays in the cell it was filed in while it
// moves no more than `moveMargin` from where it was filed (a cell is a contact distance plus
// that margin wide, so its neighbours still hold every atom within reach); its entry follows its
// position. An atom that goes further joins the list of its cell's movers, which holds atoms
// where they stand now, and changes list as it changes cell. An atom whose cell lies beyond the
// cells in use (or whose coordinates are finite but huge) is kept on a loose list that every
// search reads. Atoms at NaN or infinite positions are left out: they never touch anything.
// The buffers only ever grow and are reused.
struct ContactGrid {
  float contactDistance = 0.0f;  // 2 x atomSize, as the contact test forms it
  double moveMargin = 0.0;
  double inverseCell = 0.0;
  // The cells in use: when the atoms' cells span a window of modest size, one bucket per cell of
  // the window, row after row; otherwise rows hashed into a power-of-two table. Either way the
  // cells of a row lie in consecutive buckets.
  bool dense = false;
  std::int64_t columnLow = 0;
  std::int64_t columnHigh = -1;
  std::int64_t rowLow = 0;
  std::int64_t rowHigh = -1;
  std::uint64_t bucketMask = 0;
  std::vector<GridBucket> buckets;          // and one past the last, whose run begins at the end
  std::vector<GridEntry> entries;           // bucket after bucket, each in increasing slot order
  std::vector<std::int32_t> entryOf;        // per slot: its entry, or -1 when not in a cell
  std::vector<Vec2> filedAt;                // per slot: where it stood when filed
  std::vector<std::uint32_t> slotBucket;    // per slot: its movers' list, while building its cell
  std::vector<std::int32_t> moverNext;      // per slot: the next mover in its bucket, 0 at the end
  std::vector<std::int32_t> moverPrevious;  // per slot: the mover before it, 0 at the head
  std::vector<std::int32_t> looseAtoms;     // slots read by every search
  std::size_t looseWhenBuilt = 0;
};

// Files the live atoms of slots 1..atomCount where they stand. `contactDistance` must be a
// positive finite float; `moveMargin` is how far an atom may move and stay in its cell (any
// value from 0 up to a few contact distances: it trades wider cells for fewer loose atoms).
void buildContactGrid(ContactGrid& grid, const World& world, float contactDistance,
                      double moveMargin);

// Every atom other than `atom` that may be in contact with it where the atoms stand now, in
// increasing slot order: each passes |dx| < contactDistance and |dy| < contactDistance with
// the offset formed as the contact test forms it. Since the contact test's length is never
// below either component, no atom it would accept is left out. The result lies at the start
// of `buffer` (which only grows) and is valid until its next use.
std::span<const std::int32_t> findContactCandidates(const ContactGrid& grid, const World& world,
                                                    std::int32_t atom,
                                                    std::vector<std::int32_t>& buffer);

// Brings an atom's entry to its new position, or makes it a mover (or loose) when it has gone
// further than the margin; a mover follows its position from list to list. Returns false when so
// many atoms have gone loose since the grid was built that it should be built again.
bool noteMove(ContactGrid& grid, const World& world, std::int32_t atom);

}  // namespace squish::sim
