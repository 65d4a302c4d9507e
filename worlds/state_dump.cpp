// Writes the dump one line per atom and per bond, in slot order, with the keys in the order
// the headless program's users rely on.
#include "worlds/state_dump.h"

#include <charconv>
#include <cmath>

namespace squish::worlds {
namespace {

class JsonWriter {
 public:
  JsonWriter& text(std::string_view raw) {
    out_.append(raw);
    return *this;
  }
  JsonWriter& number(float value) { return text(formatFloat(value)); }
  JsonWriter& number(std::int64_t value) { return text(std::to_string(value)); }
  JsonWriter& key(std::string_view name) { return text("\"").text(name).text("\": "); }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

// The dump writes the records' marks as -1 for true and 0 for false.
std::int64_t dumpedTruth(bool mark) {
  return mark ? -1 : 0;
}

void writeSettings(JsonWriter& json, const sim::SimSettings& s) {
  json.key("settings").text("{");
  for (const sim::PhysicsSetting& setting : sim::physicsSettings)
    json.key(setting.dumpName).number(s.*setting.field).text(", ");
  json.key("showAtoms").number(std::int64_t{s.showAtoms}).text(", ");
  json.key("showBonds").number(std::int64_t{s.showBonds}).text("},\n");
}

void writeAtoms(JsonWriter& json, const sim::World& world) {
  json.key("atoms").text("[");
  const std::int32_t count = world.atomCount();
  for (std::int32_t i = 1; i <= count; ++i) {
    const sim::Atom& a = world.atoms()[i];
    json.text(i == 1 ? "\n    [" : ",\n    [").number(dumpedTruth(a.alive)).text(", ");
    json.number(a.pos.x).text(", ").number(a.pos.y).text(", ");
    json.number(a.vel.x).text(", ").number(a.vel.y).text(", ");
    json.number(dumpedTruth(a.placed)).text(", ").number(std::int64_t{a.colour}).text("]");
  }
  json.text(count > 0 ? "\n  ],\n" : "],\n");
}

void writeBonds(JsonWriter& json, const sim::World& world) {
  json.key("bonds").text("[");
  const std::int32_t count = world.bondCount();
  for (std::int32_t i = 1; i <= count; ++i) {
    const sim::Bond& b = world.bonds()[i];
    json.text(i == 1 ? "\n    [" : ",\n    [").number(dumpedTruth(b.alive)).text(", ");
    json.number(std::int64_t{b.atomA}).text(", ").number(std::int64_t{b.atomB}).text(", ");
    json.number(b.spacing).text(", ").number(b.restLength).text(", ");
    json.number(std::int64_t{b.colour}).text("]");
  }
  json.text(count > 0 ? "\n  ],\n" : "],\n");
}

void writePanel(JsonWriter& json, const std::optional<PanelSnapshot>& panel) {
  json.key("panel");
  if (!panel) {
    json.text("null,\n");
    return;
  }
  json.text("{").key("visible").text(panel->visible ? "true" : "false").text(", ");
  json.key("x").number(std::int64_t{panel->x}).text(", ");
  json.key("y").number(std::int64_t{panel->y}).text(", ");
  json.key("fields").text("[");
  for (std::size_t i = 0; i < panel->fields.size(); ++i) {
    json.text(i == 0 ? "" : ", ").text(formatString(panel->fields[i]));
  }
  json.text("], ").key("checks").text("[");
  json.number(std::int64_t{panel->checks[0]}).text(", ").number(std::int64_t{panel->checks[1]});
  json.text("]},\n");
}

void writePalette(JsonWriter& json, const std::array<std::uint32_t, 256>& palette) {
  json.key("palette").text("[");
  for (std::size_t i = 0; i < palette.size(); ++i) {
    json.text(i == 0 ? "" : (i % 16 == 0 ? ",\n    " : ", ")).number(std::int64_t{palette[i]});
  }
  json.text("]\n");
}

}  // namespace

std::string formatFloat(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0.0f ? "Infinity" : "-Infinity";
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc{} ? std::string(buffer, end) : std::string("0");
}

std::string formatString(const std::string& bytes) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20 || b >= 0x7f) {
      out += "\\u00";
      out += hex[b >> 4];
      out += hex[b & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string formatStateDump(const RunSummary& run, const sim::SimSettings& settings,
                            const sim::World& world, const std::optional<PanelSnapshot>& panel,
                            const std::array<std::uint32_t, 256>& palette,
                            std::string_view leadingEntries) {
  JsonWriter json;
  json.text("{\n  ").text(leadingEntries).key("frame").number(run.frame).text(",\n  ");
  json.key("steps").number(run.steps).text(",\n  ");
  json.key("paused").text(run.paused ? "true" : "false").text(",\n  ");
  json.key("quit").text(run.quit ? "true" : "false").text(",\n  ");
  writeSettings(json, settings);
  json.text("  ").key("atomCount").number(std::int64_t{world.atomCount()}).text(", ");
  json.key("atomCapacity").number(std::int64_t{world.atomCapacity()}).text(", ");
  json.key("bondCount").number(std::int64_t{world.bondCount()}).text(", ");
  json.key("bondCapacity").number(std::int64_t{world.bondCapacity()}).text(",\n  ");
  json.key("heldAtom").number(std::int64_t{run.heldAtom}).text(",\n  ");
  writeAtoms(json, world);
  json.text("  ");
  writeBonds(json, world);
  json.text("  ");
  writePanel(json, panel);
  json.text("  ");
  writePalette(json, palette);
  json.text("}\n");
  return json.take();
}

}  // namespace squish::worlds
