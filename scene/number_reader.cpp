// Reads the number forms of scene files and panel fields: the &H, &O and &B unsigned integers and
// C-locale decimal numbers. The decimal form is checked here, so the spellings a library reader
// would also take (infinities, NaN, hexadecimal fractions) read as no number.
#include "scene/number_reader.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <system_error>

namespace squish::scene {
namespace {

constexpr std::uint64_t largestUnsigned = std::numeric_limits<std::uint64_t>::max();

// Exponents beyond this many powers of ten are equally out of a double's reach.
constexpr std::int64_t exponentLimit = 1'000'000'000;

bool isDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isCLocaleSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t skipSpaces(std::string_view text, std::size_t pos) {
  while (pos < text.size() && text[pos] == ' ')
    ++pos;
  return pos;
}

// The base an "&" prefix letter selects, or 0 for a letter that selects none.
int baseOfPrefixLetter(char letter) {
  switch (letter) {
    case 'H':
    case 'h':
      return 16;
    case 'O':
    case 'o':
      return 8;
    case 'B':
    case 'b':
      return 2;
    default:
      return 0;
  }
}

// The value of c as a digit of base, or -1 when it is not one.
int digitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  }
  return value < base ? value : -1;
}

double readUnsigned(std::string_view digits, int base) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    const int digit = digitValue(c, base);
    if (digit < 0) break;
    const auto unsignedDigit = static_cast<std::uint64_t>(digit);
    const auto unsignedBase = static_cast<std::uint64_t>(base);
    if (value > (largestUnsigned - unsignedDigit) / unsignedBase) {
      return static_cast<double>(largestUnsigned);
    }
    value = value * unsignedBase + unsignedDigit;
  }
  return static_cast<double>(value);
}

// A decimal number found at the start of a text.
struct DecimalParts {
  bool negative = false;
  std::string_view integerDigits;
  std::string_view fractionDigits;
  std::int64_t exponent = 0;      // held within ±exponentLimit
  std::string_view unsignedText;  // digits, point, fraction and exponent, without the sign
};

std::size_t countDigits(std::string_view text, std::size_t pos) {
  std::size_t count = 0;
  while (pos + count < text.size() && isDecimalDigit(text[pos + count]))
    ++count;
  return count;
}

// Length of the exponent at pos ("e", optional sign, at least one digit), or 0 when there is
// none; its value goes to exponent.
std::size_t readExponent(std::string_view text, std::size_t pos, std::int64_t& exponent) {
  if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E')) return 0;
  std::size_t digitsAt = pos + 1;
  const bool negative = digitsAt < text.size() && text[digitsAt] == '-';
  if (digitsAt < text.size() && (text[digitsAt] == '-' || text[digitsAt] == '+')) ++digitsAt;
  const std::size_t digitCount = countDigits(text, digitsAt);
  if (digitCount == 0) return 0;
  std::int64_t value = 0;
  for (std::size_t i = digitsAt; i < digitsAt + digitCount && value < exponentLimit; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  if (value > exponentLimit) value = exponentLimit;
  exponent = negative ? -value : value;
  return digitsAt + digitCount - pos;
}

std::optional<DecimalParts> findDecimal(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && isCLocaleSpace(text[pos]))
    ++pos;
  DecimalParts parts;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    parts.negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t start = pos;
  std::size_t count = countDigits(text, pos);
  parts.integerDigits = text.substr(pos, count);
  pos += count;
  if (pos < text.size() && text[pos] == '.') {
    count = countDigits(text, pos + 1);
    parts.fractionDigits = text.substr(pos + 1, count);
    pos += 1 + count;
  }
  if (parts.integerDigits.empty() && parts.fractionDigits.empty()) return std::nullopt;
  pos += readExponent(text, pos, parts.exponent);
  parts.unsignedText = text.substr(start, pos - start);
  return parts;
}

// Whether a number too far from 1 for a double is too large rather than too small: the power of
// ten of its leading nonzero digit is then positive.
bool isTooLarge(const DecimalParts& parts) {
  const std::size_t leadingInteger = parts.integerDigits.find_first_not_of('0');
  if (leadingInteger != std::string_view::npos) {
    const auto power = static_cast<std::int64_t>(parts.integerDigits.size() - leadingInteger - 1);
    return power + parts.exponent > 0;
  }
  const std::size_t leadingFraction = parts.fractionDigits.find_first_not_of('0');
  if (leadingFraction == std::string_view::npos) return false;
  return parts.exponent - static_cast<std::int64_t>(leadingFraction + 1) > 0;
}

double readDecimal(const DecimalParts& parts) {
  const std::string_view digits = parts.unsignedText;
  double magnitude = 0.0;
  const std::from_chars_result result =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (result.ec == std::errc::result_out_of_range) {
    magnitude = isTooLarge(parts) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return parts.negative ? -magnitude : magnitude;
}

}  // namespace

double readNumber(std::string_view text) {
  return scanNumber(text).value;
}

NumberReading scanNumber(std::string_view text) {
  const std::size_t start = skipSpaces(text, 0);
  if (start == text.size()) return {0.0, false, start};
  const std::string_view rest = text.substr(start);
  if (rest.size() >= 2 && rest[0] == '&') {
    const int base = baseOfPrefixLetter(rest[1]);
    if (base != 0) {
      const std::string_view digits = rest.substr(2);
      std::size_t count = 0;
      while (count < digits.size() && digitValue(digits[count], base) >= 0)
        ++count;
      return {readUnsigned(digits, base), count > 0, start + 2 + count};
    }
  }
  const std::optional<DecimalParts> parts = findDecimal(rest);
  if (!parts) return {0.0, false, start};
  const std::string_view digits = parts->unsignedText;
  const auto end = static_cast<std::size_t>(digits.data() + digits.size() - text.data());
  return {readDecimal(*parts), true, end};
}

std::int32_t roundToInt32(double value) {
  if (std::isnan(value)) return 0;
  double nearest = std::round(value);
  // std::round takes halves away from zero; a half goes to the even neighbour instead.
  if (std::fabs(value - std::trunc(value)) == 0.5) nearest = 2.0 * std::round(value / 2.0);
  if (nearest >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (nearest <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(nearest);
}

float roundToFloat32(double value) {
  if (std::isnan(value)) return 0.0f;
  return static_cast<float>(value);
}

}  // namespace squish::scene
