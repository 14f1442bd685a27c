// Fast, exact conversions between 32-bit floats and the "%g" texts of project files.
//
// Projects hold tens of millions of values, so these avoid printf and strtod: the writer
// derives the six-digit text from the shortest round-trip digits, the reader takes the
// common short decimals in one exactly rounded float operation. Both give the very bytes and
// values of the standard functions; anything outside their fast paths goes to std::to_chars
// and std::from_chars.
#pragma once

namespace fringel {

// The room writeFloatC6 needs: its texts ("-1.17549e-38" and the like) plus scratch.
inline constexpr int kFloatC6MaxChars = 16;

// Writes the value widened to double as printf("%g") does in the C locale (six significant
// digits, "1e+06", "0.0001", "-2.5") at `out` and returns the end. No terminating zero. It
// may overwrite bytes after the end, up to kFloatC6MaxChars bytes from `out`.
char* writeFloatC6(char* out, float value);

// Reads a decimal number at [first, last) exactly as std::from_chars into a float does
// (optional minus, digits with an optional point, optional exponent; the value correctly
// rounded). Returns the end of the number, or nullptr when there is none or it lies beyond the
// float range.
const char* parseFloatFast(const char* first, const char* last, float& value);

} // namespace fringel
