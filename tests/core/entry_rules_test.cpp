#include "core/entry_rules.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace {

using ym::FieldCommit;
using ym::KeyVerdict;

constexpr auto A = KeyVerdict::Accept;
constexpr auto D = KeyVerdict::Discard;
constexpr auto C = KeyVerdict::Commit;

struct KeyCase {
    char32_t ch;
    const char* text;
    std::size_t selStart;
    std::size_t selLength;
    KeyVerdict expected;
};

class FractionKey : public ::testing::TestWithParam<KeyCase> {};

TEST_P(FractionKey, Verdict) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(ym::FilterFractionKey(c.ch, c.text, c.selStart, c.selLength), c.expected)
        << "key " << static_cast<unsigned long>(c.ch) << " in \"" << c.text << "\" at "
        << c.selStart << "+" << c.selLength;
}

INSTANTIATE_TEST_SUITE_P(
    DigitsAndControl, FractionKey,
    ::testing::Values(
        KeyCase{U'0', "", 0, 0, A}, KeyCase{U'9', "12.5", 4, 0, A}, KeyCase{U'5', "12", 0, 2, A},
        KeyCase{8, "12", 2, 0, A}, KeyCase{8, "", 0, 0, A}, KeyCase{13, "12.5", 4, 0, C},
        KeyCase{13, "", 0, 0, C},
        // Everything else goes, control characters included.
        KeyCase{U'a', "12", 2, 0, D}, KeyCase{U'E', "12", 2, 0, D}, KeyCase{U'-', "", 0, 0, D},
        KeyCase{U'+', "12", 2, 0, D}, KeyCase{U' ', "12", 2, 0, D}, KeyCase{U',', "12", 2, 0, D},
        KeyCase{U'\t', "12", 2, 0, D}, KeyCase{10, "12", 2, 0, D}, KeyCase{0, "12", 2, 0, D},
        KeyCase{127, "12", 2, 0, D}, KeyCase{U'/', "12", 2, 0, D}, KeyCase{U':', "12", 2, 0, D},
        // Non-ASCII: full-width digits and point, Chinese, and characters
        // whose low byte is a digit, a point, Enter or backspace.
        KeyCase{U'\uFF11', "12", 2, 0, D}, KeyCase{U'\uFF0E', "12", 2, 0, D},
        KeyCase{U'\u5143', "12", 2, 0, D}, KeyCase{0x0131, "12", 2, 0, D},
        KeyCase{0x012E, "12", 2, 0, D}, KeyCase{0x1002E, "12", 2, 0, D},
        KeyCase{0x10D, "12", 2, 0, D}, KeyCase{0x108, "12", 2, 0, D}));

INSTANTIATE_TEST_SUITE_P(
    DecimalPoint, FractionKey,
    ::testing::Values(
        // Never as the first character.
        KeyCase{U'.', "", 0, 0, D}, KeyCase{U'.', "12", 0, 0, D}, KeyCase{U'.', "12", 0, 2, D},
        KeyCase{U'.', "1.5", 0, 3, D},
        // One point only.
        KeyCase{U'.', "12", 2, 0, A}, KeyCase{U'.', "12", 1, 0, A}, KeyCase{U'.', "12.5", 4, 0, D},
        KeyCase{U'.', "12.5", 1, 0, D},
        // Over a selection holding the point, the typed one replaces it.
        KeyCase{U'.', "12.5", 1, 3, A}, KeyCase{U'.', "12.5", 2, 1, A},
        // A selection without the point does not make room for a second one.
        KeyCase{U'.', "12.5", 3, 1, D}, KeyCase{U'.', "123.5", 1, 1, D},
        KeyCase{U'.', "123", 1, 2, A},
        // A selection reaching past the text, or a caret beyond it, is clamped.
        KeyCase{U'.', "12.5", 2, 100, A}, KeyCase{U'.', "12.5", 9, 3, D},
        KeyCase{U'.', "12", 9, 0, A}, KeyCase{U'.', "12.5", 3, static_cast<std::size_t>(-1), D},
        KeyCase{U'.', "12.5", 2, static_cast<std::size_t>(-1), A}));

TEST(WholeKey, Verdicts) {
    struct Case {
        char32_t ch;
        KeyVerdict expected;
    };
    const Case cases[] = {{U'0', A}, {U'9', A},      {8, A},      {13, C},     {U'.', D},
                          {U'-', D}, {U'e', D},      {0, D},      {10, D},     {U'/', D},
                          {U':', D}, {U'\uFF10', D}, {0x0130, D}, {0x0108, D}, {0x010D, D}};
    for (const Case& c : cases) {
        EXPECT_EQ(ym::FilterWholeKey(c.ch), c.expected) << static_cast<unsigned long>(c.ch);
    }
}

