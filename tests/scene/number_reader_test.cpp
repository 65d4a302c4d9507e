// Number reading as scene files and panel fields use it, and the two conversions that store a
// read number.
#include "scene/number_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace squish::scene {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();
// 2^64 - 1 as a double rounds to 2^64.
constexpr double largestUnsigned = 18446744073709551615.0;

TEST(NumberReading, DecimalFormsReadAsFarAsTheyFit) {
  EXPECT_EQ(readNumber("  -1e-3"), -1e-3);
  EXPECT_EQ(readNumber("2.5x"), 2.5);
  EXPECT_EQ(readNumber(""), 0.0);
  EXPECT_EQ(readNumber("    "), 0.0);
  EXPECT_EQ(readNumber("big"), 0.0);
  EXPECT_EQ(readNumber("+7"), 7.0);
  EXPECT_EQ(readNumber(".5"), 0.5);
  EXPECT_EQ(readNumber("5."), 5.0);
  EXPECT_EQ(readNumber("."), 0.0);
  EXPECT_EQ(readNumber("- 3"), 0.0);
  EXPECT_EQ(readNumber("1.5E2"), 150.0);
  // An exponent without digits is not part of the number.
  EXPECT_EQ(readNumber("3e"), 3.0);
  EXPECT_EQ(readNumber("3e-x"), 3.0);
  EXPECT_EQ(readNumber("12 34"), 12.0);
  // After the spaces, other white space before the number is skipped too.
  EXPECT_EQ(readNumber(" \t\r 42"), 42.0);
  EXPECT_EQ(readNumber(std::string("9\0"
                                   "9",
                                   3)),
            9.0);
  EXPECT_EQ(readNumber("-0.004"), -0.004);
  EXPECT_TRUE(std::signbit(readNumber("-0")));
}

