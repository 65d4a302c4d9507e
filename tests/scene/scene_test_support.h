#pragma once
// Helpers of the scene reader tests: an image loader that records what it was asked for, and
// exact comparisons of worlds and settings records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "sim/builders.h"
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::scene {

// Stands in for the display's BMP loader: records each request and fills every pixel with
// pixelValue, so a bitmap line builds one atom per pixel.
struct FakeImageFiles {
  static constexpr std::uint8_t pixelValue = 7;
  std::vector<std::string> names;
  std::vector<std::size_t> bufferSizes;

  sim::ImageFileLoader loader() {
    return [this](const std::string& fileName, std::int32_t width, std::int32_t height,
                  std::vector<std::uint8_t>& image) {
      names.push_back(fileName);
      sim::AllocationFaults faults;
      sim::makeImageBlock(image, width, height, faults);
      bufferSizes.push_back(image.size());
      if (image.size() > 4) std::fill(image.begin() + 4, image.end(), pixelValue);
    };
  }
};

inline auto fieldsOf(const sim::SimSettings& s) {
  return std::tuple(s.atomSize, s.atomSpace, s.maxSpeed, s.yGravity, s.xGravity, s.boundDecay,
                    s.deformFactor, s.deformThreshold, s.breakThreshold, s.stiffness,
                    s.bondThreshold, s.showAtoms, s.showBonds);
}

// Every live record of the two worlds, field by field, bit for bit.
inline void expectSameBodies(const sim::World& actual, const sim::World& expected) {
  ASSERT_EQ(actual.atomCount(), expected.atomCount());
  ASSERT_EQ(actual.bondCount(), expected.bondCount());
  for (std::int32_t i = 1; i <= expected.atomCount(); ++i) {
    const sim::Atom& a = actual.atoms()[static_cast<std::size_t>(i)];
    const sim::Atom& e = expected.atoms()[static_cast<std::size_t>(i)];
    SCOPED_TRACE("atom " + std::to_string(i));
    EXPECT_EQ(std::tuple(a.alive, a.pos.x, a.pos.y, a.vel.x, a.vel.y, a.placed, a.colour),
              std::tuple(e.alive, e.pos.x, e.pos.y, e.vel.x, e.vel.y, e.placed, e.colour));
  }
  for (std::int32_t i = 1; i <= expected.bondCount(); ++i) {
    const sim::Bond& a = actual.bonds()[static_cast<std::size_t>(i)];
    const sim::Bond& e = expected.bonds()[static_cast<std::size_t>(i)];
    SCOPED_TRACE("bond " + std::to_string(i));
    EXPECT_EQ(std::tuple(a.alive, a.atomA, a.atomB, a.spacing, a.restLength, a.colour),
              std::tuple(e.alive, e.atomA, e.atomB, e.spacing, e.restLength, e.colour));
  }
}

}  // namespace squish::scene
