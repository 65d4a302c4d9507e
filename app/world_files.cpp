// World files from the program's side. Saving formats the text on the frame loop's thread (the
// world must not move while it is written down) and writes it through a temporary file, so a
// failed save leaves no half-written file.
#include "app/world_files.h"

#include <new>
#include <ostream>

#include "app/message_text.h"
#include "files/whole_file.h"

namespace squish::app {
namespace {

void placeSavedPalette(display::Screen& screen, const std::array<std::uint32_t, 256>& palette) {
  display::ScreenLock lock(screen.screenLock);
  if (!screen.isOpen) return;
  screen.palette = palette;
  screen.paletteChanged = true;
  display::markRowsDirty(screen, 0, screen.height - 1);
}

std::string saveWorldFile(ProgramState& program, const std::string& name) {
  try {
    const files::WriteResult written = files::writeWholeFile(name, worldFileText(program));
    if (!written.ok()) return "world not saved: " + written.error;
  } catch (const std::bad_alloc&) {
    return "world not saved: out of memory";
  }
  program.lastSavedWorld = name;
  return "saved " + shownName(name) + " (F6 loads it)";
}

std::string loadWorldNote(ProgramState& program) {
  if (program.lastSavedWorld.empty()) return "no world saved yet (F5 saves one)";
  const worlds::WorldRead read = readWorldFileAt(program.lastSavedWorld);
  const std::string name = shownName(program.lastSavedWorld);
  if (!read.world) return "cannot load " + name + ": " + read.problem;
  if (!applySavedWorld(program, *read.world)) return "cannot load " + name + ": out of memory";
  return "loaded " + name;
}

}  // namespace

std::optional<worlds::PanelSnapshot> panelSnapshot(ProgramState& program) {
  widgets::Widget* window = program.panel.panelWindow;
  if (window == nullptr) return std::nullopt;
  worlds::PanelSnapshot snapshot;
  snapshot.visible = (window->flags & widgets::visible) != 0;
  snapshot.x = window->rect.x;
  snapshot.y = window->rect.y;
  for (std::int32_t n = 1; n <= panel::rowCount; ++n) {
    snapshot.fields[n - 1] = panel::fieldText(window, panel::fieldIdBase + n);
  }
  snapshot.checks = {panel::isChecked(window, panel::showAtomsId),
                     panel::isChecked(window, panel::showBondsId)};
  return snapshot;
}

std::string programStateDump(ProgramState& program, std::int64_t passes, bool quit) {
  return worlds::formatStateDump(
      {passes, program.statistics.steps, program.pacer.paused, quit, program.frame.heldAtom},
      program.settings, program.world, panelSnapshot(program), program.screen.palette);
}

std::string worldFileText(ProgramState& program) {
  return worlds::formatWorldFile({program.passesRead, program.statistics.steps,
                                  program.pacer.paused, false, program.frame.heldAtom},
                                 program.settings, program.world, panelSnapshot(program),
                                 program.screen.palette, program.random);
}

worlds::WorldRead readWorldFileAt(const std::string& path) {
  const files::WholeFile file = files::readWholeFile(path);
  if (!file.ok()) return {std::nullopt, file.error};
  return worlds::readWorldFile(file.bytes);
}

std::optional<worlds::SavedWorld> readStartWorld(const std::string& path, std::string_view program,
                                                 std::ostream& err) {
  worlds::WorldRead read = readWorldFileAt(path);
  if (!read.world) {
    err << program << ": cannot load world file " << quotedName(path) << ": " << read.problem
        << "\n";
  }
  return std::move(read.world);
}

bool applySavedWorld(ProgramState& program, const worlds::SavedWorld& saved) {
  try {
    if (!sim::restoreWorld(program.world, saved.atoms, saved.bonds, saved.atomCount,
                           saved.bondCount, saved.impactBondShortage)) {
      return false;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  program.settings = saved.settings;
  if (saved.random) {
    program.random = *saved.random;
  } else {
    seedSceneBuild(program);
  }
  placeSavedPalette(program.screen, saved.palette);
  program.frame.heldAtom = 0;
  program.panel.quitRequested = false;
  program.panel.restartRequested = false;
  return true;
}

void saveWorldKey(ProgramState& program, double now) {
  PictureKeys& keys = program.pictureKeys;
  if (keys.folder.empty()) return;
  showNote(keys, saveWorldFile(program, freshName(keys.folder, ".world.json")), now);
}

void loadWorldKey(ProgramState& program, double now) {
  PictureKeys& keys = program.pictureKeys;
  if (keys.folder.empty()) return;
  showNote(keys, loadWorldNote(program), now);
}

}  // namespace squish::app
