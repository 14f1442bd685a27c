// Number texts: what the user sees and types, and what report files hold.
//
// On screen the decimal separator is the comma; report and project files use a point with
// "%g"-style six significant digits. Nothing here depends on the process locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fringel {

// The general float text shown on screen: at most `digits` significant digits (rounded),
// trailing zeros and a trailing separator dropped. Fixed notation when the rounded value has at
// most `digits` digits before the separator and is at least 1E-4 in size; otherwise a mantissa,
// "E", a minus sign only for a negative exponent and the exponent without leading zeros
// ("2E20", "1E-5"). Zero is "0"; not-a-number and infinities read "NAN", "INF", "-INF".
std::string formatGeneral(double value, int digits = 15, char separator = ',');

// The C "%g" text with six significant digits and a point: 0.1, 1e+06, 2.5e-05, 1234.57.
std::string formatC6(double value);

// A decimal integer in the int32 range, with an optional sign and leading blanks.
// Raises ConversionError naming the text on anything else.
std::int32_t parseInt(std::string_view text);

// A floating-point number typed by the user: blanks around it, an optional sign, digits with
// the comma as decimal separator, and an optional exponent ("1,5", "-2", "3E4", "1,5e-3").
// A point is no separator here. Raises ConversionError naming the text on anything else.
double parseFloat(std::string_view text);

// The numeric text check: true when the text is not empty, at most 31 characters long, and
// every character is a decimal digit or a comma. A passing text can still fail the integer
// conversion (a comma in it, or a lone comma).
bool validate_fun(std::string_view text);

// A text that passes validate_fun, converted to an integer; nullopt when it fails the check.
// Raises ConversionError when it passes the check but is no integer ("1,5").
std::optional<std::int32_t> checkedInt(std::string_view text);

// A text that passes validate_fun, converted to a float32; nullopt when it fails the check.
// Raises ConversionError when it passes the check but is no number (",", "1,2,3").
std::optional<float> checkedFloat(std::string_view text);

} // namespace fringel
