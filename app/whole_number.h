#pragma once
// Whole decimal numbers as the headless program's command line and input files write them:
// an optional minus sign and at least one digit, nothing else, within a given range.
#include <cstdint>
#include <optional>
#include <string_view>

namespace squish::app {

// The value of text, or nothing when it is not a whole decimal number in minimum..maximum.
std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t minimum,
                                             std::int64_t maximum);

}  // namespace squish::app
