#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using ym::FormatMask;
using ym::GeneralForm;
using ym::IsNumeric;
using ym::Str;
using ym::ToInt16;
using ym::ToInt32;
using ym::TryVal;
using ym::Val;

using namespace std::literals;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------------------
// Reading numbers

struct ReadCase {
    std::string text;
    double expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ValReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ValReads, LeadingNumber) {
    const ReadCase& c = GetParam();
    std::optional<double> v = TryVal(c.text);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(*v, c.expected);
    EXPECT_FALSE(std::signbit(*v) && *v == 0) << "negative zero would show as -0";
    EXPECT_EQ(Val(c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, ValReads,
    ::testing::Values(
        // Hand-edited and program-written settings values.
        ReadCase{" .0035", 0.0035}, ReadCase{"0.0035", 0.0035}, ReadCase{"3.5E-03", 0.0035},
        ReadCase{"35D-4", 0.0035}, ReadCase{"12abc", 12}, ReadCase{" 0", 0},
        ReadCase{" 16744576", 16744576}, ReadCase{"-2147483630", -2147483630.0},
        // Blanks anywhere, even inside the number.
        ReadCase{" 2 45 7", 2457}, ReadCase{" 1615 198th", 1615198}, ReadCase{"24 and 57", 24},
        ReadCase{"\t1\r\n2", 12}, ReadCase{"- 5", -5}, ReadCase{"1 . 5 e 2", 150},
        // Sign, point and exponent forms.
        ReadCase{"+7", 7}, ReadCase{"-1.5e+2", -150}, ReadCase{"1d-2", 0.01}, ReadCase{"12.", 12},
        ReadCase{".5", 0.5}, ReadCase{"1.2.3", 1.2}, ReadCase{"1e", 1}, ReadCase{"1e+", 1},
        ReadCase{"+-5", 0},
        // No number at all.
        ReadCase{"", 0}, ReadCase{".", 0}, ReadCase{"-", 0}, ReadCase{"$5", 0}, ReadCase{",5", 0},
        ReadCase{"e5", 0}, ReadCase{".e5", 0},
        // Negative zero and underflow read as plain zero, not as a failure.
        ReadCase{"-0", 0}, ReadCase{"-0e99999", 0}, ReadCase{"1e-400", 0}, ReadCase{"-1e-400", 0},
        ReadCase{"0.00001e-99999999999999", 0},
        // Exponents that only look large.
        ReadCase{"0.000001e306", 1e300}, ReadCase{"0e400", 0},
        // Other bytes end the number.
        ReadCase{"12元", 12}, ReadCase{"元12", 0}, ReadCase{"12"s + '\0' + "34", 12},
        ReadCase{'\0' + "5"s, 0}));

INSTANTIATE_TEST_SUITE_P(
    HexAndOctal, ValReads,
    ::testing::Values(
        // Up to four digits as written are a 16-bit value, more digits or a trailing "&"
        // 32 bits: a hand-written "&H00FF00" is green, not -256.
        ReadCase{"&HFF", 255}, ReadCase{"&H8000", -32768}, ReadCase{"&HFFFF", -1},
        ReadCase{"&H7FFF", 32767}, ReadCase{"&HFFFF&", 65535}, ReadCase{"&H10000", 65536},
        ReadCase{"&HFFFFFFFF", -1}, ReadCase{"&H7FFFFFFF", 2147483647.0},
        ReadCase{"&H80000000", -2147483648.0}, ReadCase{"&H80000012", -2147483630.0},
        ReadCase{"&HFF8080", 16744576}, ReadCase{"&HFF&", 255}, ReadCase{"&hff", 255},
        ReadCase{" & H F F ", 255}, ReadCase{"&H00000000FFFF", 65535}, ReadCase{"&H00FF00", 65280},
        ReadCase{"&H0FFFF", 65535}, ReadCase{"&H0FF", 255}, ReadCase{"&HFFG", 255},
        ReadCase{"&H", 0},
        // Octal follows the same rule.
        ReadCase{"&O777", 511}, ReadCase{"&O7777", 4095}, ReadCase{"&O177777", 65535},
        ReadCase{"&O177777&", 65535}, ReadCase{"&O200000", 65536}, ReadCase{"&O37777777777", -1},
        ReadCase{"&O78", 7},
        // "&" with anything else.
        ReadCase{"&", 0}, ReadCase{"&12", 0}, ReadCase{"&X1", 0}, ReadCase{"-&H10", 0}));

class ValUnrepresentable : public ::testing::TestWithParam<std::string> {};

TEST_P(ValUnrepresentable, IsNulloptAndValFallsBackToZero) {
    EXPECT_FALSE(TryVal(GetParam()).has_value());
    EXPECT_EQ(Val(GetParam()), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValUnrepresentable,
                         ::testing::Values("1e400", "-1e400", "1.8e308", " 1 e 3 1 0",
                                           "1e99999999999999999999", "1" + std::string(400, '0'),
                                           "&H100000000", "&O40000000000",
                                           "&O7777777777777777777777"));

TEST(ValLong, VeryLongDigitStringsAreCorrectlyRounded) {
    // 3.333... with a thousand digits is 10/3 to far better than half an ulp.
    std::string threes = std::string(1000, '3') + "e-999";
    EXPECT_EQ(Val(threes), 10.0 / 3.0);
    EXPECT_EQ(Val("0." + std::string(300, '0') + "1"), 1e-301);
    EXPECT_EQ(Val("1" + std::string(300, '0')), 1e300);
    // Leading zeros are not significant, however many there are.
    EXPECT_EQ(Val(std::string(5000, '0') + "42.5"), 42.5);
    EXPECT_EQ(Val("&H" + std::string(100, '0') + "1F"), 31);
    // Blank runs between digits.
    EXPECT_EQ(Val("1" + std::string(10000, ' ') + "2"), 12);
}

TEST(ValRounding, DecimalAndExponentFormsGiveTheSameDouble) {
    struct Pair {
        const char* a;
        const char* b;
    };
    const Pair pairs[] = {{"3.5E-03", "0.0035"},
                          {" .000255", "2.55e-4"},
                          {"0.000045", "45e-6"},
                          {"0.1", "1e-1"},
                          {"123456789012345678", "1.23456789012345678E17"},
                          {"2.675", "2675e-3"}};
    for (const Pair& p : pairs) {
        EXPECT_EQ(Val(p.a), Val(p.b)) << p.a << " vs " << p.b;
        EXPECT_EQ(Val(p.a), std::strtod(p.b, nullptr)) << p.a;
    }
}

TEST(ValLargest, TextOfTheLargestDoubleReadsBack) {
    // The largest doubles write as 1.79769313486232E+308, which is just above the largest
    // double; that text must still read back, or a written value would be lost.
    constexpr double kMax = std::numeric_limits<double>::max();
    for (double v : {kMax, -kMax, std::nextafter(kMax, 0.0), 1.7976931348623151e308}) {
        std::optional<double> back = TryVal(Str(v));
        ASSERT_TRUE(back.has_value()) << Str(v);
        EXPECT_EQ(std::fabs(*back), kMax) << Str(v);
        EXPECT_EQ(std::signbit(*back), std::signbit(v));
        EXPECT_EQ(Str(*back), Str(v));
    }
    EXPECT_EQ(Val("1.79769313486232E+308"), kMax);
    EXPECT_EQ(Val("-17976931348623.2E+295"), -kMax);
    EXPECT_FALSE(TryVal("1.79769313486233E+308").has_value());
    EXPECT_FALSE(TryVal("1.7976931348623201E+308").has_value());
    EXPECT_FALSE(TryVal("2E+308").has_value());
}

TEST(IsNumericTest, WholeTextOnly) {
    for (const char* text :
         {"1e5", " 12 ", "&H10", "+5", "-3.", ".5", "&HFFFF&", "&O17", "\t0.0035\r\n", "1E-05"}) {
        EXPECT_TRUE(IsNumeric(text)) << '"' << text << '"';
    }
    for (const char* text : {"", "-", ".", "1.2.3", "12a", "1e", "1,000", "$5", "(5)", "1 2", "&H",
                             "1e400", "&H123456789", "5%", "   "}) {
        EXPECT_FALSE(IsNumeric(text)) << '"' << text << '"';
    }
    EXPECT_FALSE(IsNumeric("12\0"sv));
}

// ---------------------------------------------------------------------------------------
// Writing numbers

struct WriteCase {
    double value;
    const char* str;
    const char* general;
};

class NumberToText : public ::testing::TestWithParam<WriteCase> {};

TEST_P(NumberToText, StrAndGeneralForm) {
    const WriteCase& c = GetParam();
    EXPECT_EQ(Str(c.value), c.str);
    EXPECT_EQ(GeneralForm(c.value), c.general);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberToText,
    ::testing::Values(
        WriteCase{0, " 0", "0"}, WriteCase{-0.0, " 0", "0"}, WriteCase{0.5, " .5", "0.5"},
        WriteCase{-0.5, "-.5", "-0.5"}, WriteCase{459, " 459", "459"},
        WriteCase{0.0035, " .0035", "0.0035"}, WriteCase{10, " 10", "10"}, WriteCase{1, " 1", "1"},
        WriteCase{0.0001, " .0001", "0.0001"}, WriteCase{0.00001, " 1E-05", "1E-05"},
        WriteCase{0.000045, " 4.5E-05", "4.5E-05"}, WriteCase{0.000255, " .000255", "0.000255"},
        WriteCase{999999999999999, " 999999999999999", "999999999999999"},
        WriteCase{1e15, " 1E+15", "1E+15"}, WriteCase{-1e15, "-1E+15", "-1E+15"},
        WriteCase{1.23456789012346E-05, " 1.23456789012346E-05", "1.23456789012346E-05"},
        WriteCase{0.1 + 0.2, " .3", "0.3"},
        WriteCase{1.0 / 3.0, " .333333333333333", "0.333333333333333"},
        WriteCase{16744576, " 16744576", "16744576"},
        WriteCase{-2147483630.0, "-2147483630", "-2147483630"},
        WriteCase{-1e-300, "-1E-300", "-1E-300"},
        // Rounding to 15 digits moves the value across the edge of the fixed form.
        WriteCase{999999999999999.9, " 1E+15", "1E+15"},
        WriteCase{0.000099999999999999999, " .0001", "0.0001"},
        WriteCase{5e-324, " 4.94065645841247E-324", "4.94065645841247E-324"},
        WriteCase{1.7976931348623157e308, " 1.79769313486232E+308", "1.79769313486232E+308"}));

TEST(NumberToTextNonFinite, SaneAndReadsBackAsNoNumber) {
    for (double v : {kNaN, kInf, -kInf}) {
        std::string g = GeneralForm(v);
        std::string s = Str(v);
        EXPECT_FALSE(g.empty());
        EXPECT_FALSE(s.empty());
        // The text must not pass for a number when read back from the settings file.
        EXPECT_EQ(Val(g), 0.0) << g;
        EXPECT_EQ(Val(s), 0.0) << s;
    }
    EXPECT_NE(GeneralForm(kInf), GeneralForm(-kInf));
}

// Independent reference: the C library's %.15G in the "C" locale the tests run in.
std::string Reference15G(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", v);
    return buf;
}

std::string ReferenceStr(double v) {
    std::string g = Reference15G(v);
    bool neg = g[0] == '-';
    std::string body = neg ? g.substr(1) : g;
    if (body.size() > 1 && body[0] == '0' && body[1] == '.') {
        body.erase(0, 1);
    }
    return (neg ? "-" : " ") + body;
}

std::vector<double> RandomDoubles() {
    std::mt19937_64 rng(20260501);
    std::vector<double> out;
    std::uniform_int_distribution<std::uint64_t> bits;
    while (out.size() < 20000) {
        std::uint64_t b = bits(rng);
        double v;
        static_assert(sizeof v == sizeof b);
        std::memcpy(&v, &b, sizeof v);
        if (std::isfinite(v) && v != 0) {
            out.push_back(v);
        }
    }
    // Money-sized values, where the fixed and exponent forms meet.
    std::uniform_real_distribution<double> exponent(-8, 17);
    std::uniform_real_distribution<double> mant(1, 10);
    for (int i = 0; i < 20000; ++i) {
        double v = mant(rng) * std::pow(10.0, std::floor(exponent(rng)));
        out.push_back(i % 2 ? v : -v);
    }
    return out;
}

TEST(NumberToTextProperty, MatchesPercent15GAndRoundTrips) {
    for (double x : RandomDoubles()) {
        const std::string s = Str(x);
        ASSERT_EQ(GeneralForm(x), Reference15G(x)) << x;
        ASSERT_EQ(s, ReferenceStr(x)) << x;
        // Reading the text gives x rounded to 15 significant digits...
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.14e", x);
        const double rounded = std::strtod(buf, nullptr);
        std::optional<double> back = TryVal(s);
        ASSERT_TRUE(back.has_value()) << s;
        ASSERT_EQ(*back, rounded) << s;
        // ...and writing that again gives the same text.
        ASSERT_EQ(Str(*back), s);
    }
}

// ---------------------------------------------------------------------------------------
// Display masks

struct MaskCase {
    double value;
    std::string_view mask;
    const char* expected;
};

class MaskFormats : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskFormats, Text) {
    const MaskCase& c = GetParam();
    EXPECT_EQ(FormatMask(c.value, c.mask), c.expected) << c.value << " with " << c.mask;
}

constexpr std::string_view Y = ym::kYuanMask, P = ym::kPercentMask, E = ym::kEntryMask,
                           X = ym::kExRightsMask;

INSTANTIATE_TEST_SUITE_P(
    Yuan, MaskFormats,
    ::testing::Values(MaskCase{0, Y, "0.00元"}, MaskCase{1234567.891, Y, "1,234,567.89元"},
                      MaskCase{-1144.5, Y, "-1,144.50元"}, MaskCase{2.675, Y, "2.68元"},
                      MaskCase{1.005, Y, "1.01元"}, MaskCase{22.225, Y, "22.23元"},
                      MaskCase{-2.675, Y, "-2.68元"}, MaskCase{999.995, Y, "1,000.00元"},
                      MaskCase{-0.004999, Y, "0.00元"}, MaskCase{-0.0, Y, "0.00元"},
                      MaskCase{1e-300, Y, "0.00元"}, MaskCase{0.1 + 0.2, Y, "0.30元"},
                      MaskCase{123456789012.345, Y, "123,456,789,012.35元"},
                      MaskCase{1e20, Y, "100,000,000,000,000,000,000.00元"}));

INSTANTIATE_TEST_SUITE_P(
    Percent, MaskFormats,
    ::testing::Values(MaskCase{0.1234, P, "12.34 %"}, MaskCase{0, P, "0.00 %"},
                      MaskCase{-0.05, P, "-5.00 %"}, MaskCase{0.000049, P, "0.00 %"},
                      MaskCase{0.00005, P, "0.01 %"}, MaskCase{-0.00004, P, "0.00 %"},
                      MaskCase{0.02675, P, "2.68 %"}, MaskCase{12.5, P, "1,250.00 %"}));

INSTANTIATE_TEST_SUITE_P(
    Entry, MaskFormats,
    ::testing::Values(MaskCase{12.5, E, "12.50"}, MaskCase{0.125, E, "0.125"},
                      MaskCase{1.23456, E, "1.2346"}, MaskCase{12, E, "12.00"},
                      MaskCase{0.12345, E, "0.1235"}, MaskCase{0.99999, E, "1.00"},
                      MaskCase{9.99995, E, "10.00"}, MaskCase{1.2301, E, "1.2301"},
                      MaskCase{1.23001, E, "1.23"}, MaskCase{1234567.5, E, "1234567.50"},
                      MaskCase{0.00005, E, "0.0001"}, MaskCase{0.00004, E, "0.00"},
                      MaskCase{12.345, X, "12.35"}, MaskCase{9.995, X, "10.00"},
                      MaskCase{-1.5, X, "-1.50"}, MaskCase{12345678.9, X, "12345678.90"}));

INSTANTIATE_TEST_SUITE_P(OtherMasks, MaskFormats,
                         ::testing::Values(MaskCase{2.5, "0", "3"}, MaskCase{-2.5, "0", "-3"},
                                           MaskCase{-0.4, "0", "0"}, MaskCase{0.5, "0%", "50%"}));

TEST(MaskHuge, AllIntegerDigitsNoExponent) {
    std::string expected = "1";
    for (int group = 0; group < 100; ++group) {
        expected += ",000";
    }
    EXPECT_EQ(FormatMask(1e300, ym::kYuanMask), expected + ".00元");
    EXPECT_EQ(FormatMask(-1e300, ym::kYuanMask), "-" + expected + ".00元");
    std::string max = FormatMask(1.7976931348623157e308, ym::kEntryMask);
    EXPECT_EQ(max, "17976931348623200" + std::string(292, '0') + ".00");
}

TEST(MaskNonFinite, NoCrashAndNoDigits) {
    for (double v : {kNaN, kInf, -kInf}) {
        for (std::string_view mask : {ym::kYuanMask, ym::kPercentMask, ym::kEntryMask}) {
            std::string t = FormatMask(v, mask);
            EXPECT_FALSE(t.empty());
            EXPECT_EQ(t.find_first_of("0123456789"), std::string::npos) << t;
        }
    }
}

// Reference: whole cents in integer arithmetic, grouped by a literal loop.
std::string GroupThousands(std::uint64_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string CentsText(long long cents) {
    std::uint64_t a = static_cast<std::uint64_t>(cents < 0 ? -cents : cents);
    char frac[4];
    std::snprintf(frac, sizeof frac, "%02u", static_cast<unsigned>(a % 100));
    return std::string(cents < 0 ? "-" : "") + GroupThousands(a / 100) + "." + frac;
}

// Whole cents show exactly, and k / 1000 rounds |k| / 10 half up in integers, keeping
// the sign only when something is left.
TEST(MaskProperty, CentsAndThirdDecimalsAgainstIntegerArithmetic) {
    std::mt19937_64 rng(77);
    std::uniform_int_distribution<long long> cents(-1'000'000'000'000LL, 1'000'000'000'000LL);
    std::uniform_int_distribution<long long> mills(-10'000'000'000LL, 10'000'000'000LL);
    for (int i = 0; i < 20000; ++i) {
        const long long c = i < 2000 ? i - 1000 : cents(rng);
        ASSERT_EQ(FormatMask(static_cast<double>(c) / 100.0, ym::kYuanMask), CentsText(c) + "元")
            << c;
        const long long k = i < 4000 ? i - 2000 : mills(rng);
        const long long rounded = ((k < 0 ? -k : k) + 5) / 10;
        const std::string expected = rounded == 0 ? "0.00" : CentsText(k < 0 ? -rounded : rounded);
        ASSERT_EQ(FormatMask(static_cast<double>(k) / 1000.0, ym::kYuanMask), expected + "元") << k;
    }
}

// A fee rounded to the fen is the number the yuan mask shows: ties in the third decimal go
// up however their binary product falls, k / 1000 as integers says which way, and a value
// already in fen stays. Far from ties the fast path must agree with the decimal one.
TEST(RoundToCents, AsTheMaskShowsIt) {
    struct Case {
        double value, fen;
    };
    for (const Case& c :
         {Case{12345 * 0.001, 12.35}, Case{10010 * 0.0005, 5.01}, Case{2.675, 2.68},
          Case{1.005, 1.01}, Case{0.125, 0.13}, Case{-2.675, -2.68}, Case{0.004999, 0},
          Case{0.005, 0.01}, Case{50 * 0.0005, 0.03}, Case{10500 * 0.00001, 0.11}, Case{1e20, 1e20},
          Case{123456789012345.678, 123456789012346}}) {
        EXPECT_EQ(ym::RoundToCents(c.value), c.fen) << c.value;
    }
    EXPECT_TRUE(std::isnan(ym::RoundToCents(kNaN)));
    EXPECT_EQ(ym::RoundToCents(kInf), kInf);

    std::mt19937_64 rng(2023);
    std::uniform_int_distribution<long long> mills(-10'000'000'000LL, 10'000'000'000LL);
    std::uniform_real_distribution<double> exponent(-6, 14);
    for (int i = 0; i < 20000; ++i) {
        const long long k = mills(rng);
        const long long rounded = ((k < 0 ? -k : k) + 5) / 10;
        const double fen = static_cast<double>(k < 0 ? -rounded : rounded) / 100;
        ASSERT_EQ(ym::RoundToCents(static_cast<double>(k) / 1000.0), fen) << k;
        const double v = (i % 2 ? 1 : -1) * std::pow(10.0, exponent(rng));
        std::string shown = FormatMask(v, "0.00");
        ASSERT_EQ(ym::RoundToCents(v), Val(shown)) << v << " shown " << shown;
    }
}

// ---------------------------------------------------------------------------------------
// Integer conversion

TEST(IntConversion, HalfToEvenWithinRange) {
    using Opt = std::optional<long long>;
    const Opt no;
    struct Case {
        double value;
        Opt int16, int32;
    };
    // Inside both ranges, then at their edges.
    for (const Case& c : {Case{2.5, 2, 2},
                          Case{3.5, 4, 4},
                          Case{-2.5, -2, -2},
                          Case{-3.5, -4, -4},
                          Case{0.5, 0, 0},
                          Case{-0.5, 0, 0},
                          Case{2.4999, 2, 2},
                          Case{2.5001, 3, 3},
                          Case{-0.0, 0, 0},
                          Case{kNaN, no, no},
                          Case{kInf, no, no},
                          Case{-kInf, no, no},
                          Case{0.49999999999999994, 0, 0},
                          Case{32767.49, 32767, 32767},
                          Case{32767.5, no, 32768},
                          Case{-32768.5, -32768, -32768},
                          Case{-32768.51, no, -32769},
                          Case{65535, no, 65535},
                          Case{16744576, no, 16744576},
                          Case{-2147483630.0, no, -2147483630},
                          Case{2147483647.49, no, 2147483647},
                          Case{2147483647.5, no, no},
                          Case{-2147483648.5, no, -2147483648LL},
                          Case{-2147483648.75, no, no},
                          Case{1e300, no, no}}) {
        const std::optional<std::int16_t> r16 = ToInt16(c.value);
        const std::optional<std::int32_t> r32 = ToInt32(c.value);
        EXPECT_EQ(r16 ? Opt(*r16) : no, c.int16) << c.value;
        EXPECT_EQ(r32 ? Opt(*r32) : no, c.int32) << c.value;
    }
}

} // namespace
