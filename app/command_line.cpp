// Reads a command line against a table of options. Numbers are whole decimal integers in
// range; anything else (a sign on a count, a fraction, trailing text) is a usage error.
#include "app/command_line.h"

#include "app/message_text.h"
#include "app/whole_number.h"

namespace squish::app {
namespace {

bool looksLikeOption(const std::string& argument) {
  return argument.size() > 1 && argument[0] == '-';
}

const CommandLineOption* findOption(std::span<const CommandLineOption> options,
                                    const std::string& name) {
  for (const CommandLineOption& option : options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

}  // namespace

CommandLineOption flagOption(std::string name, bool& out) {
  return {std::move(name), false, [&out](const std::string&) {
            out = true;
            return std::string();
          }};
}

CommandLineOption numberOption(std::string name, std::int64_t minimum, std::int64_t maximum,
                               std::int64_t& out) {
  return {name, true, [name, minimum, maximum, &out](const std::string& text) {
            const auto number = parseWholeNumber(text, minimum, maximum);
            if (!number) {
              return name + " needs a whole number from " + std::to_string(minimum) + " to " +
                     std::to_string(maximum) + ", not " + quoted(text);
            }
            out = *number;
            return std::string();
          }};
}

CommandLineOption fileOption(std::string name, std::string& out) {
  return {name, true, [name, &out](const std::string& text) {
            if (text.empty()) return name + " needs a file name";
            out = text;
            return std::string();
          }};
}

std::string readCommandLine(std::span<const std::string> arguments,
                            std::span<const CommandLineOption> options,
                            std::vector<std::string>& scenes) {
  bool optionsEnded = false;
  for (std::size_t next = 0; next < arguments.size();) {
    const std::string& argument = arguments[next++];
    if (optionsEnded || !looksLikeOption(argument)) {
      scenes.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const CommandLineOption* option = findOption(options, argument);
    if (option == nullptr) return "unknown option " + quoted(argument);
    std::string value;
    if (option->takesValue) {
      if (next >= arguments.size()) return argument + " needs a value";
      value = arguments[next++];
    }
    std::string error = option->apply(value);
    if (!error.empty()) return error;
  }
  return {};
}

}  // namespace squish::app
