#pragma once
// The scene file reader: text lines of "KEY = value" that change settings and build bodies as
// they are met. Lines the reader does not understand are skipped without a word.
#include <cstdint>
#include <functional>
#include <span>
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

// Every keyword in the order keys are compared: the physics settings (sim::physicsSettings),
// "SHOWATOMS", "BOX",
// "TRIANGLE" and "BITMAP".
std::span<const std::string_view> sceneKeywords();

// What the reader made of one line, told to an observer once the line has had its effect (the
// scene checker listens; the program does not).
enum class LineKind : std::uint8_t {
  empty,       // no characters
  comment,     // "'", "#" or ";" in the first column
  noEquals,    // no "=": skipped
  unknownKey,  // a key that matches no keyword, or none at all: skipped
  setting,     // a setting keyword: its field of the settings was written
  body,        // a body keyword with all its fields: the builder was called
  shortBody,   // a body keyword with too few fields: skipped
};

struct SceneLine {
  std::int64_t number = 0;  // from 1
  LineKind kind = LineKind::empty;
  std::string_view text;                     // without its line end
  std::string_view key;                      // spaces trimmed, letter case as written
  std::string_view value;                    // spaces trimmed
  std::string_view keyword;                  // the keyword the key matched; empty when none
  std::int32_t fieldsWanted = 0;             // body keywords: the fields the builder takes
  std::span<const std::string_view> fields;  // body keywords: the fields as split
};

using SceneLineObserver = std::function<void(const SceneLine& line)>;

// Processes every line of a scene file's text, in order. Lines end at a line feed; a carriage
// return directly before it is dropped, one anywhere else is an ordinary character. Each line is
// then told to `observe` when one is given.
void readSceneText(sim::World& world, sim::SimSettings& settings, std::string_view text,
                   const sim::ImageFileLoader& loadImage, const SceneLineObserver& observe = {});

// Reads the named file (relative names from the working directory) and processes its text. A
// file that cannot be read whole adds nothing; the reason is returned (empty when it was read).
std::string readSceneFile(sim::World& world, sim::SimSettings& settings,
                          const std::string& fileName, const sim::ImageFileLoader& loadImage,
                          const SceneLineObserver& observe = {});

}  // namespace squish::scene
