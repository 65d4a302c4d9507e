// Draws atoms, then bonds (so bonds lie over atoms). Counts are read once before each loop.
// Colours go to the primitives as their low 8 bits, so no atom colour can ever be taken for
// one of the primitives' marker values (foreground colour, omitted argument).
#include "app/render.h"

#include "app/table_slots.h"
#include "display/draw.h"

namespace squish::app {
namespace {

constexpr float fullTurn = 6.283186f;
constexpr std::uint32_t solidLine = 0xFFFF;

float screenX(const sim::Atom& atom) {
  return 320.0f + atom.pos.x;
}
float screenY(const sim::Atom& atom) {
  return 480.0f - atom.pos.y;
}

std::uint32_t paletteIndex(std::int32_t colour) {
  return static_cast<std::uint32_t>(colour) & 0xFFu;
}

}  // namespace

void renderWorld(display::Screen& screen, const sim::World& world,
                 const sim::SimSettings& settings) {
  if (settings.showAtoms != 0) {
    const std::int32_t count = usedSlots(world.atomCount, world.atoms.size());
    for (std::int32_t i = 1; i <= count; ++i) {
      const sim::Atom& atom = world.atoms[i];
      if (atom.alive != sim::yes) continue;
      display::drawCircle(screen, display::workPage, screenX(atom), screenY(atom),
                          settings.atomSize, paletteIndex(atom.colour), 0.0f, 0.0f, fullTurn, 0);
    }
  }
  if (settings.showBonds != 0) {
    const std::int32_t count = usedSlots(world.bondCount, world.bonds.size());
    for (std::int32_t i = 1; i <= count; ++i) {
      const sim::Bond& bond = world.bonds[i];
      if (bond.alive != sim::yes) continue;
      if (!isAtomSlot(world, bond.atomA) || !isAtomSlot(world, bond.atomB)) continue;
      const sim::Atom& a = world.atoms[bond.atomA];
      const sim::Atom& b = world.atoms[bond.atomB];
      display::drawLine(screen, display::workPage, screenX(a), screenY(a), screenX(b), screenY(b),
                        paletteIndex(bond.colour), display::line, solidLine);
    }
  }
}

}  // namespace squish::app
