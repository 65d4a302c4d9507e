#pragma once
// Input files of squish-headless: window messages by frame, one per line ("FRAME KIND [ARGS]").
// The script holds them sorted by frame, in file order within a frame, ready to be queued
// before the frame they belong to.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/frame_loop.h"
#include "display/window_messages.h"

namespace squish::headless {

struct ScriptedMessage {
  std::int64_t frame = 0;
  display::WindowMessage message;
};

struct InputScript {
  std::vector<ScriptedMessage> messages;  // sorted by frame; file order within a frame
  std::vector<app::ScriptedSeed> seeds;   // the same
};

struct InputScriptResult {
  InputScript script;
  std::int64_t errorLine = 0;  // 1-based line of the first malformed line; 0 when sound
  std::string error;

  bool ok() const { return errorLine == 0; }
};

InputScriptResult parseInputScript(std::string_view text);

// The messages to deliver right before frame (numbered from 1).
std::span<const ScriptedMessage> messagesForFrame(const InputScript& script, std::int64_t frame);

}  // namespace squish::headless
