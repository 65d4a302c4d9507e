// The build's facts, passed in by CMake as definitions on this file alone, so a new version or
// install prefix recompiles nothing else.
#include "app/about.h"

namespace squish::app {

std::string_view versionText() {
  return SQUISH_VERSION;
}

std::string_view installedDataFolder() {
  return SQUISH_DATA_DIR;
}

std::vector<std::string> fontFileCandidates() {
  return {"6x8.bmp", std::string(installedDataFolder()) + "/6x8.bmp"};
}

}  // namespace squish::app
