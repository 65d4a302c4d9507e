// std::to_chars with the general format and a precision is defined as printf's "%.*g" in the
// "C" locale, which is the notation the panel wants, so the text never depends on the
// process's locale or the platform's printf.
#include "panel/value_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace squish::panel {

std::string valueText(double value) {
  // The sign of a NaN carries no meaning for the user.
  if (std::isnan(value)) return "nan";
  // "-d.dddddde+ddd" and the terminator fit with room to spare.
  std::array<char, 32> text{};
  const std::to_chars_result written =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 7);
  return std::string(text.data(), written.ptr);
}

}  // namespace squish::panel
