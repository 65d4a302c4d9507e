#pragma once
// How the settings panel shows a number: seven significant digits, the shortest of fixed or
// exponent notation as the C "%.7g" conversion gives it, independent of the locale.
#include <string>

namespace squish::panel {

// Fixed notation with the fraction's trailing zeros (and then a bare point) dropped, unless
// the decimal exponent after rounding is below -4 or at least 7; then exponent notation with
// a sign and at least two exponent digits ("1e-05", "1.234568e+07"). Never a leading blank.
// NaN gives "nan", infinities "inf" and "-inf".
std::string valueText(double value);

}  // namespace squish::panel
