#pragma once
// Untrusted text (file names, words of an input file) quoted in the programs' messages: short,
// and never a raw control byte or terminal escape.
#include <string>
#include <string_view>

namespace squish::app {

// At most 60 characters of `text` in single quotes, each byte that is not printable ASCII (and
// the backslash) written as \xHH, and "..." after the quote when the text was cut.
std::string quoted(std::string_view text);

}  // namespace squish::app
