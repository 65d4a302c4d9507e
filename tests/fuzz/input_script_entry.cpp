// The squish-headless input-file parser, then its messages, frame by frame, applied to a
// windowless screen's input state the way the presenter applies them, with the program's
// polls in between.
#include <cstdlib>
#include <string_view>

#include "display/input.h"
#include "display/screen.h"
#include "display/window_messages.h"
#include "headless/input_script.h"
#include "tests/fuzz/fuzz_entries.h"

namespace squish::fuzz {
namespace {

// The messages of every frame are checked; only this many are applied, to keep inputs fast.
constexpr std::size_t mostMessagesApplied = 4096;

void requireSortedByFrame(const headless::InputScript& script) {
  for (std::size_t i = 1; i < script.messages.size(); ++i) {
    require(script.messages[i - 1].frame <= script.messages[i].frame, "messages sorted by frame");
  }
  std::size_t counted = 0;
  for (std::size_t i = 0; i < script.messages.size(); i += counted) {
    const std::int64_t frame = script.messages[i].frame;
    require(frame >= 1, "frames are numbered from 1");
    const auto ofFrame = headless::messagesForFrame(script, frame);
    require(!ofFrame.empty() && ofFrame.data() == &script.messages[i], "a frame's run starts");
    for (const headless::ScriptedMessage& same : ofFrame) {
      require(same.frame == frame, "a frame's messages belong to it");
    }
    counted = ofFrame.size();
  }
}

void pollInput(display::Screen& screen) {
  display::readMouse(screen);
  display::readKeyString(screen);
  display::isKeyDown(screen, 1);
}

}  // namespace

void feedInputScript(Bytes input) {
  const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
  const headless::InputScriptResult result = headless::parseInputScript(text);
  if (!result.ok()) {
    require(result.errorLine >= 1, "an error names its line");
    require(!result.error.empty(), "an error says what is wrong");
    return;
  }
  requireSortedByFrame(result.script);

  display::Screen screen;
  if (!display::openScreen(screen, 18, 8, 2, 0, 0)) std::abort();
  std::size_t applied = 0;
  for (const headless::ScriptedMessage& scripted : result.script.messages) {
    if (++applied > mostMessagesApplied) break;
    {
      display::ScreenLock lock(screen.screenLock);
      display::handleWindowMessage(screen, scripted.message);
    }
    pollInput(screen);
  }
  display::closeScreen(screen);
}

}  // namespace squish::fuzz
