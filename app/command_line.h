#pragma once
// The one small command-line reader both programs share: named options (a flag, a whole
// number in a range, a file name) may come before or after the scene names; "--" ends them
// and every argument after it is a scene name. A usage error is one line of text.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace squish::app {

struct CommandLineOption {
  std::string name;  // "--frames"
  bool takesValue = false;
  // Takes the option's value ("" for a flag); returns why it is unusable, or "" when sound.
  std::function<std::string(const std::string& value)> apply;
};

// A flag that sets out to true.
CommandLineOption flagOption(std::string name, bool& out);
// A whole decimal number from minimum to maximum (no sign on a positive one, no blanks).
CommandLineOption numberOption(std::string name, std::int64_t minimum, std::int64_t maximum,
                               std::int64_t& out);
// A nonempty file name.
CommandLineOption fileOption(std::string name, std::string& out);

// Reads the arguments (without the program name) against the options: every argument that is
// no option goes to scenes, in order, empty ones included. Returns the first usage error, or ""
// when the command line is sound.
std::string readCommandLine(std::span<const std::string> arguments,
                            std::span<const CommandLineOption> options,
                            std::vector<std::string>& scenes);

}  // namespace squish::app
