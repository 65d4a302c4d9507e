// Writing a world file is the dump's writer with a few entries in front. Reading is strict: a
// JSON parser walks the text event by event (no document tree, so a world of a million atoms
// costs its tables and little more), every value is checked for its type and range as it
// arrives, and the first problem ends the read with the value's JSON path.
//   Sections: writing -> values as they arrive -> the walk through the file -> the whole world.
#include "worlds/world_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <type_traits>

namespace squish::worlds {
namespace {

constexpr std::string_view shortageNames[] = {"none", "limit", "memory"};
// Colours are any int32 (scene files may give any; drawing takes the low 8 bits).
constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();

std::string formatDouble(double value) {
  char buffer[40];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc{} ? std::string(buffer, end) : std::string("0");
}

// --- Values as they arrive ------------------------------------------------------------------

// One JSON value that is not an object or an array. Numbers keep their text, so a float reads
// as the single-precision value the text names (not as a double rounded again).
struct Scalar {
  enum class Type : std::uint8_t { null, boolean, integer, number, text };
  Type type = Type::null;
  bool flag = false;
  std::int64_t integer = 0;
  std::string text;  // a number's digits or a string's contents
};

Scalar scalarOf(Scalar::Type type, std::int64_t integer = 0, std::string text = {}) {
  Scalar scalar;
  scalar.type = type;
  scalar.flag = integer != 0;
  scalar.integer = integer;
  scalar.text = std::move(text);
  return scalar;
}

constexpr std::string_view nonFiniteWords[] = {"NaN", "Infinity", "-Infinity"};

bool endsNumber(std::string_view text, std::size_t at) {
  return at >= text.size() ||
         std::string_view(",]} \t\r\n").find(text[at]) != std::string_view::npos;
}

// NaN and the infinities are written bare, which JSON has no words for: they are read as the
// strings "NaN", "Infinity" and "-Infinity", quoted before parsing. A negative zero written as
// "-0" would reach us as the integer 0, so it becomes "-0.0".
std::string prepareText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 64);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t next = std::min(text.find_first_of("\"-NI", i), text.size());
    out.append(text.substr(i, next - i));
    i = next;
    if (i == text.size()) break;
    if (text[i] == '"') {
      std::size_t close = i + 1;
      while (close < text.size() && text[close] != '"')
        close += text[close] == '\\' ? 2 : 1;
      close = std::min(close + 1, text.size());
      out.append(text.substr(i, close - i));
      i = close;
      continue;
    }
    const bool exponentSign = i > 0 && (text[i - 1] == 'e' || text[i - 1] == 'E');
    if (!exponentSign && text.substr(i, 2) == "-0" && endsNumber(text, i + 2)) {
      out.append("-0.0");
      i += 2;
      continue;
    }
    const auto word =
        std::find_if(std::begin(nonFiniteWords), std::end(nonFiniteWords),
                     [&](std::string_view w) { return text.substr(i, w.size()) == w; });
    if (word != std::end(nonFiniteWords)) {
      out.append("\"").append(*word).append("\"");
      i += word->size();
      continue;
    }
    out += text[i++];
  }
  return out;
}

class Problem {
 public:
  bool found() const { return !text_.empty(); }
  const std::string& text() const { return text_; }
  bool report(const std::string& where, std::string_view what) {
    if (!found())
      text_ = (where.empty() ? std::string("the file") : where) + ": " + std::string(what);
    return false;
  }

 private:
  std::string text_;
};

// Where a value is: its JSON path, or a function that makes it, so that the path of each of a
// million values is only written out for the one that is wrong.
template <typename Where>
std::string placeOf(const Where& where) {
  if constexpr (std::is_invocable_v<Where>) {
    return where();
  } else {
    return std::string(where);
  }
}

template <typename Where>
bool readWhole(const Where& where, const Scalar& value, std::int64_t low, std::int64_t high,
               std::int64_t& out, Problem& problem) {
  if (value.type != Scalar::Type::integer || value.integer < low || value.integer > high) {
    return problem.report(placeOf(where), "must be a whole number from " + std::to_string(low) +
                                              " to " + std::to_string(high));
  }
  out = value.integer;
  return true;
}

