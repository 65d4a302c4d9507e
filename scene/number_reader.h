#pragma once
// Text to number, as scene files and the settings panel's fields are read, and the two
// conversions that store a read number: single precision and a 32-bit integer.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace squish::scene {

// Leading spaces are skipped; an empty remainder gives 0. "&H", "&O" or "&B" (either case) start
// an unsigned integer in base 16, 8 or 2, read up to the first character that is not a digit of
// that base; a value past 2^64 - 1 stays at 2^64 - 1. Anything else is read as a decimal number:
// white space, an optional sign, digits with an optional point and fraction, an optional
// exponent; reading stops at the first character that does not fit, and no number gives 0. A
// decimal too large for a double gives an infinity of its sign, one too small gives 0.
double readNumber(std::string_view text);

// What readNumber makes of a text, for telling a scene's author: the value, whether the text
// held a number at all (else the value is 0), and where reading stopped; whatever follows that
// point is ignored.
struct NumberReading {
  double value = 0.0;
  bool found = false;
  std::size_t end = 0;
};
NumberReading scanNumber(std::string_view text);

// Nearest integer, ties to the even one; beyond the int32 range the nearer limit; NaN gives 0.
std::int32_t roundToInt32(double value);

// Nearest single-precision value (beyond its range an infinity of the same sign); NaN gives 0.
float roundToFloat32(double value);

}  // namespace squish::scene
