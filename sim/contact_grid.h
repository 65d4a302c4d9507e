#pragma once
// The spatial index of the fast step's contact search: live atoms hashed into square cells by
// where they stood when the grid was built, so an atom meets only the atoms of the nine cells
// around it instead of the whole table.
#include <cstdint>
#include <vector>

#include "sim/vec2.h"
#include "sim/world.h"

namespace squish::sim {

// Built once per step, before the atom loop, and reused: its buffers only ever grow. An atom
// moves while the loop runs, so each cell is wider than the contact distance by `margin`, the
// most an atom is expected to move in a step; an atom that moves further is kept on the
// far-mover list and offered to every later search. Atoms whose coordinates lie beyond the
// cell range (but are finite) are offered to every search too. Atoms at NaN or infinite
// positions are left out: they never touch anything.
struct ContactGrid {
  float contactDistance = 0.0f;  // 2 x atomSize, as the contact test forms it
  double margin = 0.0;
  double inverseCell = 0.0;
  std::uint64_t bucketMask = 0;
  std::vector<std::uint32_t> bucketStart;  // entries of bucket b: [start[b], start[b + 1])
  std::vector<std::int32_t> entries;       // atom slots, bucket by bucket, each in slot order
  std::vector<std::uint32_t> atomBucket;   // per slot: its bucket, or noBucket
  std::vector<Vec2> anchors;               // per slot: the position the grid filed it under
  std::vector<std::int32_t> outliers;
  std::vector<std::int32_t> farMovers;
};

// The atoms of slots 1..atomCount are filed by their present positions. `contactDistance` must be
// a positive finite float; `expectedMove` (any value) sets the margin.
void buildContactGrid(ContactGrid& grid, const World& world, float contactDistance,
                      double expectedMove);

// Every atom other than `atom` that may be in contact with it where the atoms stand now, in
// increasing slot order: each passes |dx| < contactDistance and |dy| < contactDistance with
// the offset formed as the contact test forms it. Since the contact test's length is never
// below either component, no atom it would accept is left out.
void findContactCandidates(const ContactGrid& grid, const World& world, std::int32_t atom,
                           std::vector<std::int32_t>& candidates);

// Called once an atom has moved: one that left the margin around its filed position joins the
// far movers. Returns false when the far movers have become so many that the grid should be
// built again from where the atoms stand now.
bool noteMove(ContactGrid& grid, const World& world, std::int32_t atom);

}  // namespace squish::sim
