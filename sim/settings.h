#pragma once
// The settings record shared by the step, the builders, the renderer, the scene reader and the
// panel. Eleven physics values and two display flags; any nonzero flag means on. The table of
// the physics values gives each one's names in scene files, the dump and the panel.
#include <array>
#include <cstdint>
#include <string_view>

namespace squish::sim {

struct SimSettings {
  float atomSize = 4.0f;
  float atomSpace = 10.0f;
  float maxSpeed = 5.0f;
  float yGravity = -0.004f;
  float xGravity = 0.0f;
  float boundDecay = 0.99f;
  float deformFactor = 0.4f;
  float deformThreshold = 1.0f;
  float breakThreshold = 2.0f;
  float stiffness = 0.5f;
  float bondThreshold = 0.5f;
  std::int32_t showAtoms = 1;
  std::int32_t showBonds = 1;
};

// One of the eleven physics values: its keyword in scene files, its name in the dump, its label
// in the settings panel and the field it is kept in. Every list of the values is this table, in
// this order: the reader compares keys in it, the panel's rows and the dump follow it.
struct PhysicsSetting {
  std::string_view keyword;
  std::string_view dumpName;
  std::string_view label;
  float SimSettings::*field;
};

inline constexpr std::array<PhysicsSetting, 11> physicsSettings{{
    {"ATOMSIZE", "atomSize", "Atom Size", &SimSettings::atomSize},
    {"ATOMSPACE", "atomSpace", "Atom Space", &SimSettings::atomSpace},
    {"MAXSPEED", "maxSpeed", "Max Speed", &SimSettings::maxSpeed},
    {"YGRAVITY", "yGravity", "Y Gravity", &SimSettings::yGravity},
    {"XGRAVITY", "xGravity", "X Gravity", &SimSettings::xGravity},
    {"BOUNDDECAY", "boundDecay", "Rebound Decay", &SimSettings::boundDecay},
    {"DEFORMFACTOR", "deformFactor", "Deform Factor", &SimSettings::deformFactor},
    {"DEFORMTHRESHOLD", "deformThreshold", "Deform Thresh.", &SimSettings::deformThreshold},
    {"BREAKTHRESHOLD", "breakThreshold", "Break Thresh", &SimSettings::breakThreshold},
    {"STIFFNESS", "stiffness", "Stiffness", &SimSettings::stiffness},
    {"BONDTHRESHOLD", "bondThreshold", "Bond Thresh.", &SimSettings::bondThreshold},
}};

}  // namespace squish::sim
