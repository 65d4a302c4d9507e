// Reads the squish-headless command line. Numbers are whole decimal integers in range;
// anything else (a sign on the frame count, a fraction, trailing text) is a usage error.
#include "app/headless_options.h"

#include <limits>

#include "app/message_text.h"
#include "app/whole_number.h"

namespace squish::app {
namespace {

constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();

bool looksLikeOption(const std::string& argument) {
  return argument.size() > 1 && argument[0] == '-';
}

class OptionReader {
 public:
  explicit OptionReader(std::span<const std::string> arguments) : arguments_(arguments) {}

  HeadlessOptionsResult read() {
    bool optionsEnded = false;
    while (next_ < arguments_.size() && result_.ok()) {
      const std::string& argument = arguments_[next_++];
      if (optionsEnded || !looksLikeOption(argument)) {
        result_.options.scenes.push_back(argument);
      } else if (argument == "--") {
        optionsEnded = true;
      } else {
        readOption(argument);
      }
    }
    return result_;
  }

 private:
  void readOption(const std::string& option) {
    HeadlessOptions& options = result_.options;
    if (option == "--frames") {
      readNumber(option, 0, maxFrames, options.frames);
    } else if (option == "--seed") {
      std::int64_t seed = 0;
      if (readNumber(option, int32Min, int32Max, seed))
        options.seed = static_cast<std::int32_t>(seed);
    } else if (option == "--input") {
      readFileName(option, options.inputFile);
    } else if (option == "--dump") {
      readFileName(option, options.dumpFile);
    } else if (option == "--shot") {
      readFileName(option, options.shotFile);
    } else if (option == "--record") {
      readFileName(option, options.recordFile);
    } else if (option == "--record-every") {
      readNumber(option, 1, maxFrames, options.recordEvery);
    } else if (option == "--reference-step") {
      options.referenceStep = true;
    } else {
      fail("unknown option " + quoted(option));
    }
  }

  const std::string* value(const std::string& option) {
    if (next_ >= arguments_.size()) {
      fail(option + " needs a value");
      return nullptr;
    }
    return &arguments_[next_++];
  }

  bool readNumber(const std::string& option, std::int64_t minimum, std::int64_t maximum,
                  std::int64_t& out) {
    const std::string* text = value(option);
    if (text == nullptr) return false;
    const auto number = parseWholeNumber(*text, minimum, maximum);
    if (!number) {
      fail(option + " needs a whole number from " + std::to_string(minimum) + " to " +
           std::to_string(maximum) + ", not " + quoted(*text));
      return false;
    }
    out = *number;
    return true;
  }

  void readFileName(const std::string& option, std::string& out) {
    const std::string* text = value(option);
    if (text == nullptr) return;
    if (text->empty()) {
      fail(option + " needs a file name");
      return;
    }
    out = *text;
  }

  void fail(std::string message) { result_.error = std::move(message); }

  std::span<const std::string> arguments_;
  std::size_t next_ = 0;
  HeadlessOptionsResult result_;
};

}  // namespace

HeadlessOptionsResult parseHeadlessOptions(std::span<const std::string> arguments) {
  return OptionReader(arguments).read();
}

}  // namespace squish::app
