#include "base/float_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

namespace fringel {

namespace {

// 10^k for k = -kPowerBias .. kPowerBias, the doubles nearest to them (exact up to 10^22).
constexpr int kPowerBias = 60;
const auto kPowersOfTen = [] {
    std::array<double, 2 * kPowerBias + 1> table{};
    for (int k = -kPowerBias; k <= kPowerBias; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "1e%d", k);
        table[static_cast<std::size_t>(k + kPowerBias)] = std::strtod(text, nullptr);
    }
    return table;
}();

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

char* preciseC6(char* out, float value) {
    return std::to_chars(out, out + kFloatC6MaxChars, static_cast<double>(value),
                         std::chars_format::general, 6)
        .ptr;
}

} // namespace

char* writeFloatC6(char* out, float value) {
    // Zero, subnormal floats, infinities and not-a-number take the standard formatter.
    const double a = std::fabs(static_cast<double>(value));
    if (!(a >= std::numeric_limits<float>::min() && a <= std::numeric_limits<float>::max()))
        return preciseC6(out, value);
    // The decimal exponent from the binary one (floor(e log10 2) in integers), then corrected
    // against exact-enough powers of ten.
    const int binary = static_cast<int>((std::bit_cast<std::uint64_t>(a) >> 52) & 0x7FF) - 1023;
    int exponent = (binary * 78913) >> 18;
    if (a >= kPowersOfTen[exponent + 1 + kPowerBias]) ++exponent;
    // Six significant digits: the value scaled to [100000, 1000000) and rounded. The scaling
    // is off by at most a few 1e-10, so only a fraction this close to one half could round
    // the other way than the exact value does; the standard formatter decides those.
    const double scaled = a * kPowersOfTen[5 - exponent + kPowerBias];
    const auto whole = static_cast<std::uint32_t>(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-9) return preciseC6(out, value);
    std::uint32_t r = whole + (fraction > 0.5 ? 1 : 0);
    if (r >= 1000000) { // rounded up to the next power of ten, or the exponent guessed low
        r = (r + 5) / 10;
        ++exponent;
    } else if (r < 100000) { // the exponent guessed high
        return preciseC6(out, value);
    }
    // The six digits, then '0' padding so fixed-size copies never read past them.
    char digits[16];
    std::memcpy(digits, kDigitPairs + 2 * (r / 10000), 2);
    std::memcpy(digits + 2, kDigitPairs + 2 * (r / 100 % 100), 2);
    std::memcpy(digits + 4, kDigitPairs + 2 * (r % 100), 2);
    std::memset(digits + 6, '0', 10);
    int count = 6;
    while (count > 1 && digits[count - 1] == '0')
        --count;

    // Fixed-size copies: a few bytes past the returned end may be overwritten (the caller
    // gives kFloatC6MaxChars bytes).
    if (value < 0) *out++ = '-';
    if (exponent < -4 || exponent >= 6) {
        out[0] = digits[0];
        out[1] = '.';
        std::memcpy(out + 2, digits + 1, 8);
        out += count > 1 ? count + 1 : 1;
        out[0] = 'e';
        out[1] = exponent < 0 ? '-' : '+';
        std::memcpy(out + 2, kDigitPairs + 2 * (exponent < 0 ? -exponent : exponent), 2);
        return out + 4;
    }
    if (exponent < 0) { // 0.000ddd
        std::memcpy(out, "0.000000", 8);
        out += 1 - exponent;
        std::memcpy(out, digits, 8);
        return out + count;
    }
    // exponent + 1 digits before the point (the padding supplies zeros), then the rest.
    std::memcpy(out, digits, 8);
    out += exponent + 1;
    if (count > exponent + 1) {
        *out++ = '.';
        std::memcpy(out, digits + exponent + 1, 8);
        out += count - exponent - 1;
    }
    return out;
}

namespace {

// The common short decimal: at most 2^24 as an integer mantissa and at most ten decimal
// places either way. Then mantissa and power of ten are exact floats, and one correctly
// rounded float operation gives the correctly rounded value. nullptr for anything else.
// Adds the run of decimal digits at p to the mantissa, eight at a time where eight bytes are
// left to look at (the classic SWAR digit test and combination), byte by byte at the end.
const char* digitRun(const char* p, const char* last, std::uint64_t& mantissa, int& digits) {
    static constexpr std::uint64_t kTens[] = {1,      10,      100,      1000,     10000,
                                              100000, 1000000, 10000000, 100000000};
    while (last - p >= 8 && digits < 20) {
        std::uint64_t chunk;
        std::memcpy(&chunk, p, 8);
        // A byte is a digit when its high nibble is 3 both as it is and after adding 6.
        const std::uint64_t other =
            ((chunk & 0xF0F0F0F0F0F0F0F0) ^ 0x3030303030303030) |
            (((chunk + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) ^ 0x3030303030303030);
        const int n = other ? std::countr_zero(other) / 8 : 8;
        if (n == 0) return p;
        // The n digits moved to the top, the low bytes 0 as leading zeros; then combined.
        std::uint64_t v = (chunk - 0x3030303030303030) << (8 * (8 - n));
        v = v * 10 + (v >> 8);
        v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
             (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
            32;
        mantissa = mantissa * kTens[n] + (v & 0xFFFFFFFF);
        digits += n;
        p += n;
        if (n < 8) return p;
    }
    for (; p < last && static_cast<unsigned>(*p - '0') < 10 && digits < 20; ++p, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    return p;
}

// The common short decimal: at most 2^24 as an integer mantissa and at most ten decimal
// places either way. Then mantissa and power of ten are exact floats, and one correctly
// rounded float operation gives the correctly rounded value. nullptr for anything else.
const char* shortDecimal(const char* first, const char* last, float& value) {
    static constexpr float kPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                        1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const auto isDigit = [last](const char* c) {
        return c < last && static_cast<unsigned>(*c - '0') < 10;
    };
    const char* p = first;
    const bool negative = p < last && *p == '-';
    if (negative) ++p;
    if (!isDigit(p)) return nullptr; // ".5", "inf", "nan" or nothing
    std::uint64_t mantissa = 0;
    int digits = 0;
    p = digitRun(p, last, mantissa, digits);
    int scale = 0; // power of ten to divide by
    if (p < last && *p == '.') {
        const int before = digits;
        p = digitRun(p + 1, last, mantissa, digits);
        scale = digits - before;
    }
    if (digits >= 20) return nullptr; // perhaps more digits than the mantissa holds
    if (p < last && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        bool negativeExponent = false;
        if (e < last && (*e == '+' || *e == '-')) negativeExponent = *e++ == '-';
        if (isDigit(e)) { // an "e" without digits is not part of the number
            int exponent = 0;
            for (; isDigit(e); ++e)
                if (exponent < 10000) exponent = exponent * 10 + (*e - '0');
            scale += negativeExponent ? exponent : -exponent;
            p = e;
        }
    }
    if (mantissa > (std::uint64_t{1} << 24) || scale > 10 || scale < -10) return nullptr;
    const auto m = static_cast<float>(mantissa);
    const float v = scale >= 0 ? m / kPowers[scale] : m * kPowers[-scale];
    value = negative ? -v : v;
    return p;
}

} // namespace

const char* parseFloatFast(const char* first, const char* last, float& value) {
    if (const char* end = shortDecimal(first, last, value)) return end;
    const auto res = std::from_chars(first, last, value);
    return res.ec == std::errc() ? res.ptr : nullptr;
}

} // namespace fringel