template <typename Where>
bool readFloat(const Where& where, const Scalar& value, float& out, Problem& problem) {
  switch (value.type) {
    case Scalar::Type::integer:
      out = static_cast<float>(value.integer);
      return true;
    case Scalar::Type::number: {
      const char* end = value.text.data() + value.text.size();
      const auto result = std::from_chars(value.text.data(), end, out);
      if (result.ec == std::errc::result_out_of_range) {
        return problem.report(placeOf(where), "is out of the range of a float");
      }
      return result.ec == std::errc{} || problem.report(placeOf(where), "must be a number");
    }
    case Scalar::Type::text:
      if (value.text == "NaN") {
        out = std::numeric_limits<float>::quiet_NaN();
      } else if (value.text == "Infinity") {
        out = std::numeric_limits<float>::infinity();
      } else if (value.text == "-Infinity") {
        out = -std::numeric_limits<float>::infinity();
      } else {
        return problem.report(placeOf(where), "must be a number");
      }
      return true;
    default:
      return problem.report(placeOf(where), "must be a number");
  }
}

template <typename Where>
bool readMark(const Where& where, const Scalar& value, bool& out, Problem& problem) {
  std::int64_t mark = 0;
  if (!readWhole(where, value, -1, 0, mark, problem)) return false;
  out = mark == -1;
  return true;
}

// --- The walk through the file -------------------------------------------------------------

// Where the parser is: one entry per open object or array.
struct Level {
  bool array = false;
  std::string key;          // objects: the key of the value being read
  std::int64_t index = -1;  // arrays: the index of the value being read
};

// What the walk collects; checked against each other once the file has been read.
struct Collected {
  std::map<std::string, Scalar, std::less<>> top;       // top-level scalars by key
  std::map<std::string, Scalar, std::less<>> settings;  // settings by name
  std::map<std::string, Scalar, std::less<>> random;    // the random generator's entries
  std::vector<sim::Atom> atoms{sim::Atom{}};            // slot 0 first, then the rows
  std::vector<sim::Bond> bonds{sim::Bond{}};
  std::vector<std::uint32_t> palette;
  std::vector<std::string> containers;  // top-level keys that held an object or array
};

constexpr std::size_t atomFields = 7;
constexpr std::size_t bondFields = 6;

// The handler the JSON parser calls for each event.
class WorldWalk {
 public:
  explicit WorldWalk(Collected& collected, Problem& problem) : got_(collected), problem_(problem) {}

