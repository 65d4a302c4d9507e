// The default scene: three bodies resting near the floor and six boxes and bars that start
// above the top of the screen (world y 480) and fall into view.
#include "sim/default_scene.h"

#include "sim/builders.h"

namespace squish::sim {

void buildDefaultScene(World& world, const SimSettings& settings) {
  buildBox(world, settings, 100.0f, 150.0f, 2, 5, 14, 0.1f);
  buildBox(world, settings, 0.0f, 150.0f, 2, 5, 13, 0.1f);
  buildTriangle(world, settings, 0.0f, 100.0f, 7, 15, 0.1f);
  buildBox(world, settings, -100.0f, 150.0f, 3, 3, 12, 0.1f);
  buildBox(world, settings, 0.0f, 2000.0f, 5, 5, 11, 0.1f);
  buildBox(world, settings, -100.0f, 1000.0f, 10, 3, 10, 0.1f);
  buildBox(world, settings, -100.0f, 500.0f, 10, 8, 9, 0.1f);
  buildBox(world, settings, -150.0f, 3000.0f, 5, 5, 11, 0.1f);
  buildBox(world, settings, -200.0f, 500.0f, 20, 1, 7, 0.2f);
}

}  // namespace squish::sim
