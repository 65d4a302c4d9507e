#pragma once
// What the build knows about the program: its version and the folder its data is installed in.
#include <string>
#include <string_view>
#include <vector>

namespace squish::app {

// The project's version, "MAJOR.MINOR.PATCH", as CMake's project() gives it.
std::string_view versionText();

// The installed data folder (the install prefix's share/squish): the font sheet and the sample
// scenes with their images.
std::string_view installedDataFolder();

// The font sheet files the programs try in order: the working directory's "6x8.bmp", then the
// installed one. The built-in copy comes after both.
std::vector<std::string> fontFileCandidates();

}  // namespace squish::app
