// The number texts on any bytes: the user's numbers and the numeric check never fail in other
// ways than a ConversionError, and the project's fast float text agrees with the standard
// functions bit for bit.
#include "base/errors.h"
#include "base/float_text.h"
#include "base/number_text.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto converting = [](auto&& f) {
        try {
            f();
        } catch (const fringel::ConversionError&) {
        }
    };
    converting([&] { (void)fringel::parseFloat(text); });
    converting([&] { (void)fringel::parseInt(text); });
    converting([&] { (void)fringel::checkedInt(text); });
    converting([&] { (void)fringel::checkedFloat(text); });
    (void)fringel::validate_fun(text);

    // The fast reader against from_chars: the same end and the same bits.
    float fast = 0;
    float standard = 0;
    const char* end = fringel::parseFloatFast(text.data(), text.data() + text.size(), fast);
    const auto res = std::from_chars(text.data(), text.data() + text.size(), standard);
    const bool ok = res.ec == std::errc();
    if ((end != nullptr) != ok) std::abort();
    if (ok && (end != res.ptr || std::memcmp(&fast, &standard, sizeof fast) != 0)) std::abort();

    // The fast writer against printf, on the float the first four bytes spell.
    if (size >= 4) {
        float v;
        std::memcpy(&v, data, sizeof v);
        char mine[fringel::kFloatC6MaxChars + 1];
        char theirs[64];
        const auto n = fringel::writeFloatC6(mine, v) - mine;
        const int m = std::snprintf(theirs, sizeof theirs, "%g", static_cast<double>(v));
        if (n != m || std::memcmp(mine, theirs, static_cast<std::size_t>(n)) != 0) std::abort();
    }
    return 0;
}
