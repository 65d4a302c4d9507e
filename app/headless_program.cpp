// squish-headless: parse the command line and the input file (usage errors end the run with
// status 2 before any frame), run the frames, then write the dump and the shot.
#include "app/headless_program.h"

#include <fstream>
#include <ostream>
#include <sstream>

#include "app/command_line.h"
#include "app/headless_options.h"
#include "app/screen_shot.h"

namespace squish::app {
namespace {

constexpr int usageError = 2;
constexpr int runError = 1;

std::optional<std::string> readWholeFile(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return std::move(text).str();
}

bool writeDump(const std::string& dump, const std::string& fileName, std::ostream& out) {
  if (fileName == "-") {
    out << dump << std::flush;
    return static_cast<bool>(out);
  }
  std::ofstream file(fileName, std::ios::binary);
  file << dump;
  file.flush();
  return static_cast<bool>(file);
}

}  // namespace

HeadlessProgram::HeadlessProgram(std::vector<std::string> sceneArguments, std::int32_t seed,
                                 bool referenceStep, std::ostream* notices)
    : sceneArguments_(std::move(sceneArguments)), state_{screen_,         world_, settings_,
                                                         toolkit_,        panel_, random_,
                                                         sceneArguments_, seed,   {},
                                                         referenceStep,   {},     {}} {
  screen_.presenter = &presenter_;
  screen_.title = "squish-headless";
  state_.notices = notices;
  started_ = startUp(state_);
  if (started_) buildScene(state_);
}

HeadlessProgram::~HeadlessProgram() {
  if (started_) shutDown(state_);
}

bool HeadlessProgram::runFrame(const InputScript& script) {
  if (quit_ || !started_) return false;
  ++framesRun_;
  for (const ScriptedMessage& scripted : messagesForFrame(script, framesRun_)) {
    presenter_.queueMessage(scripted.message);
  }
  quit_ = !app::runFrame(state_);
  return !quit_;
}

std::optional<PanelSnapshot> HeadlessProgram::panelSnapshot() {
  widgets::Widget* window = panel_.panelWindow;
  if (window == nullptr) return std::nullopt;
  PanelSnapshot snapshot;
  snapshot.visible = (window->flags & widgets::visible) != 0;
  snapshot.x = window->rect.x;
  snapshot.y = window->rect.y;
  for (std::int32_t n = 1; n <= panel::rowCount; ++n) {
    snapshot.fields[n - 1] = panel::fieldText(toolkit_, window, panel::fieldIdBase + n);
  }
  snapshot.checks = {panel::isChecked(toolkit_, window, panel::showAtomsId),
                     panel::isChecked(toolkit_, window, panel::showBondsId)};
  return snapshot;
}

std::string HeadlessProgram::stateDump() {
  return formatStateDump(
      {framesRun_, state_.statistics.steps, state_.pacer.paused, quit_, state_.frame.heldAtom},
      settings_, world_, panelSnapshot(), screen_.palette);
}

int runHeadless(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  const HeadlessOptionsResult parsed = parseHeadlessOptions(arguments);
  if (!parsed.ok()) {
    err << "squish-headless: " << parsed.error << "\n";
    return usageError;
  }
  const HeadlessOptions& options = parsed.options;
  if (options.help) {
    out << headlessUsage;
    return 0;
  }
  if (options.version) {
    out << "squish-headless " << squishVersion << "\n";
    return 0;
  }
  InputScript script;
  if (!options.inputFile.empty()) {
    const std::optional<std::string> text = readWholeFile(options.inputFile);
    if (!text) {
      err << "squish-headless: cannot read input file " << options.inputFile << "\n";
      return usageError;
    }
    InputScriptResult read = parseInputScript(*text);
    if (!read.ok()) {
      err << "squish-headless: " << options.inputFile << ": " << read.error << "\n";
      return usageError;
    }
    script = std::move(read.script);
  }

  HeadlessProgram program(options.scenes, options.seed, options.referenceStep, &err);
  if (!program.started()) {
    err << "squish-headless: cannot open the screen: " << program.screen().lastErrorText << "\n";
    return runError;
  }
  while (program.framesRun() < options.frames && program.runFrame(script)) {
  }
  int status = 0;
  if (!options.dumpFile.empty() && !writeDump(program.stateDump(), options.dumpFile, out)) {
    err << "squish-headless: cannot write the dump to " << options.dumpFile << "\n";
    status = runError;
  }
  if (!options.shotFile.empty() && !writeScreenShot(program.screen(), options.shotFile)) {
    err << "squish-headless: cannot write the shot to " << options.shotFile << "\n";
    status = runError;
  }
  return status;
}

}  // namespace squish::app
