#pragma once
// Typed text as the key buffer holds it: UTF-8 from the window system turned into code page
// 437 (IBM PC) bytes.
#include <cstdint>
#include <string>
#include <string_view>

namespace squish::display {

// The code page 437 byte of a Unicode code point 0..255, or -1 when it has none (and for every
// code point above 255).
std::int32_t codePage437FromUnicode(std::uint32_t codePoint);

// The characters of a UTF-8 text that code page 437 can show, in order; malformed sequences
// and characters it cannot show are left out.
std::string codePage437FromUtf8(std::string_view text);

}  // namespace squish::display
