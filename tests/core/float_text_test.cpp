#include "base/float_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>

using namespace fringel;

namespace {

std::string viaPrintf(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
    return buf;
}

std::string viaWriter(float v) {
    char buf[kFloatC6MaxChars];
    return std::string(buf, writeFloatC6(buf, v));
}

// Both readers on the same text: where they stop and what they read, bit for bit.
void expectSameParse(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    float expected = -7.0f;
    const auto res = std::from_chars(first, last, expected);
    float actual = -7.0f;
    const char* end = parseFloatFast(first, last, actual);
    if (res.ec != std::errc()) {
        EXPECT_EQ(end, nullptr) << text;
        return;
    }
    ASSERT_NE(end, nullptr) << text;
    EXPECT_EQ(end - first, res.ptr - first) << text;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(actual), std::bit_cast<std::uint32_t>(expected)) << text;
}

} // namespace

TEST(FloatText, WriterMatchesPrintfOnKnownValues) {
    const float values[] = {0.0f,
                            -0.0f,
                            4.0f,
                            107.5f,
                            0.1f,
                            0.0001f,
                            123456.0f,
                            1234567.0f,
                            1e-05f,
                            -2.5f,
                            3.14159274f,
                            999999.5f,
                            9999995.0f,
                            0.000099999f,
                            100000.0f,
                            999999.0f,
                            1e6f,
                            1.5e-45f,
                            1.17549435e-38f,
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::infinity(),
                            16777216.0f,
                            0.3f,
                            2.5e-5f};
    for (const float v : values)
        EXPECT_EQ(viaWriter(v), viaPrintf(v)) << viaPrintf(v);
    EXPECT_EQ(viaWriter(3.14159274f), "3.14159");
    EXPECT_EQ(viaWriter(1234567.0f), "1.23457e+06");
}

TEST(FloatText, WriterMatchesPrintfOnRandomAndNeighbouringFloats) {
    std::mt19937 rng(11);
    for (int i = 0; i < 300000; ++i) {
        const float v = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
        if (!std::isfinite(v)) continue;
        ASSERT_EQ(viaWriter(v), viaPrintf(v)) << std::bit_cast<std::uint32_t>(v);
    }
    // Runs of consecutive floats cross many six-digit rounding boundaries, half-way cases
    // among them.
    for (const float start : {1.0f, 107.0f, 0.001234f, 98765.4f, 3.0e12f}) {
        float v = start;
        for (int i = 0; i < 60000; ++i, v = std::nextafter(v, 1e30f))
            ASSERT_EQ(viaWriter(v), viaPrintf(v)) << std::bit_cast<std::uint32_t>(v);
    }
}

TEST(FloatText, ParserMatchesFromChars) {
    for (const char* text : {"0",
                             "-0",
                             "4",
                             "107.5",
                             "0.1",
                             "0.0001",
                             "123456",
                             "1.23457e+06",
                             "1e-05",
                             "-2.5",
                             "3.14159",
                             "5.",
                             ".5",
                             "1e",
                             "1e+",
                             "1e-x",
                             "1E5",
                             "-",
                             "",
                             "inf",
                             "nan",
                             "1e40",
                             "1e-50",
                             "00012.50",
                             "16777217",
                             "16777216",
                             "123456789012345678901234",
                             "0.00000000001",
                             "9.99999e-11",
                             "1.5e10",
                             "2,5",
                             "7e0000000000000000000000001"})
        expectSameParse(text);
    std::mt19937 rng(5);
    char buf[64];
    for (int i = 0; i < 300000; ++i) {
        const float v = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
        if (!std::isfinite(v)) continue;
        std::snprintf(buf, sizeof buf, i % 2 ? "%g," : "%.9g\n", static_cast<double>(v));
        expectSameParse(buf);
    }
    // Short decimals of every shape the fast path takes.
    for (int i = 0; i < 200000; ++i) {
        const auto mantissa = rng() % 20000000;
        const int places = static_cast<int>(rng() % 12);
        std::string t = std::to_string(mantissa);
        if (places > 0 && places < static_cast<int>(t.size()))
            t.insert(t.size() - static_cast<std::size_t>(places), ".");
        if (rng() % 3 == 0) t += "e" + std::to_string(static_cast<int>(rng() % 25) - 12);
        expectSameParse(t);
    }
}
