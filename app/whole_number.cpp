// Whole decimal numbers: std::from_chars does the reading (no locale, no leading blanks, no
// plus sign); the whole text must be consumed.
#include "app/whole_number.h"

#include <charconv>

namespace squish::app {

std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t minimum,
                                             std::int64_t maximum) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end) return std::nullopt;
  if (value < minimum || value > maximum) return std::nullopt;
  return value;
}

}  // namespace squish::app
