// Number text as the settings file holds it and the windows show it: reading (Val),
// writing (Str and the general form), the display masks, fen rounding; and what the entry
// fields admit key by key, and what leaving a field stores and shows.
#include "core/number_text.h"

#include "core/entry_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>

namespace ym {
namespace {

using namespace std::literals;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

// Settings values as the program and people write them; blanks anywhere, even inside the
// number; no number at all; negative zero and underflow as a plain zero, not a failure. Up
// to four hex (or octal) digits as written are 16 bits, more digits or a trailing "&" 32
// bits: a hand-written "&H00FF00" is green, not -256. Correctly rounded however long the
// text. Found by fuzzing: the text the largest double is written as lies just above it.
TEST(Val, ReadsTheLeadingNumber) {
    // clang-format off
    const std::pair<std::string, double> cases[] = {
        {" .0035", 0.0035}, {"3.5E-03", 0.0035}, {"35D-4", 0.0035}, {"12abc", 12},
        {"-2147483630", -2147483630.0}, {"+7", 7}, {"12.", 12}, {"1.2.3", 1.2}, {"1e+", 1},
        {"12元", 12}, {"12"s + '\0' + "34", 12}, {" 2 45 7", 2457}, {"24 and 57", 24},
        {"\t1\r\n2", 12}, {"- 5", -5}, {"1 . 5 e 2", 150}, {"", 0}, {".", 0}, {"+-5", 0},
        {"$5", 0}, {".e5", 0}, {"元12", 0}, {"-0", 0}, {"-0e99999", 0}, {"-1e-400", 0},
        {"0.000001e306", 1e300}, {"0e400", 0}, {"&HFF", 255}, {"&H8000", -32768},
        {"&HFFFF", -1}, {"&HFFFF&", 65535}, {"&H10000", 65536}, {"&HFFFFFFFF", -1},
        {"&H80000012", -2147483630.0}, {"&H00FF00", 65280}, {"&H0FFFF", 65535},
        {"&H00000000FFFF", 65535}, {"&hff", 255}, {" & H F F ", 255}, {"&HFFG", 255}, {"&H", 0},
        {"&12", 0}, {"-&H10", 0}, {"&O177777", 65535}, {"&O177777&", 65535},
        {"&O200000", 65536}, {"&O37777777777", -1}, {"&O78", 7},
        {std::string(1000, '3') + "e-999", 10.0 / 3.0}, {std::string(5000, '0') + "42.5", 42.5},
        {"0." + std::string(300, '0') + "1", 1e-301}, {"&H" + std::string(100, '0') + "1F", 31},
        {"123456789012345678", 1.23456789012345678E17}, {"2.675", 2675e-3},
        {"1.79769313486232E+308", kMax}, {"-17976931348623.2E+295", -kMax}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        const std::optional<double> v = TryVal(text);
        ASSERT_TRUE(v.has_value()) << text;
        EXPECT_EQ(*v, expected) << text;
        EXPECT_FALSE(std::signbit(*v) && *v == 0) << text << ": would show as -0";
    }
    for (const std::string& text :
         {"1e400"s, "-1.8e308"s, " 1 e 3 1 0"s, "1" + std::string(400, '0'), "&H100000000"s,
          "&O40000000000"s, "1.79769313486233E+308"s, "1.7976931348623201E+308"s}) {
        EXPECT_FALSE(TryVal(text).has_value()) << text;
        EXPECT_EQ(Val(text), 0) << text;
    }
}

TEST(IsNumeric, WholeTextOnly) {
    for (const char* text : {"1e5", " 12 ", "&H10", "-3.", ".5", "&HFFFF&", "\t0.0035\r\n"}) {
        EXPECT_TRUE(IsNumeric(text)) << text;
    }
    for (const char* text : {"", "-", "1.2.3", "12a", "1e", "1,000", "1 2", "&H", "1e400",
                             "&H123456789", "5%", "   "}) {
        EXPECT_FALSE(IsNumeric(text)) << text;
    }
    EXPECT_FALSE(IsNumeric("12\0"sv));
}

// Rounding to 15 digits may move the value across the edge of the fixed form.
TEST(Str, AndTheGeneralForm) {
    // clang-format off
    const struct {
        double value;
        const char *str, *general;
    } cases[] = {
        {0, " 0", "0"}, {-0.0, " 0", "0"}, {-0.5, "-.5", "-0.5"}, {0.0035, " .0035", "0.0035"},
        {10, " 10", "10"}, {0.0001, " .0001", "0.0001"}, {0.00001, " 1E-05", "1E-05"},
        {0.000045, " 4.5E-05", "4.5E-05"}, {1e15, " 1E+15", "1E+15"},
        {999999999999999, " 999999999999999", "999999999999999"},
        {-2147483630.0, "-2147483630", "-2147483630"}, {0.1 + 0.2, " .3", "0.3"},
        {999999999999999.9, " 1E+15", "1E+15"}, {0.000099999999999999999, " .0001", "0.0001"},
        {5e-324, " 4.94065645841247E-324", "4.94065645841247E-324"},
        {kMax, " 1.79769313486232E+308", "1.79769313486232E+308"}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(Str(c.value), c.str);
        EXPECT_EQ(GeneralForm(c.value), c.general);
    }
    // Not finite: some text that never reads back as a number.
    for (double v : {kNaN, kInf, -kInf}) {
        EXPECT_FALSE(Str(v).empty());
        EXPECT_EQ(Val(Str(v)), 0) << Str(v);
        EXPECT_EQ(Val(GeneralForm(v)), 0) << GeneralForm(v);
    }
    EXPECT_NE(GeneralForm(kInf), GeneralForm(-kInf));
}

// Against the C library's %.15G, on random bit patterns and money-sized values: the text
// reads back as the value rounded to 15 digits, which writes as the same text.
TEST(Str, MatchesPercent15GAndRoundTrips) {
    std::mt19937_64 rng(20260501);
    std::uniform_real_distribution<double> exponent(-8, 17), mantissa(1, 10);
    for (int i = 0; i < 40000; ++i) {
        double x;
        if (i % 2 == 0) {
            const std::uint64_t bits = rng();
            std::memcpy(&x, &bits, sizeof x);
            if (!std::isfinite(x) || x == 0) {
                continue;
            }
        } else {
            x = (i % 4 == 1 ? -1 : 1) * mantissa(rng) * std::pow(10.0, std::floor(exponent(rng)));
        }
        char g[64], e[64];
        std::snprintf(g, sizeof g, "%.15G", x);
        std::snprintf(e, sizeof e, "%.14e", x);
        std::string str = g[0] == '-' ? g : " "s + g;
        if (str.compare(1, 2, "0.") == 0) {
            str.erase(1, 1);
        }
        ASSERT_EQ(GeneralForm(x), g);
        ASSERT_EQ(Str(x), str);
        ASSERT_EQ(TryVal(str), std::strtod(e, nullptr)) << str;
        ASSERT_EQ(Str(Val(str)), str);
    }
}

// Half away from zero on the decimal form, however the binary value falls.
TEST(FormatMask, Texts) {
    constexpr std::string_view Y = kYuanMask, P = kPercentMask, E = kEntryMask, X = kExRightsMask;
    // clang-format off
    const struct {
        double value;
        std::string_view mask;
        const char* text;
    } cases[] = {
        {1234567.891, Y, "1,234,567.89元"}, {-1144.5, Y, "-1,144.50元"}, {2.675, Y, "2.68元"},
        {1.005, Y, "1.01元"}, {-2.675, Y, "-2.68元"}, {999.995, Y, "1,000.00元"},
        {-0.004999, Y, "0.00元"}, {-0.0, Y, "0.00元"}, {1e20, Y, "100,000,000,000,000,000,000.00元"},
        {0.1234, P, "12.34 %"}, {-0.05, P, "-5.00 %"}, {0.00005, P, "0.01 %"},
        {-0.00004, P, "0.00 %"}, {12.5, P, "1,250.00 %"}, {12.5, E, "12.50"}, {0.125, E, "0.125"},
        {1.23456, E, "1.2346"}, {9.99995, E, "10.00"}, {1.23001, E, "1.23"},
        {1234567.5, E, "1234567.50"}, {0.00004, E, "0.00"}, {9.995, X, "10.00"},
        {12345678.9, X, "12345678.90"}, {-2.5, "0", "-3"}, {0.5, "0%", "50%"}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(FormatMask(c.value, c.mask), c.text) << c.value << " with " << c.mask;
    }
    // Every integer digit and no exponent; not finite: no digits and no crash.
    std::string groups = "1";
    for (int group = 0; group < 100; ++group) {
        groups += ",000";
    }
    EXPECT_EQ(FormatMask(-1e300, Y), "-" + groups + ".00元");
    EXPECT_EQ(FormatMask(kMax, E), "17976931348623200" + std::string(292, '0') + ".00");
    for (double v : {kNaN, kInf, -kInf}) {
        for (std::string_view mask : {Y, P, E}) {
            const std::string t = FormatMask(v, mask);
            EXPECT_FALSE(t.empty());
            EXPECT_EQ(t.find_first_of("0123456789"), std::string::npos) << t;
        }
    }
}

// Whole fen show exactly; k / 1000 rounds |k| / 10 half up, keeping the sign only when
// something is left; and a fee rounded to the fen is the number the yuan mask shows. The
// reference is integer arithmetic with a literal grouping loop.
TEST(FormatMask, AndRoundToCentsAgainstIntegerArithmetic) {
    const auto cents = [](long long c) {
        const std::string digits = std::to_string(c < 0 ? -c / 100 : c / 100);
        std::string text = c < 0 ? "-" : "";
        for (std::size_t i = 0; i < digits.size(); ++i) {
            text += (i > 0 && (digits.size() - i) % 3 == 0 ? "," : "") + digits.substr(i, 1);
        }
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%02lld", (c < 0 ? -c : c) % 100);
        return text + fraction;
    };
    std::mt19937_64 rng(77);
    std::uniform_int_distribution<long long> anyCents(-1'000'000'000'000LL, 1'000'000'000'000LL);
    std::uniform_int_distribution<long long> anyMills(-10'000'000'000LL, 10'000'000'000LL);
    std::uniform_real_distribution<double> exponent(-6, 14);
    for (int i = 0; i < 20000; ++i) {
        const long long c = i < 2000 ? i - 1000 : anyCents(rng);
        ASSERT_EQ(FormatMask(static_cast<double>(c) / 100.0, kYuanMask), cents(c) + "元") << c;
        const long long k = i < 4000 ? i - 2000 : anyMills(rng);
        const long long fen = ((k < 0 ? -k : k) + 5) / 10 * (k < 0 ? -1 : 1);
        const double mills = static_cast<double>(k) / 1000.0;
        ASSERT_EQ(FormatMask(mills, kYuanMask), (fen == 0 ? "0.00" : cents(fen)) + "元") << k;
        ASSERT_EQ(RoundToCents(mills), static_cast<double>(fen) / 100) << k;
        const double v = (i % 2 ? 1 : -1) * std::pow(10.0, exponent(rng));
        ASSERT_EQ(RoundToCents(v), Val(FormatMask(v, "0.00"))) << v;
    }
}

// A fee's tie in the third decimal goes up although its binary product may fall below it.
TEST(RoundToCents, TiesOfFeesGoUp) {
    // clang-format off
    const std::pair<double, double> cases[] = {
        {12345 * 0.001, 12.35}, {10010 * 0.0005, 5.01}, {50 * 0.0005, 0.03},
        {10500 * 0.00001, 0.11}, {-2.675, -2.68}, {0.004999, 0}, {1e20, 1e20},
        {123456789012345.678, 123456789012346},
    };
    // clang-format on
    for (const auto& [value, fen] : cases) {
        EXPECT_EQ(RoundToCents(value), fen) << value;
    }
    EXPECT_TRUE(std::isnan(RoundToCents(kNaN)));
    EXPECT_EQ(RoundToCents(kInf), kInf);
}

// ---------------------------------------------------------------------------------------
// The entry fields

constexpr auto A = KeyVerdict::Accept;
constexpr auto D = KeyVerdict::Discard;
constexpr auto C = KeyVerdict::Commit;
constexpr std::size_t kAll = static_cast<std::size_t>(-1);

TEST(FilterFractionKey, Verdicts) {
    // clang-format off
    const struct {
        char32_t ch;
        const char* text;
        std::size_t selStart, selLength;
        KeyVerdict expected;
    } cases[] = {
        {U'0', "", 0, 0, A}, {U'9', "12.5", 4, 0, A}, {U'5', "12", 0, 2, A}, {8, "", 0, 0, A},
        {13, "12.5", 4, 0, C}, {13, "", 0, 0, C},
        // Everything else goes: signs, exponents, control characters, full-width digits and
        // points, and characters whose low byte is a digit, a point, Enter or Backspace.
        {U'E', "12", 2, 0, D}, {U'-', "", 0, 0, D}, {U'+', "12", 2, 0, D}, {U' ', "12", 2, 0, D},
        {U',', "12", 2, 0, D}, {U'\t', "12", 2, 0, D}, {0, "12", 2, 0, D}, {127, "12", 2, 0, D},
        {U'/', "12", 2, 0, D}, {U':', "12", 2, 0, D}, {U'\uFF11', "12", 2, 0, D},
        {U'\uFF0E', "12", 2, 0, D}, {0x0131, "12", 2, 0, D}, {0x012E, "12", 2, 0, D},
        {0x1002E, "12", 2, 0, D}, {0x10D, "12", 2, 0, D}, {0x108, "12", 2, 0, D},
        // The point: never first, once only; over a selection holding the point the typed one
        // replaces it, a selection without it makes no room for a second one.
        {U'.', "", 0, 0, D}, {U'.', "12", 0, 0, D}, {U'.', "12", 0, 2, D}, {U'.', "1.5", 0, 3, D},
        {U'.', "12", 1, 0, A}, {U'.', "12.5", 4, 0, D}, {U'.', "12.5", 1, 0, D},
        {U'.', "12.5", 1, 3, A}, {U'.', "12.5", 2, 1, A}, {U'.', "12.5", 3, 1, D},
        {U'.', "123.5", 1, 1, D}, {U'.', "123", 1, 2, A},
        // A selection reaching past the text, or a caret beyond it, is clamped.
        {U'.', "12.5", 2, 100, A}, {U'.', "12.5", 9, 3, D}, {U'.', "12", 9, 0, A},
        {U'.', "12.5", 3, kAll, D}, {U'.', "12.5", 2, kAll, A},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(FilterFractionKey(c.ch, c.text, c.selStart, c.selLength), c.expected)
            << "key " << static_cast<unsigned long>(c.ch) << " in \"" << c.text << "\" at "
            << c.selStart << "+" << c.selLength;
    }
    for (char32_t ch : {U'0', U'9', char32_t{8}}) {
        EXPECT_EQ(FilterWholeKey(ch), A) << static_cast<unsigned long>(ch);
    }
    EXPECT_EQ(FilterWholeKey(13), C);
    for (char32_t ch : {U'.', U'-', U'e', U'\0', U'\n', U'/', U':', U'\uFF10', U'\u0130'}) {
        EXPECT_EQ(FilterWholeKey(ch), D) << static_cast<unsigned long>(ch);
    }
}

// Keys typed one after another into a price field, with its length limit.
TEST(FilterFractionKey, TypedSequences) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"..12", "12"}, {"12.5.", "12.5"}, {"1.2.3", "1.23"}, {"-12", "12"}, {"1e5", "15"},
        {"12.\b.5", "12.5"}, {"9999995", "9999995"}, {"999999.5", "999999."}, {"12\b\b.3", "3"},
    };
    // clang-format on
    for (const auto& [keys, expected] : cases) {
        std::string text;
        for (char k : keys) {
            const bool full = text.size() >= kPriceFieldLength && k != kBackspace;
            if (!full &&
                FilterFractionKey(static_cast<unsigned char>(k), text, text.size(), 0) == A) {
                if (k != kBackspace) {
                    text.push_back(k);
                } else if (!text.empty()) {
                    text.pop_back();
                }
            }
        }
        EXPECT_EQ(text, expected) << keys;
    }
}

