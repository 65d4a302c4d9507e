// World files and sessions through the whole program: a run saved halfway and loaded goes on
// exactly as if it had never stopped, a restart brings the loaded world back, a bad world file
// is a usage error, and a recorded session reads back as the messages it recorded.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/session_recording.h"
#include "app/world_files.h"
#include "headless_fixture.h"

namespace squish::headless {
namespace {

using testing::ScratchDir;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The dump without the counts of frames and steps, which start again in a loaded run.
std::string withoutCounts(std::string dump) {
  for (const std::string key : {"  \"frame\": ", "  \"steps\": "}) {
    const std::size_t at = dump.find(key);
    if (at != std::string::npos) dump.erase(at, dump.find('\n', at) + 1 - at);
  }
  return dump;
}

int runWith(std::vector<std::string> arguments, std::string& err) {
  std::ostringstream out;
  std::ostringstream errors;
  const int status = runHeadless(arguments, out, errors);
  err = errors.str();
  return status;
}

TEST(WorldFiles, AHundredFramesSavedAndLoadedThenAHundredMoreAreTwoHundred) {
  ScratchDir dir;
  std::string err;
  // A kick in each half: the random numbers go on from where the save left them.
  const std::string whole = dir.write("whole.txt", "50 char 32\n150 char 32\n");
  ASSERT_EQ(runWith({"--frames", "200", "--input", whole, "--dump", dir.path("a.json")}, err), 0)
      << err;

  HeadlessProgram first({}, 1);
  for (int frame = 1; frame <= 100; ++frame)
    testing::runFrameWith(first, frame == 50 ? "50 char 32\n" : "");
  const std::string saved = dir.write("half.world.json", app::worldFileText(first.state()));
  const std::string second = dir.write("second.txt", "50 char 32\n");
  ASSERT_EQ(
      runWith({"--load", saved, "--frames", "100", "--input", second, "--dump", dir.path("b.json")},
              err),
      0)
      << err;
  EXPECT_EQ(withoutCounts(readFile(dir.path("b.json"))),
            withoutCounts(readFile(dir.path("a.json"))));

  // R in the first frame builds the loaded world again, in place of the scene.
  const std::string restart = dir.write("restart.txt", "1 char 114\n");
  ASSERT_EQ(runWith({"--load", saved, "--frames", "0", "--dump", dir.path("loaded.json")}, err), 0);
  ASSERT_EQ(runWith({"--load", saved, "--frames", "1", "--input", restart, "--dump",
                     dir.path("restarted.json")},
                    err),
            0);
  EXPECT_EQ(withoutCounts(readFile(dir.path("restarted.json"))),
            withoutCounts(readFile(dir.path("loaded.json"))));
}

TEST(WorldFiles, ABadWorldFileIsAUsageErrorOfOneLine) {
  ScratchDir dir;
  std::string err;
  const std::string dump = dir.path("dump.json");
  ASSERT_EQ(runWith({"--frames", "0", "--dump", dump}, err), 0);
  EXPECT_EQ(runWith({"--load", dump}, err), 2);
  EXPECT_EQ(err, "squish-headless: cannot load world file '" + dump +
                     "': format: must be \"squish-world\" (a dump is no world file)\n");
  EXPECT_EQ(runWith({"--load", dir.path("none.json")}, err), 2);
  EXPECT_EQ(err.rfind("squish-headless: cannot load world file '", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST(WorldFiles, ARecordedSessionReadsBackAsItsMessagesAndSeeds) {
  using display::MessageKind;
  ScratchDir dir;
  const std::string path = dir.path("session.txt");
  const std::vector<display::WindowMessage> messages = {
      {MessageKind::pointerMove, 12, 34},
      {MessageKind::buttonDown, 2},
      {MessageKind::buttonUp, 4},
      {MessageKind::wheel, -3},
      {MessageKind::keyDown, 72, 0, true},
      {MessageKind::keyUp, 1},
      {MessageKind::character, 200},
      {MessageKind::focusOut},
      {MessageKind::focusIn},
      {MessageKind::close},
  };
  {
    app::SessionRecording session(path);
    ASSERT_EQ(session.error(), "");
    session.recordSeed(1, -17);
    for (std::size_t i = 0; i < messages.size(); ++i)
      session.recordMessage(static_cast<std::int64_t>(i + 1), messages[i]);
    session.recordMessage(3, {MessageKind::repaint});
    session.recordEnd(11);
  }
  const InputScriptResult read = parseInputScript(readFile(path));
  ASSERT_TRUE(read.ok()) << read.error;
  ASSERT_EQ(read.script.messages.size(), messages.size());
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const display::WindowMessage& got = read.script.messages[i].message;
    EXPECT_EQ(read.script.messages[i].frame, static_cast<std::int64_t>(i + 1));
    EXPECT_EQ(got.kind, messages[i].kind);
    EXPECT_EQ(got.value, messages[i].value);
    EXPECT_EQ(got.y, messages[i].y);
    EXPECT_EQ(got.extended, messages[i].extended);
  }
  ASSERT_EQ(read.script.seeds.size(), 1u);
  EXPECT_EQ(read.script.seeds[0].seed, -17);
}

}  // namespace
}  // namespace squish::headless
