#pragma once
// World files: the dump with "format": "squish-world" and "version": 1 in front, and the state
// the dump does not show but the next steps depend on (the random generator, a bond shortage);
// a dump with only the two added entries loads too.
// Loading one and stepping on gives, bit for bit, what the saved run would have given.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "display/input.h"
#include "sim/settings.h"
#include "sim/world.h"
#include "worlds/state_dump.h"

namespace squish::worlds {

inline constexpr std::string_view worldFormat = "squish-world";
inline constexpr std::int64_t worldVersion = 1;

// Everything a world file holds that a run continues from.
struct SavedWorld {
  sim::SimSettings settings;
  // Slot 0 unused; each table holds its capacity + 1 records, those past the count zero.
  std::vector<sim::Atom> atoms;
  std::vector<sim::Bond> bonds;
  std::int32_t atomCount = 0;
  std::int32_t bondCount = 0;
  sim::BondShortage impactBondShortage = sim::BondShortage::none;
  // Absent from a dump turned into a world file by hand: the run then seeds the generator as a
  // scene build would.
  std::optional<display::RandomGenerator> random;
  std::array<std::uint32_t, 256> palette{};
};

std::string formatWorldFile(const RunSummary& run, const sim::SimSettings& settings,
                            const sim::World& world, const std::optional<PanelSnapshot>& panel,
                            const std::array<std::uint32_t, 256>& palette,
                            const display::RandomGenerator& random);

// The world in a world file's text, or why it is not one: the place in the file as a JSON path
// (`atoms[17][3]`) and the problem.
struct WorldRead {
  std::optional<SavedWorld> world;
  std::string problem;
};

WorldRead readWorldFile(std::string_view text);

}  // namespace squish::worlds
