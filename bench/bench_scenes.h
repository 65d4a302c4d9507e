#pragma once
// The scenes the benchmarks measure: a settled pile of boxes, one large bitmap body and a kicked
// cloud of loose atoms, each of about the asked number of atoms, built by the body builders.
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

// Boxes of 10 x 10 atoms stacked six abreast after 300 steps of falling.
Scene boxPile(std::int32_t atoms);
// One square bitmap body of about `atoms` atoms spaced 2 units, after 100 steps.
Scene bitmapBody(std::int32_t atoms);
// Loose atoms over the arena, each kicked with a random velocity, after 20 steps.
Scene kickedCloud(std::int32_t atoms);

}  // namespace squish::bench