  bool null() { return value(Scalar{}); }
  bool boolean(bool flag) { return value(scalarOf(Scalar::Type::boolean, flag ? 1 : 0)); }
  bool number_integer(std::int64_t number) {
    return value(scalarOf(Scalar::Type::integer, number));
  }
  bool number_unsigned(std::uint64_t number) {
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return value(scalarOf(Scalar::Type::number, 0, std::to_string(number)));
    }
    return value(scalarOf(Scalar::Type::integer, static_cast<std::int64_t>(number)));
  }
  bool number_float(double, const std::string& digits) {
    return value(scalarOf(Scalar::Type::number, 0, digits));
  }
  bool string(std::string& text) { return value(scalarOf(Scalar::Type::text, 0, std::move(text))); }
  bool binary(std::vector<std::uint8_t>&) { return problem_.report(path(), "unexpected value"); }
  bool start_object(std::size_t) { return open(false); }
  bool start_array(std::size_t) { return open(true); }
  bool key(std::string& name) {
    levels_.back().key = std::move(name);
    return true;
  }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
    advance();  // the error is in the value after the last one read
    std::string what = error.what();
    const std::size_t cut = what.find("] ");
    if (cut != std::string::npos) what.erase(0, cut + 2);
    return problem_.report(path(), "not valid JSON: " + what);
  }

 private:
  std::string path() const {
    std::string out;
    for (const Level& level : levels_) {
      if (level.array) {
        out.append("[").append(std::to_string(level.index)).append("]");
      } else if (!level.key.empty() || &level != &levels_.front()) {
        out.append(out.empty() ? "" : ".").append(level.key);
      }
    }
    return out;
  }

  void advance() {
    if (!levels_.empty() && levels_.back().array) ++levels_.back().index;
  }

  bool open(bool array) {
    advance();
    const std::size_t depth = levels_.size();
    if (depth == 0 && array) return problem_.report("", "must be a JSON object");
    if (depth == 1) {
      const std::string& name = levels_[0].key;
      const Holds holds = holdsOf(name);
      if (holds == Holds::value) return problem_.report(path(), "unknown entry");
      if (array != (holds == Holds::array)) return wrongContainer(holds);
      if (!noteContainer(name)) return false;
    } else if (depth == 2 && !inPanel()) {
      if (!array || !inRows()) return problem_.report(path(), "must be a number");
      row_.clear();
    } else if (depth >= 3 && !inPanel()) {
      return problem_.report(path(), "must be a number");
    }
    Level level;
    level.array = array;
    levels_.push_back(std::move(level));
    return true;
  }

  bool close() {
    levels_.pop_back();
    if (levels_.size() == 2 && inRows()) return finishRow();
    return true;
  }

  // What a top-level entry holds.
  enum class Holds : std::uint8_t { value, array, object };
  static Holds holdsOf(std::string_view name) {
    if (name == "atoms" || name == "bonds" || name == "palette") return Holds::array;
    if (name == "settings" || name == "random" || name == "panel") return Holds::object;
    return Holds::value;
  }

  bool wrongContainer(Holds holds) {
    return problem_.report(path(),
                           holds == Holds::array ? "must be an array" : "must be an object");
  }

  bool inPanel() const { return levels_.size() >= 2 && levels_[0].key == "panel"; }
  bool inRows() const { return levels_[0].key == "atoms" || levels_[0].key == "bonds"; }

  bool value(Scalar scalar) {
    advance();
    const std::size_t depth = levels_.size();
    if (depth == 0) return problem_.report("", "must be a JSON object");
    if (inPanel()) return true;
    if (depth == 1) return topValue(std::move(scalar));
    const std::string& name = levels_[0].key;
    if (depth == 2 && name == "settings") return keyed(got_.settings, std::move(scalar));
    if (depth == 2 && name == "random") return keyed(got_.random, std::move(scalar));
    if (depth == 2 && name == "palette") return paletteEntry(scalar);
    if (depth == 3) {
      row_.push_back(std::move(scalar));
      return true;
    }
    return problem_.report(path(), "must be an array of numbers");
  }

  // Entries that hold an array or object never reach the scalars of `top`, and the reverse.
  bool topValue(Scalar scalar) {
    const std::string& name = levels_[0].key;
    if (name == "panel" && scalar.type == Scalar::Type::null) return noteContainer(name);
    const Holds holds = holdsOf(name);
    if (holds != Holds::value) return wrongContainer(holds);
    return keyed(got_.top, std::move(scalar));
  }

  bool noteContainer(const std::string& name) {
    if (std::find(got_.containers.begin(), got_.containers.end(), name) != got_.containers.end()) {
      return problem_.report(path(), "is given twice");
    }
    got_.containers.push_back(name);
    return true;
  }

  bool keyed(std::map<std::string, Scalar, std::less<>>& into, Scalar scalar) {
    if (!into.emplace(levels_.back().key, std::move(scalar)).second) {
      return problem_.report(path(), "is given twice");
    }
    return true;
  }

  bool paletteEntry(const Scalar& scalar) {
    std::int64_t entry = 0;
    if (!readWhole(path(), scalar, 0, 0xFFFFFF, entry, problem_)) return false;
    got_.palette.push_back(static_cast<std::uint32_t>(entry));
    return true;
  }

  bool finishRow() {
    const bool atoms = levels_[0].key == "atoms";
    const std::size_t fields = atoms ? atomFields : bondFields;
    if (row_.size() != fields) {
      return problem_.report(path(), "must hold " + std::to_string(fields) + " numbers");
    }
    const auto field = [this](std::size_t i) {
      return [this, i] { return path() + "[" + std::to_string(i) + "]"; };
    };
    return atoms ? atomRow(field) : bondRow(field);
  }

  template <typename Field>
  bool atomRow(const Field& field) {
    sim::Atom atom;
    bool alive = false;
    bool placed = false;
    std::int64_t colour = 0;
    if (!readMark(field(0), row_[0], alive, problem_) ||
        !readFloat(field(1), row_[1], atom.pos.x, problem_) ||
        !readFloat(field(2), row_[2], atom.pos.y, problem_) ||
        !readFloat(field(3), row_[3], atom.vel.x, problem_) ||
        !readFloat(field(4), row_[4], atom.vel.y, problem_) ||
        !readMark(field(5), row_[5], placed, problem_) ||
        !readWhole(field(6), row_[6], int32Min, int32Max, colour, problem_)) {
      return false;
    }
    atom.alive = alive;
    atom.placed = placed;
    atom.colour = static_cast<std::int32_t>(colour);
    return grow(got_.atoms, atom, sim::maxAtoms);
  }

  template <typename Field>
  bool bondRow(const Field& field) {
    sim::Bond bond;
    bool alive = false;
    std::int64_t atomA = 0;
    std::int64_t atomB = 0;
    std::int64_t colour = 0;
    constexpr std::int64_t slots = std::numeric_limits<std::int32_t>::max();
    if (!readMark(field(0), row_[0], alive, problem_) ||
        !readWhole(field(1), row_[1], 0, slots, atomA, problem_) ||
        !readWhole(field(2), row_[2], 0, slots, atomB, problem_) ||
        !readFloat(field(3), row_[3], bond.spacing, problem_) ||
        !readFloat(field(4), row_[4], bond.restLength, problem_) ||
        !readWhole(field(5), row_[5], int32Min, int32Max, colour, problem_)) {
      return false;
    }
    bond.alive = alive;
    bond.atomA = static_cast<std::int32_t>(atomA);
    bond.atomB = static_cast<std::int32_t>(atomB);
    bond.colour = static_cast<std::int32_t>(colour);
    return grow(got_.bonds, bond, sim::maxBonds);
  }

  template <typename Record>
  bool grow(std::vector<Record>& table, const Record& record, std::int64_t most) {
    if (static_cast<std::int64_t>(table.size()) > most) {
      return problem_.report(levels_[0].key, "holds more than " + std::to_string(most) + " slots");
    }
    table.push_back(record);
    return true;
  }

  Collected& got_;
  Problem& problem_;
  std::vector<Level> levels_;
  std::vector<Scalar> row_;
};

