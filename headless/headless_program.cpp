// squish-headless: parse the command line and the input file (usage errors end the run with
// status 2 before any frame), run the frames, then write the dump and the shot.
#include "headless/headless_program.h"

#include <memory>
#include <new>
#include <ostream>

#include "app/about.h"
#include "app/message_text.h"
#include "app/screen_picture.h"
#include "app/world_files.h"
#include "files/whole_file.h"
#include "headless/headless_options.h"
#include "headless/screen_shot.h"
#include "pictures/gif_recording.h"
#include "sim/fast_step.h"

namespace squish::headless {
namespace {

constexpr int usageError = 2;
constexpr int runError = 1;

// The exit status of a run stopped by a signal, as a shell reports it.
int statusForSignal(int signal) {
  return 128 + signal;
}

// The input script, or a usage error: a file that cannot be read whole or has a malformed line.
std::optional<InputScript> readInputScript(const std::string& fileName, std::ostream& err) {
  const files::WholeFile file = files::readWholeFile(fileName);
  if (!file.ok()) {
    err << "squish-headless: cannot read input file " << app::quotedName(fileName) << ": "
        << file.error << "\n";
    return std::nullopt;
  }
  try {
    InputScriptResult read = parseInputScript(file.bytes);
    if (read.ok()) return std::move(read.script);
    err << "squish-headless: " << app::quotedName(fileName) << ": " << read.error << "\n";
  } catch (const std::bad_alloc&) {
    err << "squish-headless: cannot read input file " << app::quotedName(fileName)
        << ": out of memory\n";
  }
  return std::nullopt;
}

// Writes the dump or shot whole, or leaves the file as it was. False, with one line on `err`
// unless the write was interrupted, when it was not written.
bool writeOutput(std::string_view what, const std::string& fileName, std::string_view bytes,
                 std::ostream& err, const files::KeepWriting& keepWriting) {
  const files::WriteResult written = files::writeWholeFile(fileName, bytes, keepWriting);
  if (written.ok()) return true;
  if (!written.interrupted)
    err << "squish-headless: cannot write the " << what << " to " << app::quotedName(fileName)
        << ": " << written.error << "\n";
  return false;
}

// The dump, to standard output for "-".
bool writeDump(HeadlessProgram& program, const std::string& fileName, std::ostream& out,
               std::ostream& err, const files::KeepWriting& keepWriting) {
  std::string dump;
  try {
    dump = program.stateDump();
  } catch (const std::bad_alloc&) {
    err << "squish-headless: cannot write the dump: out of memory\n";
    return false;
  }
  if (fileName != "-") return writeOutput("dump", fileName, dump, err, keepWriting);
  out << dump << std::flush;
  if (out) return true;
  err << "squish-headless: cannot write the dump to standard output\n";
  return false;
}

bool writeShot(HeadlessProgram& program, const std::string& fileName, std::ostream& err,
               const files::KeepWriting& keepWriting) {
  std::string whyNot;
  const std::vector<std::uint8_t> shot = encodeShotFor(program.screen(), fileName, whyNot);
  if (shot.empty()) {
    err << "squish-headless: cannot write the shot to " << app::quotedName(fileName) << ": "
        << whyNot << "\n";
    return false;
  }
  const std::string_view bytes(reinterpret_cast<const char*>(shot.data()), shot.size());
  return writeOutput("shot", fileName, bytes, err, keepWriting);
}

// --record: the visible page after every K-th frame, each picture shown for K hundredths of a
// second of the virtual clock. A recording that cannot start or fails is told once; the run
// goes on.
class Recorder {
 public:
  Recorder(const HeadlessOptions& options, std::ostream& err)
      : fileName_(options.recordFile), every_(options.recordEvery), err_(err) {
    if (fileName_.empty()) return;
    recording_ = std::make_unique<pictures::GifRecording>(fileName_);
    if (!recording_->ok()) fail();
  }

