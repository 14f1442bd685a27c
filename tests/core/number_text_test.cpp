#include "base/errors.h"
#include "base/number_text.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <locale>
#include <optional>
#include <string>

namespace fringel {
namespace {

// Sets the C locale of one category for the life of the object and puts the old one back.
class CLocaleScope {
public:
    explicit CLocaleScope(int category) : category_(category) {
        const char* current = std::setlocale(category, nullptr);
        saved_ = current ? current : "C";
    }
    ~CLocaleScope() { std::setlocale(category_, saved_.c_str()); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

    // Tries the names in turn; true once one of them is installed.
    bool trySet(std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (std::setlocale(category_, name)) return true;
        return false;
    }

private:
    int category_;
    std::string saved_;
};

// ---- formatGeneral --------------------------------------------------------------------------

struct GeneralCase {
    double value;
    int digits;
    char separator;
    const char* expected;
};

void PrintTo(const GeneralCase& c, std::ostream* os) {
    *os << std::hexfloat << c.value << std::defaultfloat << " with " << c.digits << " digits";
}

class FormatGeneral : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(FormatGeneral, Text) {
    const GeneralCase& c = GetParam();
    EXPECT_EQ(formatGeneral(c.value, c.digits, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    FifteenDigits, FormatGeneral,
    ::testing::Values(GeneralCase{0.0, 15, ',', "0"}, GeneralCase{2.5, 15, ',', "2,5"},
                      GeneralCase{-0.5, 15, ',', "-0,5"}, GeneralCase{100.0, 15, ',', "100"},
                      GeneralCase{1e20 * 2, 15, ',', "2E20"}, GeneralCase{1e100, 15, ',', "1E100"},
                      GeneralCase{1e-5, 15, ',', "1E-5"}, GeneralCase{-1.5e-7, 15, ',', "-1,5E-7"},
                      GeneralCase{0.0001, 15, ',', "0,0001"},
                      GeneralCase{0.00012, 15, ',', "0,00012"},
                      GeneralCase{1e14, 15, ',', "100000000000000"},
                      GeneralCase{123456789012345.0, 15, ',', "123456789012345"},
                      GeneralCase{1e15, 15, ',', "1E15"},
                      GeneralCase{1234567890123456.0, 15, ',', "1,23456789012346E15"},
                      GeneralCase{static_cast<double>(0.1f), 15, ',', "0,100000001490116"},
                      GeneralCase{53.904026031494140625, 15, ',', "53,9040260314941"},
                      GeneralCase{1 / 3.0, 15, ',', "0,333333333333333"},
                      GeneralCase{-2 / 3.0, 15, ',', "-0,666666666666667"},
                      GeneralCase{4.9406564584124654e-324, 15, ',', "4,94065645841247E-324"},
                      GeneralCase{1.7976931348623157e308, 15, ',', "1,79769313486232E308"}));

// Rounding that carries into a new leading digit can move the value into the other notation.
INSTANTIATE_TEST_SUITE_P(RoundingCarries, FormatGeneral,
                         ::testing::Values(GeneralCase{9.999999999999998, 15, ',', "10"},
                                           GeneralCase{0.9999999999999998, 15, ',', "1"},
                                           GeneralCase{-9.999999999999998, 15, ',', "-10"},
                                           GeneralCase{999999999999999.7, 15, ',', "1E15"},
                                           GeneralCase{0.00009999999999999996, 15, ',', "0,0001"},
                                           GeneralCase{0.00009999, 15, ',', "9,999E-5"},
                                           GeneralCase{99999.99, 5, ',', "1E5"},
                                           GeneralCase{9999.99, 5, ',', "10000"},
                                           GeneralCase{9.99999, 5, ',', "10"}));

INSTANTIATE_TEST_SUITE_P(FewerDigits, FormatGeneral,
                         ::testing::Values(GeneralCase{12.5, 10, ',', "12,5"},
                                           GeneralCase{1 / 3.0, 10, ',', "0,3333333333"},
                                           GeneralCase{123456, 5, ',', "1,2346E5"},
                                           GeneralCase{12345.6, 5, ',', "12346"},
                                           GeneralCase{1.23456, 5, ',', "1,2346"},
                                           GeneralCase{0.000123456, 5, ',', "0,00012346"},
                                           GeneralCase{-0.000012345678, 5, ',', "-1,2346E-5"},
                                           GeneralCase{12.3456789, 7, ',', "12,34568"},
                                           GeneralCase{100.0 * 2 / 3, 7, ',', "66,66667"}));

INSTANTIATE_TEST_SUITE_P(PointSeparator, FormatGeneral,
                         ::testing::Values(GeneralCase{2.5, 15, '.', "2.5"},
                                           GeneralCase{1234567890123456.0, 15, '.',
                                                       "1.23456789012346E15"},
                                           GeneralCase{0.0001, 15, '.', "0.0001"}));

// A value exactly halfway between two texts rounds away from zero, the way people round:
// 12,5 with two digits shows "13", not the even "12".
INSTANTIATE_TEST_SUITE_P(
    HalfwayRoundsAwayFromZero, FormatGeneral,
    ::testing::Values(GeneralCase{12.5, 2, ',', "13"}, GeneralCase{0.125, 2, ',', "0,13"},
                      GeneralCase{-2.5, 1, ',', "-3"}, GeneralCase{1.03125, 5, ',', "1,0313"},
                      GeneralCase{562949953421312.5, 15, ',', "562949953421313"}));

TEST(FormatGeneralSpecial, NotANumberAndInfinities) {
    EXPECT_EQ(formatGeneral(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(formatGeneral(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(formatGeneral(-std::numeric_limits<double>::infinity()), "-INF");
}

// ---- formatC6 -------------------------------------------------------------------------------

struct C6Case {
    double value;
    const char* expected;
};

class FormatC6 : public ::testing::TestWithParam<C6Case> {};

TEST_P(FormatC6, Text) {
    EXPECT_EQ(formatC6(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatC6,
    ::testing::Values(C6Case{0.1, "0.1"}, C6Case{1e6, "1e+06"}, C6Case{2.5e-5, "2.5e-05"},
                      C6Case{1234567, "1.23457e+06"}, C6Case{-1234567, "-1.23457e+06"},
                      C6Case{7.25, "7.25"}, C6Case{5, "5"}, C6Case{0, "0"}, C6Case{-2.5, "-2.5"},
                      C6Case{107.5, "107.5"}, C6Case{123456, "123456"},
                      C6Case{1234.5678, "1234.57"}, C6Case{0.0001, "0.0001"},
                      C6Case{0.00001, "1e-05"}, C6Case{1e100, "1e+100"}, C6Case{999999.7, "1e+06"},
                      C6Case{53.904026031494140625, "53.904"}));

// The texts must not follow the process locale: reports always use a point, the screen texts
// always the separator they are given.
TEST(NumberTextLocale, CLocaleWithDecimalCommaChangesNothing) {
    CLocaleScope scope(LC_ALL);
    if (!scope.trySet({"de_DE.UTF-8", "de_DE.utf8", "pl_PL.UTF-8", "pl_PL.utf8", "fr_FR.UTF-8",
                       "fr_FR.utf8"}))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    EXPECT_EQ(formatC6(2.5), "2.5");
    EXPECT_EQ(formatC6(1234567), "1.23457e+06");
    EXPECT_EQ(formatGeneral(2.5, 15, '.'), "2.5");
    EXPECT_EQ(formatGeneral(2.5), "2,5");
    EXPECT_EQ(parseFloat("1,5"), 1.5);
    EXPECT_THROW(parseFloat("1.5"), ConversionError);
}

TEST(NumberTextLocale, GlobalStreamLocaleWithDecimalCommaChangesNothing) {
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale saved =
        std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const std::string c6 = formatC6(1234.5);
    const std::string general = formatGeneral(1234.5);
    const double parsed = parseFloat("1234,5");
    std::locale::global(saved);

    EXPECT_EQ(c6, "1234.5");
    EXPECT_EQ(general, "1234,5");
    EXPECT_EQ(parsed, 1234.5);
}

// ---- parseInt -------------------------------------------------------------------------------

struct IntCase {
    const char* text;
    std::int32_t expected;
};

class ParseIntValid : public ::testing::TestWithParam<IntCase> {};

TEST_P(ParseIntValid, Value) {
    EXPECT_EQ(parseInt(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseIntValid,
                         ::testing::Values(IntCase{"0", 0}, IntCase{"-12", -12}, IntCase{"+7", 7},
                                           IntCase{"  42", 42}, IntCase{"007", 7}, IntCase{"-0", 0},
                                           IntCase{"2147483647", 2147483647},
                                           IntCase{"-2147483648", INT32_MIN}));

class ParseIntInvalid : public ::testing::TestWithParam<const char*> {};

TEST_P(ParseIntInvalid, RaisesConversionErrorNamingTheText) {
    const std::string text = GetParam();
    try {
        parseInt(text);
        FAIL() << "no error for '" << text << "'";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.text(), text);
        EXPECT_NE(std::string(e.what()).find("'" + text + "'"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseIntInvalid,
                         ::testing::Values("", "1,5", "2147483648", "-2147483649",
                                           "99999999999999999999999", "abc", "12 ", ",", "1.5", "+",
                                           "-", " ", "1 2", "--1", "0x10"));

// ---- parseFloat -----------------------------------------------------------------------------

struct FloatCase {
    const char* text;
    double expected;
};

class ParseFloatValid : public ::testing::TestWithParam<FloatCase> {};

TEST_P(ParseFloatValid, Value) {
    EXPECT_EQ(parseFloat(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseFloatValid,
                         ::testing::Values(FloatCase{"1,5", 1.5}, FloatCase{"-2", -2},
                                           FloatCase{"3E4", 3e4}, FloatCase{"1,5e-3", 1.5e-3},
                                           FloatCase{" 7 ", 7}, FloatCase{",5", 0.5},
                                           FloatCase{"1,", 1}, FloatCase{"+1,25", 1.25},
                                           FloatCase{"2e+2", 200}, FloatCase{"0,1", 0.1},
                                           FloatCase{"-0,125", -0.125}, FloatCase{"0", 0}));

class ParseFloatInvalid : public ::testing::TestWithParam<const char*> {};

TEST_P(ParseFloatInvalid, RaisesConversionErrorNamingTheText) {
    const std::string text = GetParam();
    try {
        parseFloat(text);
        FAIL() << "no error for '" << text << "'";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.text(), text);
        EXPECT_NE(std::string(e.what()).find("'" + text + "'"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseFloatInvalid,
                         ::testing::Values("1.5", ",", "", "  ", "e5", ",e5", "1e", "1e+", "nan",
                                           "inf", "-inf", "1,2,3", "1e999", "-1e999", "-", "1e5x",
                                           "1 5", "--1", "0x1p3"));

// ---- validate_fun and checkedInt ------------------------------------------------------------

struct CheckCase {
    std::string text;
    bool passes;
};

class ValidateFun : public ::testing::TestWithParam<CheckCase> {};

TEST_P(ValidateFun, Verdict) {
    EXPECT_EQ(validate_fun(GetParam().text), GetParam().passes)
        << "text of " << GetParam().text.size() << " characters";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ValidateFun,
    ::testing::Values(CheckCase{"", false}, CheckCase{"123", true}, CheckCase{"1,5", true},
                      CheckCase{",", true}, CheckCase{"-1", false}, CheckCase{"+1", false},
                      CheckCase{" 1", false}, CheckCase{"1 ", false}, CheckCase{"1.5", false},
                      CheckCase{"1e5", false}, CheckCase{"12a", false},
                      CheckCase{std::string(31, '9'), true}, CheckCase{std::string(31, ','), true},
                      CheckCase{std::string(32, '9'), false},
                      CheckCase{std::string(1000, '1'), false}));

TEST(CheckedInt, FailingTextGivesNothing) {
    for (const char* text : {"", "abc", "-1", " 5", "1.5"})
        EXPECT_EQ(checkedInt(text), std::nullopt) << "'" << text << "'";
    EXPECT_EQ(checkedInt(std::string(40, '1')), std::nullopt);
}

TEST(CheckedInt, PassingIntegerGivesItsValue) {
    EXPECT_EQ(checkedInt("12"), std::optional<std::int32_t>(12));
    EXPECT_EQ(checkedInt("007"), std::optional<std::int32_t>(7));
    EXPECT_EQ(checkedInt("2147483647"), std::optional<std::int32_t>(2147483647));
}

TEST(CheckedInt, PassingTextThatIsNoIntegerRaises) {
    for (const char* text : {"1,5", ",", "2147483648", "9999999999999999999999999999999"})
        EXPECT_THROW(checkedInt(text), ConversionError) << "'" << text << "'";
}

TEST(CheckedFloat, CommaNumbersPassOthersGiveNothingOrRaise) {
    EXPECT_EQ(checkedFloat("0,1"), std::optional<float>(0.1f));
    EXPECT_EQ(checkedFloat("169"), std::optional<float>(169.0f));
    for (const char* text : {"", "0.1", "-1", "1e5"})
        EXPECT_EQ(checkedFloat(text), std::nullopt) << "'" << text << "'";
    for (const char* text : {",", "1,2,3"})
        EXPECT_THROW(checkedFloat(text), ConversionError) << "'" << text << "'";
}

} // namespace
} // namespace fringel
