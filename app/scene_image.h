#pragma once
// A BITMAP line's image, loaded the one way both the program and the scene checker load it: the
// file is read whole, then the block is made, then the display's loader decodes it. The outcome
// says what went wrong, so each caller can tell it in its own words.
#include <cstdint>
#include <string>
#include <vector>

#include "display/image.h"
#include "display/screen.h"
#include "sim/world.h"

namespace squish::app {

enum class SceneImageProblem : std::uint8_t {
  none,
  unreadable,  // the file could not be read whole; fileError says why
  noMemory,    // the block could not be made
  notLoaded,   // the loader refused the bytes or they ended early
};

struct SceneImageLoad {
  SceneImageProblem problem = SceneImageProblem::none;
  std::string fileError;
  display::LoadResult result = display::loaded;
  std::int32_t bitsPerPixel = 0;  // the file's BMP header's; 0 when it has none
};

// Loads fileName into `image` as a block of width x height. Rows read before a file that is cut
// short ends stay in the block.
SceneImageLoad loadSceneImage(display::Screen& screen, sim::AllocationFaults& faults,
                              const std::string& fileName, std::int32_t width, std::int32_t height,
                              std::vector<std::uint8_t>& image);

// The program's one-line notice of a load that went wrong; empty when nothing did.
std::string sceneImageNotice(const std::string& fileName, const SceneImageLoad& load);

}  // namespace squish::app