// What leaving a field stores and how it rewrites the text; the rewritten text, committed
// again, stores what it shows. Pasted text, which no key filter saw, is read safely.
TEST(Commit, StoresAndRewrites) {
    const std::optional<std::string> same;
    // clang-format off
    const struct {
        FieldCommit (*commit)(std::string_view);
        std::string text;
        bool refused;
        double value;
        std::optional<std::string> newText;
    } cases[] = {
        {CommitBuyPrice, "", false, 0, same}, {CommitBuyPrice, "12.", false, 12, same},
        {CommitBuyPrice, "12.5", false, 12.5, "12.50"},
        {CommitBuyPrice, "0.125", false, 0.125, "0.125"},
        {CommitBuyPrice, "1.23456", false, 1.23456, "1.2346"},
        {CommitBuyPrice, "1.2346", false, 1.2346, "1.2346"},
        {CommitBuyPrice, ".5", false, 0.5, "0.50"}, {CommitBuyPrice, "007", false, 7, same},
        {CommitBuyPrice, "999999", false, 999999, same},
        {CommitBuyPrice, "9.99999", false, 9.99999, "10.00"},
        {CommitBuyPrice, "1000000", true, 0, ""}, {CommitBuyPrice, "999999.5", true, 0, ""},
        {CommitBuyPrice, "1e7", true, 0, ""}, {CommitBuyPrice, "1e400", false, 0, same},
        {CommitSellPrice, "9999999", false, 9999999, same},
        {CommitSellPrice, "12.5", false, 12.5, "12.50"}, {CommitSellPrice, "abc", false, 0, same},
        {CommitQuantity, "", false, 0, same}, {CommitQuantity, "007", false, 7, "7"},
        {CommitQuantity, "000", false, 0, "0"},
        {CommitQuantity, "999999999", false, 999999999, "999999999"},
        {CommitQuantity, "12abc", false, 12, "12"}, {CommitQuantity, "-0", false, 0, "0"},
        {CommitQuantity, std::string(5000, '9'), false, 0, "0"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const FieldCommit got = c.commit(c.text);
        EXPECT_EQ(got.refused, c.refused) << c.text;
        if (!c.refused) {
            EXPECT_EQ(got.value, c.value) << c.text;
        }
        EXPECT_EQ(got.newText, c.newText) << c.text;
    }
}

} // namespace
} // namespace ym
