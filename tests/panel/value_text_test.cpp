// The panel's number texts: seven significant digits, fixed or exponent notation.
#include <gtest/gtest.h>

#include <limits>

#include "panel/value_text.h"

namespace squish::panel {
namespace {

TEST(ValueText, DefaultsReadAsPlainNumbers) {
  EXPECT_EQ(valueText(4.0f), "4");
  EXPECT_EQ(valueText(10.0f), "10");
  EXPECT_EQ(valueText(-0.004f), "-0.004");  // widened from single precision
  EXPECT_EQ(valueText(0.0f), "0");
  EXPECT_EQ(valueText(0.99f), "0.99");
  EXPECT_EQ(valueText(0.4f), "0.4");
  EXPECT_EQ(valueText(0.5f), "0.5");
}

TEST(ValueText, SevenSignificantDigitsThenExponentNotation) {
  EXPECT_EQ(valueText(0.004), "0.004");
  EXPECT_EQ(valueText(0.0001), "0.0001");
  EXPECT_EQ(valueText(1e-5), "1e-05");
  EXPECT_EQ(valueText(-2.5e-7), "-2.5e-07");
  EXPECT_EQ(valueText(123.4567891), "123.4568");
  EXPECT_EQ(valueText(9999999.0), "9999999");
  EXPECT_EQ(valueText(12345678.0), "1.234568e+07");
  EXPECT_EQ(valueText(9999999.5), "1e+07");  // rounding carries into the next decade
  EXPECT_EQ(valueText(1e30f), "1e+30");
  EXPECT_EQ(valueText(-3.4028234663852886e38), "-3.402823e+38");
}

TEST(ValueText, NonFiniteValuesHaveReadableTexts) {
  EXPECT_EQ(valueText(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(valueText(-std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(valueText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(valueText(-std::numeric_limits<double>::infinity()), "-inf");
}

}  // namespace
}  // namespace squish::panel