  void afterFrame(HeadlessProgram& program) {
    if (!recording_ || program.framesRun() % every_ != 0) return;
    lastFrame_ = program.framesRun();
    if (!recording_->add(app::pictureOfScreen(program.screen()), secondsAt(lastFrame_))) fail();
  }

  // False when there was a recording to make and it was not made whole.
  bool finish() {
    if (fileName_.empty()) return true;
    if (recording_ && !recording_->finish(secondsAt(lastFrame_ + every_))) fail();
    return !failed_;
  }

 private:
  static double secondsAt(std::int64_t frame) { return static_cast<double>(frame) / 100.0; }

  void fail() {
    if (!failed_)
      err_ << "squish-headless: cannot record to " << app::quotedName(fileName_) << ": "
           << recording_->error() << "\n";
    failed_ = true;
  }

  std::string fileName_;
  std::int64_t every_;
  std::ostream& err_;
  std::unique_ptr<pictures::GifRecording> recording_;
  std::int64_t lastFrame_ = 0;
  bool failed_ = false;
};

}  // namespace

HeadlessProgram::HeadlessProgram(std::vector<std::string> sceneArguments, std::int32_t seed,
                                 bool referenceStep, std::ostream* notices,
                                 std::vector<app::ScriptedSeed> seeds,
                                 const worlds::SavedWorld* startWorld)
    : sceneArguments_(std::move(sceneArguments)),
      seeds_(std::move(seeds)),
      state_{.screen = screen_,
             .world = world_,
             .settings = settings_,
             .toolkit = toolkit_,
             .panel = panel_,
             .random = random_,
             .sceneArguments = sceneArguments_,
             .fixedSeed = seed,
             .scriptSeeds = seeds_,
             .startWorld = startWorld,
             .referenceStep = referenceStep,
             .notices = {notices, "squish-headless"}} {
  screen_.presenter = &presenter_;
  screen_.title = "squish-headless";
  panel_.fontFiles = app::fontFileCandidates();
  started_ = app::startUp(state_);
  if (started_) app::buildScene(state_);
}

HeadlessProgram::~HeadlessProgram() {
  if (started_) app::shutDown(state_);
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

std::string HeadlessProgram::stateDump() {
  return app::programStateDump(state_, framesRun_, quit_);
}

int runHeadless(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
                const volatile std::sig_atomic_t* stopSignal) {
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
    out << "squish-headless " << app::versionText() << "\n";
    return 0;
  }
  InputScript script;
  if (!options.inputFile.empty()) {
    std::optional<InputScript> read = readInputScript(options.inputFile, err);
    if (!read) return usageError;
    script = std::move(*read);
  }

  std::optional<worlds::SavedWorld> startWorld;
  if (!options.loadFile.empty()) {
    startWorld = app::readStartWorld(options.loadFile, "squish-headless", err);
    if (!startWorld) return usageError;
  }

  const auto stopped = [stopSignal] { return stopSignal != nullptr && *stopSignal != 0; };
  HeadlessProgram program(options.scenes, options.seed, options.referenceStep, &err, script.seeds,
                          startWorld ? &*startWorld : nullptr);
  program.state().stepState = sim::stepStateForThreads(options.threads);
  if (!program.started()) {
    err << "squish-headless: cannot open the screen: " << program.screen().lastErrorText << "\n";
    return runError;
  }
  Recorder recorder(options, err);
  while (program.framesRun() < options.frames && !stopped() && program.runFrame(script))
    recorder.afterFrame(program);
  const files::KeepWriting keepWriting = [&stopped] { return !stopped(); };
  if (stopped()) return statusForSignal(*stopSignal);
  int status = recorder.finish() ? 0 : runError;
  if (!options.dumpFile.empty() && !stopped() &&
      !writeDump(program, options.dumpFile, out, err, keepWriting))
    status = runError;
  if (!options.shotFile.empty() && !stopped() &&
      !writeShot(program, options.shotFile, err, keepWriting))
    status = runError;
  return stopped() ? statusForSignal(*stopSignal) : status;
}

}  // namespace squish::headless