TEST(NumberReading, OnlyTheDecimalFormCountsAsANumber) {
  for (const char* text : {"nan", "NaN", "-nan", "nan(123)", "inf", "-inf", "INF", "infinity",
                           "0x1p3", "0x10", "0X1P3", "-0x10"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(readNumber(text), 0.0);
  }
}

TEST(NumberReading, AmpersandFormsAreUnsignedIntegers) {
  EXPECT_EQ(readNumber("&H10"), 16.0);
  EXPECT_EQ(readNumber("&hff"), 255.0);
  EXPECT_EQ(readNumber("&HaB"), 171.0);
  EXPECT_EQ(readNumber("&O17"), 15.0);
  EXPECT_EQ(readNumber("&B101"), 5.0);
  EXPECT_EQ(readNumber("   &H10"), 16.0);
  // Reading stops at the first character that is not a digit of the base.
  EXPECT_EQ(readNumber("&B1021"), 2.0);
  EXPECT_EQ(readNumber("&O78"), 7.0);
  EXPECT_EQ(readNumber("&H1G"), 1.0);
  EXPECT_EQ(readNumber("&H"), 0.0);
  EXPECT_EQ(readNumber("&H 10"), 0.0);
  // Another letter after & is not a prefix, and "&" alone is no number.
  EXPECT_EQ(readNumber("&X10"), 0.0);
  EXPECT_EQ(readNumber("&"), 0.0);
  EXPECT_EQ(readNumber("&HFFFFFFFFFFFFFFFF"), largestUnsigned);
  // Past 2^64 - 1 the value stays there instead of wrapping round to small numbers.
  EXPECT_EQ(readNumber("&H10000000000000001"), largestUnsigned);
  EXPECT_EQ(readNumber("&B" + std::string(200, '1')), largestUnsigned);
  EXPECT_EQ(readNumber("&O" + std::string(100000, '7')), largestUnsigned);
}

TEST(NumberReading, DecimalsBeyondDoubleRangeBecomeInfinityOrZero) {
  EXPECT_EQ(readNumber("1e999"), infinity);
  EXPECT_EQ(readNumber("-1e999"), -infinity);
  EXPECT_EQ(readNumber("1e-999"), 0.0);
  EXPECT_EQ(readNumber("1e99999999999999999999999"), infinity);
  EXPECT_EQ(readNumber("1e-99999999999999999999999"), 0.0);
  EXPECT_EQ(readNumber("0e99999999999999999999999"), 0.0);
  EXPECT_EQ(readNumber(std::string(400, '9')), infinity);
  EXPECT_EQ(readNumber("0." + std::string(400, '0') + "1"), 0.0);
  // Many digits that end up in range are still read exactly.
  EXPECT_EQ(readNumber("0." + std::string(400, '0') + "1e401"), 1.0);
  EXPECT_EQ(readNumber(std::string(400, '0') + "1.25"), 1.25);
}

// The scene checker tells an author what was ignored from where the reading stopped.
TEST(NumberReading, ScanTellsWhetherANumberWasFoundAndWhereReadingStopped) {
  const auto expectScan = [](std::string_view text, double value, bool found, std::size_t end) {
    const NumberReading reading = scanNumber(text);
    EXPECT_EQ(reading.value, value) << text;
    EXPECT_EQ(reading.found, found) << text;
    EXPECT_EQ(reading.end, end) << text;
    EXPECT_EQ(readNumber(text), reading.value) << text;
  };
  expectScan("", 0.0, false, 0);
  expectScan("   ", 0.0, false, 3);
  expectScan("l0", 0.0, false, 0);
  expectScan("  big", 0.0, false, 2);
  expectScan("10", 10.0, true, 2);
  expectScan(" -2.5e1px", -25.0, true, 7);
  expectScan("3e", 3.0, true, 1);
  expectScan(".5 ", 0.5, true, 2);
  expectScan("1,2", 1.0, true, 1);
  expectScan("&HFFz", 255.0, true, 4);
  expectScan("&H", 0.0, false, 2);
  expectScan("&Hg", 0.0, false, 2);
  expectScan("&Q1", 0.0, false, 0);
  expectScan("1e999", std::numeric_limits<double>::infinity(), true, 5);
}

TEST(Int32Rounding, HalvesGoToTheEvenIntegerAndTheRangeSaturates) {
  EXPECT_EQ(roundToInt32(2.5), 2);
  EXPECT_EQ(roundToInt32(3.5), 4);
  EXPECT_EQ(roundToInt32(-2.5), -2);
  EXPECT_EQ(roundToInt32(0.5), 0);
  EXPECT_EQ(roundToInt32(-0.5), 0);
  EXPECT_EQ(roundToInt32(2.4999999999999996), 2);
  EXPECT_EQ(roundToInt32(2.5000000000000004), 3);
  EXPECT_EQ(roundToInt32(0.49999999999999994), 0);
  EXPECT_EQ(roundToInt32(-2.6), -3);
  EXPECT_EQ(roundToInt32(2147483646.5), 2147483646);
  EXPECT_EQ(roundToInt32(2147483647.0), int32Max);
  EXPECT_EQ(roundToInt32(2147483647.5), int32Max);
  EXPECT_EQ(roundToInt32(-2147483648.5), int32Min);
  EXPECT_EQ(roundToInt32(-2147483647.5), int32Min);
  EXPECT_EQ(roundToInt32(1e20), int32Max);
  EXPECT_EQ(roundToInt32(-1e20), int32Min);
  EXPECT_EQ(roundToInt32(infinity), int32Max);
  EXPECT_EQ(roundToInt32(-infinity), int32Min);
  EXPECT_EQ(roundToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Float32Storing, RoundsToNearestAndNaNBecomesZero) {
  EXPECT_EQ(roundToFloat32(0.1), 0.1f);
  EXPECT_EQ(roundToFloat32(-0.004), -0.004f);
  EXPECT_EQ(roundToFloat32(1e300), std::numeric_limits<float>::infinity());
  EXPECT_EQ(roundToFloat32(1e-300), 0.0f);
  EXPECT_EQ(roundToFloat32(std::numeric_limits<double>::quiet_NaN()), 0.0f);
}

}  // namespace
}  // namespace squish::scene