// --- The whole world -----------------------------------------------------------------------

class WorldCheck {
 public:
  WorldCheck(Collected& got, Problem& problem) : got_(got), problem_(problem) {}

  std::optional<SavedWorld> check() {
    SavedWorld world;
    if (!checkFormat() || !readSettings(world.settings) || !readTables(world) ||
        !readRandom(world.random) || !readRest(world)) {
      return std::nullopt;
    }
    return world;
  }

 private:
  const Scalar* top(std::string_view name) {
    const auto found = got_.top.find(name);
    if (found == got_.top.end()) {
      problem_.report(std::string(name), "is missing");
      return nullptr;
    }
    return &found->second;
  }

  bool checkFormat() {
    const auto format = got_.top.find("format");
    if (format == got_.top.end() || format->second.type != Scalar::Type::text ||
        format->second.text != worldFormat) {
      return problem_.report("format", "must be \"squish-world\" (a dump is no world file)");
    }
    const Scalar* version = top("version");
    if (version == nullptr) return false;
    if (version->type != Scalar::Type::integer || version->integer != worldVersion) {
      return problem_.report("version", "must be 1 (the only version this squish reads)");
    }
    static constexpr std::string_view known[] = {
        "format",    "version",      "frame",     "steps",        "paused",   "quit",
        "atomCount", "atomCapacity", "bondCount", "bondCapacity", "heldAtom", "impactBondShortage"};
    for (const auto& [name, value] : got_.top) {
      if (std::find(std::begin(known), std::end(known), name) == std::end(known)) {
        return problem_.report(name, "unknown entry");
      }
    }
    for (const std::string_view name : {"settings", "atoms", "bonds", "palette"}) {
      if (std::find(got_.containers.begin(), got_.containers.end(), name) ==
          got_.containers.end()) {
        return problem_.report(std::string(name), "is missing");
      }
    }
    return true;
  }

