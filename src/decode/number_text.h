#pragma once

#include <cstddef>
#include <string>

namespace kelvanor {

// The general text form of a double: at most 15 significant digits, no
// trailing zeros, no thousands separator, and the scientific form
// (mantissa, "E", sign, at least two exponent digits: 1E-05, 1.5E+16) when the
// decimal exponent is below -4 or 15 and above. Zero is "0" whatever its sign.
// Not-a-number and infinities read "NaN", "Infinity" and "-Infinity".
std::string NumberText(double value, char decimalSeparator = '.');

// Writes NumberText into `buf` (at least kNumberTextMax bytes) and returns its
// length; no allocation.
inline constexpr std::size_t kNumberTextMax = 32;
std::size_t WriteNumberText(char* buf, double value, char decimalSeparator = '.');

// Appends NumberText(value, decimalSeparator) to `out` without a temporary.
void AppendNumberText(std::string& out, double value, char decimalSeparator = '.');

// Appends `value` rounded to two decimals with at least one digit before the
// separator ("0.00" form). A result that rounds to zero carries no sign.
void AppendTwoDecimals(std::string& out, double value, char decimalSeparator = '.');

}  // namespace kelvanor