// Typing a whole string through the price filter the way a field would apply it.
std::string TypeIntoPriceField(const std::string& keys) {
    std::string text;
    for (char k : keys) {
        if (text.size() >= ym::kPriceFieldLength && k != ym::kBackspace) {
            continue; // the field's own length limit
        }
        if (ym::FilterFractionKey(static_cast<unsigned char>(k), text, text.size(), 0) ==
            KeyVerdict::Accept) {
            if (k == ym::kBackspace) {
                if (!text.empty()) {
                    text.pop_back();
                }
            } else {
                text.push_back(k);
            }
        }
    }
    return text;
}

TEST(FractionKeyTyping, Sequences) {
    struct Case {
        std::string keys;
        const char* text;
    };
    const Case cases[] = {{".", ""},
                          {"..12", "12"},
                          {"12.5", "12.5"},
                          {"12.5.", "12.5"},
                          {"1.2.3", "1.23"},
                          {"-12", "12"},
                          {"1e5", "15"},
                          {"12.\b.5", "12.5"},
                          {"9999995", "9999995"},
                          {"999999.5", "999999."},
                          {"1 2", "12"},
                          {"12\b\b.3", "3"}};
    for (const Case& c : cases) {
        EXPECT_EQ(TypeIntoPriceField(c.keys), c.text) << c.keys;
    }
}

const std::optional<std::string> kUnchanged;

// What leaving each field stores and how it rewrites the text.
TEST(CommitField, Table) {
    using ym::CommitBuyPrice, ym::CommitSellPrice, ym::CommitQuantity;
    struct Case {
        FieldCommit (*commit)(std::string_view);
        const char* text;
        bool refused;
        double value;
        std::optional<std::string> newText;
    };
    const Case cases[] = {
        {CommitBuyPrice, "", false, 0, kUnchanged},
        {CommitBuyPrice, "12", false, 12, kUnchanged},
        {CommitBuyPrice, "12.", false, 12, kUnchanged},
        {CommitBuyPrice, "12.5", false, 12.5, "12.50"},
        {CommitBuyPrice, "0.125", false, 0.125, "0.125"},
        {CommitBuyPrice, "1.23456", false, 1.23456, "1.2346"},
        // The rewritten text, committed again on leaving the field, stores what it shows.
        {CommitBuyPrice, "1.2346", false, 1.2346, "1.2346"},
        {CommitBuyPrice, ".5", false, 0.5, "0.50"},
        {CommitBuyPrice, "007", false, 7, kUnchanged},
        {CommitBuyPrice, "0.0", false, 0, kUnchanged},
        {CommitBuyPrice, "999999", false, 999999, kUnchanged},
        {CommitBuyPrice, "9.99999", false, 9.99999, "10.00"},
        {CommitBuyPrice, "1000000", true, 0, std::string()},
        {CommitBuyPrice, "999999.5", true, 0, std::string()},
        {CommitSellPrice, "", false, 0, kUnchanged},
        {CommitSellPrice, "9999999", false, 9999999, kUnchanged},
        {CommitSellPrice, "12.5", false, 12.5, "12.50"},
        {CommitSellPrice, "12.", false, 12, kUnchanged},
        {CommitQuantity, "", false, 0, kUnchanged},
        {CommitQuantity, "007", false, 7, "7"},
        {CommitQuantity, "100", false, 100, "100"},
        {CommitQuantity, "000", false, 0, "0"},
        {CommitQuantity, "999999999", false, 999999999, "999999999"},
    };
    for (const Case& c : cases) {
        const FieldCommit got = c.commit(c.text);
        EXPECT_EQ(got.refused, c.refused) << c.text;
        if (!c.refused) {
            EXPECT_EQ(got.value, c.value) << c.text;
        }
        EXPECT_EQ(got.newText, c.newText) << c.text;
    }
}

TEST(CommitHostile, PastedTextIsReadSafely) {
    // A paste bypasses the keystroke filter; the commit must still give a sane result.
    EXPECT_EQ(ym::CommitBuyPrice("1e400").value, 0);
    EXPECT_FALSE(ym::CommitBuyPrice("1e400").refused);
    EXPECT_TRUE(ym::CommitBuyPrice("1e7").refused);
    EXPECT_EQ(ym::CommitSellPrice("abc").value, 0);
    EXPECT_EQ(ym::CommitSellPrice("abc").newText, kUnchanged);
    EXPECT_EQ(ym::CommitQuantity("12abc").newText, std::optional<std::string>("12"));
    EXPECT_EQ(ym::CommitQuantity(std::string(5000, '9')).newText,
              std::optional<std::string>("0")); // overflows the double: read as nothing
    EXPECT_EQ(ym::CommitQuantity("-0").newText, std::optional<std::string>("0"));
}

} // namespace
