// Loading a BITMAP line's image for the program and for the scene checker alike.
#include "app/scene_image.h"

#include "app/message_text.h"
#include "display/bmp_decoder.h"
#include "files/whole_file.h"
#include "sim/builders.h"

namespace squish::app {

SceneImageLoad loadSceneImage(display::Screen& screen, sim::AllocationFaults& faults,
                              const std::string& fileName, std::int32_t width, std::int32_t height,
                              std::vector<std::uint8_t>& image) {
  SceneImageLoad load;
  const files::WholeFile file = files::readWholeFile(fileName);
  if (!file.ok()) {
    load.problem = SceneImageProblem::unreadable;
    load.fileError = file.error;
    return load;
  }
  load.bitsPerPixel = display::bmpBitsPerPixel(file.data());
  if (!sim::makeImageBlock(image, width, height, faults)) {
    load.problem = SceneImageProblem::noMemory;
    return load;
  }
  load.result = display::loadImageMemory(screen, file.data(), image);
  if (load.result != display::loaded) load.problem = SceneImageProblem::notLoaded;
  return load;
}

std::string sceneImageNotice(const std::string& fileName, const SceneImageLoad& load) {
  switch (load.problem) {
    case SceneImageProblem::none:
      break;
    case SceneImageProblem::unreadable:
      return "cannot read image file " + quotedName(fileName) + ": " + load.fileError;
    case SceneImageProblem::noMemory:
      return "out of memory: image file " + quotedName(fileName) + " not loaded";
    case SceneImageProblem::notLoaded:
      return "image file " + quotedName(fileName) + ": not a 1, 4 or 8-bit BMP, or cut short";
  }
  return {};
}

}  // namespace squish::app