  static bool isSettingName(std::string_view name) {
    return name == "showAtoms" || name == "showBonds" ||
           std::any_of(sim::physicsSettings.begin(), sim::physicsSettings.end(),
                       [name](const sim::PhysicsSetting& s) { return s.dumpName == name; });
  }

  bool readSettings(sim::SimSettings& settings) {
    for (const sim::PhysicsSetting& setting : sim::physicsSettings) {
      const std::string where = "settings." + std::string(setting.dumpName);
      const auto found = got_.settings.find(setting.dumpName);
      if (found == got_.settings.end()) return problem_.report(where, "is missing");
      if (!readFloat(where, found->second, settings.*setting.field, problem_)) return false;
    }
    for (const auto& [name, flag] : {std::pair{"showAtoms", &sim::SimSettings::showAtoms},
                                     std::pair{"showBonds", &sim::SimSettings::showBonds}}) {
      const std::string where = "settings." + std::string(name);
      const auto found = got_.settings.find(name);
      if (found == got_.settings.end()) return problem_.report(where, "is missing");
      std::int64_t value = 0;
      if (!readWhole(where, found->second, int32Min, int32Max, value, problem_)) {
        return false;
      }
      settings.*flag = static_cast<std::int32_t>(value);
    }
    for (const auto& entry : got_.settings) {
      if (!isSettingName(entry.first)) {
        return problem_.report("settings." + entry.first, "unknown setting");
      }
    }
    return true;
  }

  bool readCount(std::string_view name, std::int64_t most, std::int64_t& out) {
    const Scalar* value = top(name);
    return value != nullptr && readWhole(std::string(name), *value, 0, most, out, problem_);
  }

  // A table as saved: rows for slots 1..count, capacity + 1 records in all.
  template <typename Record>
  bool readTable(std::string_view name, std::int64_t most, std::vector<Record>& rows,
                 std::int32_t& count, std::vector<Record>& table) {
    const std::string countName = std::string(name.substr(0, 4)) + "Count";
    const std::string capacityName = std::string(name.substr(0, 4)) + "Capacity";
    std::int64_t counted = 0;
    std::int64_t capacity = 0;
    // The world's own limits: a count of at most `most`, a capacity below twice that.
    if (!readCount(countName, most, counted) || !readCount(capacityName, 2 * most - 1, capacity)) {
      return false;
    }
    if (capacity < counted || capacity < 1) {
      return problem_.report(capacityName, "must be at least 1 and at least " + countName);
    }
    if (static_cast<std::int64_t>(rows.size()) - 1 != counted) {
      return problem_.report(std::string(name), "must hold " + countName + " rows");
    }
    try {
      rows.resize(static_cast<std::size_t>(capacity) + 1);
    } catch (const std::bad_alloc&) {
      return problem_.report(std::string(name), "out of memory");
    }
    count = static_cast<std::int32_t>(counted);
    table = std::move(rows);
    return true;
  }

  bool readTables(SavedWorld& world) {
    if (!readTable("atoms", sim::maxAtoms, got_.atoms, world.atomCount, world.atoms) ||
        !readTable("bonds", sim::maxBonds, got_.bonds, world.bondCount, world.bonds)) {
      return false;
    }
    const auto atomSlots = static_cast<std::int32_t>(world.atoms.size() - 1);
    for (std::int32_t i = 1; i <= world.bondCount; ++i) {
      const sim::Bond& bond = world.bonds[static_cast<std::size_t>(i)];
      for (const std::int32_t end : {bond.atomA, bond.atomB}) {
        if (end > atomSlots || (bond.alive && end < 1)) {
          return problem_.report("bonds[" + std::to_string(i - 1) + "]",
                                 "joins an atom slot outside the atom table");
        }
      }
    }
    return true;
  }

