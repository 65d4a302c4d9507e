#pragma once
// The scenes the benchmarks measure: a pile of falling and landed boxes, one large bitmap body
// and a kicked cloud of loose atoms, and worlds far out, of tiny atoms or exploding, each of
// about the asked number of atoms, built by the body builders.
#include <cstdint>
#include <string>

#include "sim/settings.h"
#include "sim/world.h"

namespace squish::bench {

struct Scene {
  std::string name;
  sim::World world;
  sim::SimSettings settings;
};

// Steps a benchmark runs on one copy of a scene before it starts again from a fresh copy (not
// timed). The scenes change as they run (a body sags, folds and crumples on the floor, a cloud
// clumps), so without it a figure would depend on how many steps the benchmark library chose to
// run; with it each figure is about the scene as built.
inline constexpr int stepsPerCopy = 50;

// Counts a step of the copy in `steps`; true, with the count started again, when the copy has
// taken its stepsPerCopy steps and a fresh one is due.
inline bool freshCopyDue(int& steps) {
  if (steps < stepsPerCopy) {
    ++steps;
    return false;
  }
  steps = 1;
  return true;
}

// Boxes of 10 x 10 atoms stacked six abreast after 300 steps of falling.
Scene boxPile(std::int32_t atoms);
// One square bitmap body of about `atoms` atoms spaced 2 units, after 100 steps.
Scene bitmapBody(std::int32_t atoms);
// Loose atoms over the arena, each kicked with a random velocity, after 20 steps.
Scene kickedCloud(std::int32_t atoms);

// Worlds where the contact grid cannot give coordinates cell indices, because they lie so far
// out or the atoms are so small: rows of loose atoms 1e15 up, a box of atoms of size 1e-12, and
// a box that bounces through the floor ever faster until its atoms fly apart to 1e38.
Scene farRows(std::int32_t atoms);
Scene tinyAtoms(std::int32_t atoms);
Scene explodingBox(std::int32_t atoms);

}  // namespace squish::bench
