#pragma once
// The settings record shared by the step, the builders, the renderer, the scene reader and the
// panel. Eleven physics values and two display flags; any nonzero flag means on.
#include <cstdint>

namespace squish::sim {

struct SimSettings {
  float atomSize = 4.0f;
  float atomSpace = 10.0f;
  float maxSpeed = 5.0f;
  float yGravity = -0.004f;
  float xGravity = 0.0f;
  float boundDecay = 0.99f;
  float deformFactor = 0.4f;
  float deformThreshold = 1.0f;
  float breakThreshold = 2.0f;
  float stiffness = 0.5f;
  float bondThreshold = 0.5f;
  std::int32_t showAtoms = 1;
  std::int32_t showBonds = 1;
};

}  // namespace squish::sim
