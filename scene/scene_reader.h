#pragma once
// The scene file reader: text lines of "KEY = value" that change settings and build bodies as
// they are met. Lines the reader does not understand are skipped without a word.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/builders.h"
#include "sim/settings.h"
#include "sim/world.h"

namespace squish::scene {

// Splits text at commas into at most wanted fields, in order; with fewer commas the last field
// runs to the end of the text. Fields are not trimmed. The views point into text.
std::vector<std::string_view> splitFields(std::string_view text, std::int32_t wanted);

// Processes every line of a scene file's text, in order. Lines end at a line feed; a carriage
// return directly before it is dropped, one anywhere else is an ordinary character.
void readSceneText(sim::World& world, sim::SimSettings& settings, std::string_view text,
                   const sim::ImageFileLoader& loadImage);

// Reads the named file (relative names from the working directory) and processes its text. A
// file that cannot be read whole adds nothing; the reason is returned (empty when it was read).
std::string readSceneFile(sim::World& world, sim::SimSettings& settings,
                          const std::string& fileName, const sim::ImageFileLoader& loadImage);

}  // namespace squish::scene
