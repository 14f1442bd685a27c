#include "base/number_text.h"

#include "base/errors.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace fringel {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string formatGeneral(double value, int digits, char separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    if (digits < 1) digits = 1;
    if (digits > 17) digits = 17;

    // The exact decimal expansion of the value (a double has at most 767 significant
    // digits), then rounded to `digits` digits with halves going away from zero, as people
    // round by hand: 12.5 to two digits is 13, not the even 12.
    char buf[800];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 770);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));

    std::string text;
    if (sci.front() == '-') {
        text.push_back('-');
        sci.remove_prefix(1);
    }
    const std::size_t ePos = sci.find('e');
    std::string exact;
    for (char c : sci.substr(0, ePos))
        if (isDigit(c)) exact.push_back(c);
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(),
                    exponent);
    std::string mantissa = exact.substr(0, static_cast<std::size_t>(digits));
    if (exact[static_cast<std::size_t>(digits)] >= '5') {
        int k = digits - 1;
        while (k >= 0 && mantissa[static_cast<std::size_t>(k)] == '9')
            mantissa[static_cast<std::size_t>(k--)] = '0';
        if (k >= 0) {
            ++mantissa[static_cast<std::size_t>(k)];
        } else {
            mantissa.insert(mantissa.begin(), '1');
            mantissa.pop_back();
            ++exponent;
        }
    }
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    if (exponent < digits && exponent >= -4) {
        if (exponent >= 0) {
            const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
            if (mantissa.size() <= intDigits) {
                text += mantissa;
                text.append(intDigits - mantissa.size(), '0');
            } else {
                text += mantissa.substr(0, intDigits);
                text.push_back(separator);
                text += mantissa.substr(intDigits);
            }
        } else {
            text.push_back('0');
            text.push_back(separator);
            text.append(static_cast<std::size_t>(-exponent - 1), '0');
            text += mantissa;
        }
        return text;
    }
    text.push_back(mantissa[0]);
    if (mantissa.size() > 1) {
        text.push_back(separator);
        text += mantissa.substr(1);
    }
    text.push_back('E');
    text += std::to_string(exponent);
    return text;
}

std::string formatC6(double value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

std::int32_t parseInt(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) throw ConversionError(std::string(text), "integer");
    for (char c : s)
        if (!isDigit(c)) throw ConversionError(std::string(text), "integer");
    std::int64_t magnitude = 0;
    for (char c : s) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL) throw ConversionError(std::string(text), "integer");
    }
    const std::int64_t v = negative ? -magnitude : magnitude;
    if (v > 2147483647LL) throw ConversionError(std::string(text), "integer");
    return static_cast<std::int32_t>(v);
}

double parseFloat(std::string_view text) {
    const std::string_view s = trimBlanks(text);
    const auto fail = [&]() { return ConversionError(std::string(text), "floating point"); };
    if (s.empty()) throw fail();

    // Copy into C syntax, admitting only sign, digits, one comma and an exponent.
    std::string c;
    c.reserve(s.size());
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') {
        if (s[i] == '-') c.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    bool separatorSeen = false;
    for (; i < s.size(); ++i) {
        const char ch = s[i];
        if (isDigit(ch)) {
            c.push_back(ch);
            ++mantissaDigits;
        } else if (ch == ',' && !separatorSeen) {
            c.push_back('.');
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) throw fail();
    if (i < s.size()) {
        if (s[i] != 'e' && s[i] != 'E') throw fail();
        c.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) c.push_back(s[i++]);
        int expDigits = 0;
        for (; i < s.size() && isDigit(s[i]); ++i, ++expDigits)
            c.push_back(s[i]);
        if (expDigits == 0 || i != s.size()) throw fail();
    }

    double value = 0;
    const auto res = std::from_chars(c.data(), c.data() + c.size(), value);
    if (res.ec != std::errc() || res.ptr != c.data() + c.size()) throw fail();
    return value;
}

bool validate_fun(std::string_view text) {
    // The check works on a 32-character buffer: longer texts are refused, never truncated.
    if (text.empty() || text.size() > 31) return false;
    for (char c : text)
        if (!isDigit(c) && c != ',') return false;
    return true;
}

std::optional<std::int32_t> checkedInt(std::string_view text) {
    if (!validate_fun(text)) return std::nullopt;
    return parseInt(text);
}

std::optional<float> checkedFloat(std::string_view text) {
    if (!validate_fun(text)) return std::nullopt;
    return static_cast<float>(parseFloat(text));
}

} // namespace fringel