  bool readRandom(std::optional<display::RandomGenerator>& saved) {
    const bool given = std::find(got_.containers.begin(), got_.containers.end(), "random") !=
                       got_.containers.end();
    if (!given) return true;
    display::RandomGenerator& random = saved.emplace();
    const auto state = got_.random.find("state");
    const auto last = got_.random.find("last");
    std::int64_t seed = 0;
    if (state == got_.random.end()) return problem_.report("random.state", "is missing");
    if (last == got_.random.end()) return problem_.report("random.last", "is missing");
    if (got_.random.size() != 2) return problem_.report("random", "holds only state and last");
    if (!readWhole("random.state", state->second, 0, std::numeric_limits<std::uint32_t>::max(),
                   seed, problem_)) {
      return false;
    }
    random.state = static_cast<std::uint32_t>(seed);
    const Scalar& text = last->second;
    if (text.type == Scalar::Type::integer && text.integer == 0) {
      random.last = 0.0;
      return true;
    }
    const char* end = text.text.data() + text.text.size();
    const auto result = std::from_chars(text.text.data(), end, random.last);
    if (text.type != Scalar::Type::number || result.ec != std::errc{} || result.ptr != end ||
        !(random.last >= 0.0 && random.last < 1.0)) {
      return problem_.report("random.last", "must be a number from 0 up to 1");
    }
    return true;
  }

  bool readFlag(std::string_view name, bool& out) {
    const auto found = got_.top.find(name);
    if (found == got_.top.end()) return true;
    if (found->second.type != Scalar::Type::boolean) {
      return problem_.report(std::string(name), "must be true or false");
    }
    out = found->second.flag;
    return true;
  }

  bool readRest(SavedWorld& world) {
    // What the run was doing when saved is checked but not taken: the loading run goes on.
    bool flag = false;
    if (!readFlag("paused", flag) || !readFlag("quit", flag)) return false;
    for (const std::string_view name : {"frame", "steps", "heldAtom"}) {
      const auto found = got_.top.find(name);
      std::int64_t number = 0;
      if (found != got_.top.end() &&
          !readWhole(std::string(name), found->second, 0, std::numeric_limits<std::int64_t>::max(),
                     number, problem_)) {
        return false;
      }
    }
    if (got_.palette.size() != world.palette.size()) {
      return problem_.report("palette", "must hold 256 colours");
    }
    std::copy(got_.palette.begin(), got_.palette.end(), world.palette.begin());
    const auto given = got_.top.find("impactBondShortage");
    if (given == got_.top.end()) return true;
    const Scalar* shortage = &given->second;
    const auto* name =
        std::find(std::begin(shortageNames), std::end(shortageNames), shortage->text);
    if (shortage->type != Scalar::Type::text || name == std::end(shortageNames)) {
      return problem_.report("impactBondShortage", "must be \"none\", \"limit\" or \"memory\"");
    }
    world.impactBondShortage = static_cast<sim::BondShortage>(name - std::begin(shortageNames));
    return true;
  }

  Collected& got_;
  Problem& problem_;
};

}  // namespace

std::string formatWorldFile(const RunSummary& run, const sim::SimSettings& settings,
                            const sim::World& world, const std::optional<PanelSnapshot>& panel,
                            const std::array<std::uint32_t, 256>& palette,
                            const display::RandomGenerator& random) {
  const auto shortage = static_cast<std::size_t>(world.impactBondShortage());
  std::string entries = "\"format\": \"" + std::string(worldFormat) +
                        "\", \"version\": " + std::to_string(worldVersion) +
                        ",\n  \"random\": {\"state\": " + std::to_string(random.state) +
                        ", \"last\": " + formatDouble(random.last) +
                        "}, \"impactBondShortage\": \"" + std::string(shortageNames[shortage]) +
                        "\",\n  ";
  return formatStateDump(run, settings, world, panel, palette, entries);
}

WorldRead readWorldFile(std::string_view text) {
  try {
    const std::string json = prepareText(text);
    Collected collected;
    Problem problem;
    WorldWalk walk(collected, problem);
    nlohmann::json::sax_parse(json, &walk);
    if (problem.found()) return {std::nullopt, problem.text()};
    std::optional<SavedWorld> world = WorldCheck(collected, problem).check();
    return {std::move(world), problem.text()};
  } catch (const std::bad_alloc&) {
    return {std::nullopt, "out of memory"};
  }
}

}  // namespace squish::worlds
