// What the entry fields admit key by key, and what leaving a field stores and shows.
#include "core/entry_rules.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ym {
namespace {

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
