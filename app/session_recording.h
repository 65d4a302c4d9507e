#pragma once
// squish --record-session FILE: the run written down as it happens, in squish-headless's input
// file format, so that squish-headless --input FILE with the same scenes replays it exactly.
// Each scene build's seed is a `seed` line; each window message that reached the input state
// is a line of the frame whose input read came after it. Every line is flushed at once, so a
// run that ends badly leaves its session up to that point.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "display/window_messages.h"

namespace squish::app {

class SessionRecording {
 public:
  // Creates or empties the file; error() tells why it could not be opened.
  explicit SessionRecording(const std::string& path);
  ~SessionRecording();
  SessionRecording(const SessionRecording&) = delete;
  SessionRecording& operator=(const SessionRecording&) = delete;

  const std::string& error() const { return error_; }

  // A message delivered before the read of frame `frame`'s input (presenter's thread, under the
  // screen's lock). Messages with no effect on the input (repaints) are left out.
  void recordMessage(std::int64_t frame, const display::WindowMessage& message);
  // The seed of a scene build in frame `frame` (the start-up build counts as frame 1).
  void recordSeed(std::int64_t frame, std::int32_t seed);
  // The last line: how many passes ran, for the replay's --frames.
  void recordEnd(std::int64_t passes);

 private:
  void writeLine(const std::string& line);

  std::mutex lock_;  // the presenter's thread and the program's both write lines
  std::FILE* file_ = nullptr;
  std::string error_;
};

// The input file line of a message, without its frame; empty for a message that has none.
std::string sessionLine(const display::WindowMessage& message);

}  // namespace squish::app
