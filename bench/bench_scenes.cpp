// Builders of the benchmark scenes. Each is stepped for a while with the fast step so that it
// is measured in a typical state: boxes landing, bodies sagging, clouds colliding.
#include "bench/bench_scenes.h"

#include <cmath>
#include <random>
#include <vector>

#include "sim/builders.h"
#include "sim/fast_step.h"

namespace squish::bench {

using sim::SimSettings;
using sim::StepState;
using sim::World;

namespace {

void settle(Scene& scene, int steps) {
  StepState state;
  for (int i = 0; i < steps; ++i)
    sim::stepWorldFast(scene.world, scene.settings, state);
}

}  // namespace

// Boxes of 10 x 10 atoms stacked six abreast, each row of boxes 10 units above the last, after
// 300 steps of falling: the lower rows have landed on the floor and on each other, the upper
// ones still fall. (A pile that comes to rest is not to be had with these settings: impact
// bonds and elastic contacts keep a landed pile stirring.)
Scene boxPile(std::int32_t atoms) {
  Scene scene{"pile", World{}, SimSettings{}};
  const std::int32_t boxes = atoms / 100;
  for (std::int32_t b = 0; b < boxes; ++b) {
    const float x = -300.0f + static_cast<float>(b % 6) * 100.0f;
    const float y = 5.0f + static_cast<float>(b / 6) * 100.0f;
    sim::buildBox(scene.world, scene.settings, x, y, 10, 10, 9 + b % 6, 0.0f);
  }
  settle(scene, 300);
  return scene;
}

// One square bitmap body of side √atoms with a blank border, spaced 2 units so it spans the
// arena (atoms of size 0.8), after 100 steps.
Scene bitmapBody(std::int32_t atoms) {
  Scene scene{"bitmap", World{}, SimSettings{}};
  scene.settings.atomSpace = 2.0f;
  scene.settings.atomSize = 0.8f;
  const auto side = static_cast<std::int32_t>(std::lround(std::sqrt(atoms))) + 2;
  std::vector<std::uint8_t> image(static_cast<std::size_t>(4 + side * side), 0);
  for (std::int32_t j = 1; j + 1 < side; ++j) {
    for (std::int32_t i = 1; i + 1 < side; ++i)
      image[static_cast<std::size_t>(4 + j * side + i)] =
          static_cast<std::uint8_t>(1 + (i + j) % 200);
  }
  const float left = -static_cast<float>(side);
  sim::buildBitmap(scene.world, scene.settings, image, side, side, left,
                   10.0f + 2.0f * static_cast<float>(side), 0, 0.0f);
  settle(scene, 100);
  return scene;
}

// Loose atoms scattered over the arena about one atom spacing apart, every one kicked with a
// random velocity of up to maxSpeed per component, after 20 steps of collisions and bonding.
Scene kickedCloud(std::int32_t atoms) {
  Scene scene{"cloud", World{}, SimSettings{}};
  std::mt19937 random(1234);
  std::uniform_real_distribution<float> across(-315.0f, 315.0f);
  std::uniform_real_distribution<float> up(5.0f,
                                           5.0f + static_cast<float>(atoms) * 100.0f / 630.0f);
  std::uniform_real_distribution<float> kick(-scene.settings.maxSpeed, scene.settings.maxSpeed);
  for (std::int32_t i = 0; i < atoms; ++i) {
    const std::int32_t slot = sim::allocateAtom(scene.world);
    sim::setAtom(scene.world, slot, across(random), up(random), kick(random), kick(random), 12);
  }
  settle(scene, 20);
  return scene;
}

// Rows of 200 atoms 3 units apart along x, each row at its own height 2^27 (two float steps)
// above the last from 1e15 up, kicked along x so that neighbours meet, after 20 steps.
Scene farRows(std::int32_t atoms) {
  Scene scene{"far", World{}, SimSettings{}};
  std::mt19937 random(4321);
  std::uniform_real_distribution<float> kick(-0.5f, 0.5f);
  for (std::int32_t i = 0; i < atoms; ++i) {
    const std::int32_t slot = sim::allocateAtom(scene.world);
    const float x = -300.0f + 3.0f * static_cast<float>(i % 200);
    const float y = 1e15f + 134217728.0f * static_cast<float>(i / 200);
    sim::setAtom(scene.world, slot, x, y, kick(random), 0.0f, 12);
  }
  settle(scene, 20);
  return scene;
}

// A square box of atoms of size 1e-12 (atomSpace 10, as ATOMSIZE=1e-12 in a scene file) above
// the floor, after 20 steps.
Scene tinyAtoms(std::int32_t atoms) {
  Scene scene{"tiny", World{}, SimSettings{}};
  scene.settings.atomSize = 1e-12f;
  const auto side = static_cast<std::int32_t>(std::lround(std::sqrt(atoms)));
  sim::buildBox(scene.world, scene.settings, -100.0f, 10.0f, side, side, 9, 0.0f);
  settle(scene, 20);
  return scene;
}

// A square box below the floor with boundDecay -2 and maxSpeed 1e38: every bounce doubles an
// atom's speed, so after 60 steps the atoms lie anywhere from the arena to 1e38 and some have
// gone infinite.
Scene explodingBox(std::int32_t atoms) {
  Scene scene{"exploding", World{}, SimSettings{}};
  scene.settings.boundDecay = -2.0f;
  scene.settings.maxSpeed = 1e38f;
  const auto side = static_cast<std::int32_t>(std::lround(std::sqrt(atoms)));
  sim::buildBox(scene.world, scene.settings, -300.0f, -500.0f, side, side, 9, 0.0f);
  settle(scene, 60);
  return scene;
}

}  // namespace squish::bench
