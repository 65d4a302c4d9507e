#pragma once
// The JSON dump of squish-headless: the run, the settings, every atom and bond slot in use,
// the settings panel once it exists, and the palette. Floats are written as the shortest text
// that reads back as the same single-precision value, so a dump is exact.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/settings.h"
#include "sim/world.h"

namespace squish::worlds {

inline constexpr std::size_t panelFieldCount = sim::physicsSettings.size();

// What the dump shows of the settings panel.
struct PanelSnapshot {
  bool visible = false;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::array<std::string, panelFieldCount> fields;  // bytes in code page 437
  std::array<std::int32_t, 2> checks{};             // Show Atoms, Show Bonds
};

struct RunSummary {
  std::int64_t frame = 0;  // passes of the frame loop that began
  std::int64_t steps = 0;  // physics steps run
  bool paused = false;
  bool quit = false;
  std::int32_t heldAtom = 0;
};

// leadingEntries, when given, is written first inside the object: entries of JSON text, each
// followed by a comma (a world file's own entries).
std::string formatStateDump(const RunSummary& run, const sim::SimSettings& settings,
                            const sim::World& world, const std::optional<PanelSnapshot>& panel,
                            const std::array<std::uint32_t, 256>& palette,
                            std::string_view leadingEntries = {});

// The shortest decimal text that reads back as value; NaN, Infinity and -Infinity bare.
std::string formatFloat(float value);

// A JSON string literal; each byte b stands for the code point U+00b, so any text round-trips.
std::string formatString(const std::string& bytes);

}  // namespace squish::worlds
