#pragma once
// Untrusted text (file names, words of an input file) quoted in the programs' messages: short,
// and never a raw control byte or terminal escape.
#include <cstddef>
#include <string>
#include <string_view>

namespace squish::app {

// At most `longest` bytes of `text` in single quotes, each byte that is not printable ASCII (and
// the backslash) written as \xHH, and "..." after the quote when the text was cut.
std::string quoted(std::string_view text, std::size_t longest = 60);

// A file name the same way: whole, as far as any path can be long.
inline std::string quotedName(std::string_view name) {
  return quoted(name, 4096);
}

}  // namespace squish::app
