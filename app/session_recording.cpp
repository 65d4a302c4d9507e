// Session lines use exactly the words squish-headless's input files use, so a recorded session
// is an input file.
#include "app/session_recording.h"

#include <cerrno>
#include <cstring>

namespace squish::app {
namespace {

std::string buttonName(std::int32_t bit) {
  switch (bit) {
    case 1:
      return "left";
    case 2:
      return "right";
    case 4:
      return "middle";
    default:
      return "";
  }
}

std::string keyLine(const char* kind, const display::WindowMessage& message) {
  return std::string(kind) + " " + std::to_string(message.value) +
         (message.extended ? " extended" : "");
}

std::string repeated(const std::string& line, std::int32_t times) {
  std::string out = line;
  for (std::int32_t i = 1; i < times; ++i)
    out.append("\n").append(line);
  return out;
}

}  // namespace

std::string sessionLine(const display::WindowMessage& message) {
  using display::MessageKind;
  switch (message.kind) {
    case MessageKind::character:
      return repeated("char " + std::to_string(message.value), message.repeat);
    case MessageKind::keyDown:
      return keyLine("keydown", message);
    case MessageKind::keyUp:
      return keyLine("keyup", message);
    case MessageKind::buttonDown:
      return buttonName(message.value).empty() ? "" : "down " + buttonName(message.value);
    case MessageKind::buttonUp:
      return buttonName(message.value).empty() ? "" : "up " + buttonName(message.value);
    case MessageKind::wheel:
      return message.value == 0 ? "" : "wheel " + std::to_string(message.value);
    case MessageKind::pointerMove:
      return "mouse " + std::to_string(message.value) + " " + std::to_string(message.y);
    case MessageKind::focusIn:
      return "focus in";
    case MessageKind::focusOut:
      return "focus out";
    case MessageKind::close:
      return "close";
    case MessageKind::repaint:
    case MessageKind::fullScreen:
      return "";
  }
  return "";
}

SessionRecording::SessionRecording(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
  if (file_ == nullptr) {
    error_ = std::strerror(errno);
    return;
  }
  writeLine("# squish session: replay with squish-headless --input FILE and the same scenes");
}

SessionRecording::~SessionRecording() {
  if (file_ != nullptr) std::fclose(file_);
}

void SessionRecording::recordMessage(std::int64_t frame, const display::WindowMessage& message) {
  const std::string line = sessionLine(message);
  if (line.empty()) return;
  const std::string prefix = std::to_string(frame) + " ";
  std::string lines = prefix;
  for (const char c : line) {
    lines += c;
    if (c == '\n') lines += prefix;
  }
  writeLine(lines);
}

void SessionRecording::recordSeed(std::int64_t frame, std::int32_t seed) {
  writeLine(std::to_string(frame) + " seed " + std::to_string(seed));
}

void SessionRecording::recordEnd(std::int64_t passes) {
  writeLine("# ended after " + std::to_string(passes) + " passes: replay with --frames " +
            std::to_string(passes));
}

void SessionRecording::writeLine(const std::string& line) {
  const std::lock_guard hold(lock_);
  if (file_ == nullptr || !error_.empty()) return;
  if (std::fputs(line.c_str(), file_) < 0 || std::fputc('\n', file_) < 0 ||
      std::fflush(file_) != 0) {
    error_ = std::strerror(errno);
  }
}

}  // namespace squish::app
