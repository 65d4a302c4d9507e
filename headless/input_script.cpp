// Parses input files into window messages. Each line is split at blanks into words; the
// kinds and their arguments are checked strictly, and the first bad line stops the parse.
// Key-downs get their modifiers from the keys held when the presenter delivers them.
#include "headless/input_script.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "app/message_text.h"
#include "app/whole_number.h"

namespace squish::headless {
namespace {

using display::MessageKind;
using display::WindowMessage;

constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t highestScanCode = 127;

std::vector<std::string_view> splitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    const std::size_t start = line.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    const std::size_t stop = std::min(line.find_first_of(" \t", start), line.size());
    words.push_back(line.substr(start, stop - start));
    at = stop;
  }
  return words;
}

// Why a line is malformed, or the message it stands for.
struct LineResult {
  WindowMessage message;
  std::string error;
};

LineResult malformed(std::string error) {
  return {WindowMessage{}, std::move(error)};
}

LineResult numberArgument(std::span<const std::string_view> args, MessageKind kind,
                          std::int64_t minimum, std::int64_t maximum, std::string_view what) {
  if (args.size() != 1) return malformed("expects one " + std::string(what));
  const auto value = app::parseWholeNumber(args[0], minimum, maximum);
  if (!value || (*value == 0 && kind == MessageKind::wheel)) {
    return malformed("bad " + std::string(what) + " " + app::quoted(args[0]));
  }
  WindowMessage message;
  message.kind = kind;
  message.value = static_cast<std::int32_t>(*value);
  return {message, {}};
}

LineResult pointerMove(std::span<const std::string_view> args) {
  if (args.size() != 2) return malformed("mouse expects X and Y");
  const auto x = app::parseWholeNumber(args[0], int32Min, int32Max);
  const auto y = app::parseWholeNumber(args[1], int32Min, int32Max);
  if (!x || !y) return malformed("mouse position must be whole numbers");
  WindowMessage message;
  message.kind = MessageKind::pointerMove;
  message.value = static_cast<std::int32_t>(*x);
  message.y = static_cast<std::int32_t>(*y);
  return {message, {}};
}

LineResult button(std::span<const std::string_view> args, MessageKind kind) {
  if (args.size() != 1) return malformed("expects one button: left, right or middle");
  WindowMessage message;
  message.kind = kind;
  if (args[0] == "left") {
    message.value = 1;
  } else if (args[0] == "right") {
    message.value = 2;
  } else if (args[0] == "middle") {
    message.value = 4;
  } else {
    return malformed("unknown button " + app::quoted(args[0]));
  }
  return {message, {}};
}

LineResult key(std::span<const std::string_view> args, MessageKind kind) {
  const bool extended = args.size() == 2 && args[1] == "extended";
  if (args.empty() || args.size() > 2 || (args.size() == 2 && !extended)) {
    return malformed("expects a scan code and optionally 'extended'");
  }
  LineResult result = numberArgument(args.first(1), kind, 0, highestScanCode, "scan code");
  result.message.extended = extended;
  return result;
}

LineResult focus(std::span<const std::string_view> args) {
  WindowMessage message;
  if (args.size() == 1 && args[0] == "in") {
    message.kind = MessageKind::focusIn;
  } else if (args.size() == 1 && args[0] == "out") {
    message.kind = MessageKind::focusOut;
  } else {
    return malformed("focus expects 'in' or 'out'");
  }
  return {message, {}};
}

LineResult close(std::span<const std::string_view> args) {
  if (!args.empty()) return malformed("close takes no arguments");
  WindowMessage message;
  message.kind = MessageKind::close;
  return {message, {}};
}

LineResult parseMessage(std::string_view kind, std::span<const std::string_view> args) {
  if (kind == "mouse") return pointerMove(args);
  if (kind == "down") return button(args, MessageKind::buttonDown);
  if (kind == "up") return button(args, MessageKind::buttonUp);
  if (kind == "wheel") return numberArgument(args, MessageKind::wheel, int32Min, int32Max, "delta");
  if (kind == "keydown") return key(args, MessageKind::keyDown);
  if (kind == "keyup") return key(args, MessageKind::keyUp);
  if (kind == "char") return numberArgument(args, MessageKind::character, 0, 255, "character");
  if (kind == "focus") return focus(args);
  if (kind == "close") return close(args);
  return malformed("unknown message kind " + app::quoted(kind));
}

bool isIgnored(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos || line[first] == '#';
}

}  // namespace

InputScriptResult parseInputScript(std::string_view text) {
  InputScriptResult result;
  std::int64_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (isIgnored(line)) continue;

    const std::vector<std::string_view> words = splitWords(line);
    const auto frame = app::parseWholeNumber(words[0], 1, std::numeric_limits<std::int64_t>::max());
    LineResult parsed;
    if (!frame) {
      parsed.error = "bad frame number " + app::quoted(words[0]);
    } else if (words.size() < 2) {
      parsed.error = "missing message kind";
    } else if (words[1] == "seed") {
      const auto seed =
          words.size() == 3 ? app::parseWholeNumber(words[2], int32Min, int32Max) : std::nullopt;
      if (seed) {
        result.script.seeds.push_back({*frame, static_cast<std::int32_t>(*seed)});
        continue;
      }
      parsed.error = "seed expects one whole number from " + std::to_string(int32Min) + " to " +
                     std::to_string(int32Max);
    } else {
      parsed = parseMessage(words[1], std::span(words).subspan(2));
    }
    if (!parsed.error.empty()) {
      result.errorLine = lineNumber;
      result.error = "line " + std::to_string(lineNumber) + ": " + parsed.error;
      result.script = {};
      return result;
    }
    result.script.messages.push_back({*frame, parsed.message});
  }

  const auto byFrame = [](const auto& a, const auto& b) { return a.frame < b.frame; };
  std::stable_sort(result.script.messages.begin(), result.script.messages.end(), byFrame);
  std::stable_sort(result.script.seeds.begin(), result.script.seeds.end(), byFrame);
  return result;
}

std::span<const ScriptedMessage> messagesForFrame(const InputScript& script, std::int64_t frame) {
  const auto byFrame = [](const ScriptedMessage& message, std::int64_t value) {
    return message.frame < value;
  };
  const auto first =
      std::lower_bound(script.messages.begin(), script.messages.end(), frame, byFrame);
  auto last = first;
  while (last != script.messages.end() && last->frame == frame)
    ++last;
  return {first, last};
}

}  // namespace squish::headless
