// Price limits against what a user works out with a pencil, and against a second exact
// computation, done on the decimal digits of the close, over every close up to 100.
#include "core/price_limits.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace ym {
namespace {

using Outcome = std::variant<PriceLimits, std::string>;

Outcome Limits(const char* close, Board board, Date date, std::optional<Market> market = {},
               bool listingDays = false) {
    return ComputeLimits({std::strtod(close, nullptr), board, market, date, listingDays});
}

struct Worked {
    const char* close;
    Board board;
    Date date;
    std::optional<Market> market;
    const char* up;
    const char* down;
};

TEST(PriceLimits, WorkedExamples) {
    constexpr Date kDay{2024, 6, 14};
    const Worked cases[] = {
        // 10.00 × 1.1 = 11.00, 10.00 × 0.9 = 9.00.
        {"10.00", Board::Main, kDay, {}, "11.00", "9.00"},
        // 5.55 × 1.1 = 6.105, a tie: half up to 6.11; 5.55 × 0.9 = 4.995, a tie: 5.00.
        {"5.55", Board::Main, kDay, {}, "6.11", "5.00"},
        // 4.26 × 1.1 = 4.686 → 4.69; 4.26 × 0.9 = 3.834 → 3.83.
        {"4.26", Board::Main, kDay, {}, "4.69", "3.83"},
        // ST at 5 %: 10.00 × 1.05 = 10.50; 3.33 × 1.05 = 3.4965 → 3.50, × 0.95 = 3.1635 → 3.16.
        {"10.00", Board::MainRiskWarning, kDay, {}, "10.50", "9.50"},
        {"3.33", Board::MainRiskWarning, {2026, 7, 3}, {}, "3.50", "3.16"},
        // ST at 10 % from 2026-07-06: 3.33 × 1.1 = 3.663 → 3.66, × 0.9 = 2.997 → 3.00.
        {"3.33", Board::MainRiskWarning, {2026, 7, 6}, {}, "3.66", "3.00"},
        // ChiNext the trading day before its reform (10 %) and on it (20 %).
        {"10.00", Board::ChiNext, {2020, 8, 21}, {}, "11.00", "9.00"},
        {"10.00", Board::ChiNext, {2020, 8, 24}, {}, "12.00", "8.00"},
        // STAR: 45.67 × 1.2 = 54.804 → 54.80; × 0.8 = 36.536 → 36.54.
        {"45.67", Board::Star, kDay, {}, "54.80", "36.54"},
        // Beijing: 12.35 × 1.3 = 16.055 → 16.06; × 0.7 = 8.645 → 8.65.
        {"12.35", Board::Beijing, kDay, {}, "16.06", "8.65"},
        // A fund, tick 0.001: 1.235 × 1.1 = 1.3585 → 1.359; × 0.9 = 1.1115 → 1.112.
        {"1.235", Board::Fund, kDay, {}, "1.359", "1.112"},
        // Shanghai B shares in 0.001 US dollars: 0.555 × 1.1 = 0.6105 → 0.611; × 0.9 =
        // 0.4995 → 0.500. Shenzhen B shares in 0.01 Hong Kong dollars, as the main board.
        {"0.555", Board::BShare, kDay, Market::Shanghai, "0.611", "0.5"},
        {"5.55", Board::BShare, kDay, Market::Shenzhen, "6.11", "5.00"},
        // The smallest close: 0.01 × 1.1 = 0.011 → 0.01 and 0.009 → 0.01; both limits are
        // the close itself (see the header), and the limit-down is no lower than a tick.
        {"0.01", Board::Main, kDay, {}, "0.01", "0.01"},
        {"0.01", Board::Beijing, kDay, {}, "0.01", "0.01"},
    };
    for (const Worked& c : cases) {
        SCOPED_TRACE(std::string(c.close) + " " + std::string(BoardName(c.board)));
        const Outcome outcome = Limits(c.close, c.board, c.date, c.market);
        ASSERT_EQ(outcome.index(), 0u) << std::get<1>(outcome);
        const PriceLimits& limits = std::get<PriceLimits>(outcome);
        EXPECT_EQ(limits.limitUp, std::strtod(c.up, nullptr));
        EXPECT_EQ(limits.limitDown, std::strtod(c.down, nullptr));
    }
}

// "1234" with 2 decimals as "12.34", "5" as "0.05".
std::string WithPoint(std::string digits, int decimals) {
    const auto places = static_cast<std::size_t>(decimals);
    if (digits.size() <= places) {
        digits.insert(0, places + 1 - digits.size(), '0');
    }
    return digits.substr(0, digits.size() - places) + "." + digits.substr(digits.size() - places);
}

// The limit as the decimal digits of close × (100 ± percent) / 100 read, rounded half up by
// the first dropped digit, then read back as the text it is: no grid, no division.
std::string ReferenceLimit(const std::string& closeDigits, int factor, int decimals) {
    std::string product = std::to_string(std::stoll(closeDigits) * factor);
    product.insert(0, 3, '0');
    const bool roundUp = product[product.size() - 2] >= '5';
    return WithPoint(std::to_string(std::stoll(product.substr(0, product.size() - 2)) + roundUp),
                     decimals);
}

struct Sweep {
    Board board;
    Date date;
    std::optional<Market> market;
    int percent;
    int decimals;
};

TEST(PriceLimits, EveryCloseUpTo100MatchesDecimalArithmetic) {
    const Sweep sweeps[] = {
        {Board::Main, {2024, 6, 14}, {}, 10, 2},
        {Board::MainRiskWarning, {2024, 6, 14}, {}, 5, 2},
        {Board::MainRiskWarning, {2026, 12, 7}, {}, 10, 2},
        {Board::ChiNext, {2020, 8, 21}, {}, 10, 2},
        {Board::ChiNext, {2020, 8, 24}, {}, 20, 2},
        {Board::Star, {2024, 6, 14}, {}, 20, 2},
        {Board::Beijing, {2024, 6, 14}, {}, 30, 2},
        {Board::BShare, {2024, 6, 14}, Market::Shanghai, 10, 3},
        {Board::BShare, {2024, 6, 14}, Market::Shenzhen, 10, 2},
        {Board::Fund, {2024, 6, 14}, {}, 10, 3},
    };
    for (const Sweep& s : sweeps) {
        SCOPED_TRACE(std::string(BoardName(s.board)) + " " + FormatDate(s.date));
        const long long last = s.decimals == 2 ? 10'000 : 100'000;
        int failures = 0;
        for (long long k = 1; k <= last && failures < 5; ++k) {
            const std::string digits = std::to_string(k);
            const std::string close = WithPoint(digits, s.decimals);
            const Outcome outcome = Limits(close.c_str(), s.board, s.date, s.market);
            const std::string up = ReferenceLimit(digits, 100 + s.percent, s.decimals);
            const std::string down = ReferenceLimit(digits, 100 - s.percent, s.decimals);
            const auto* limits = std::get_if<PriceLimits>(&outcome);
            if (limits == nullptr || limits->limitUp != std::strtod(up.c_str(), nullptr) ||
                limits->limitDown != std::strtod(down.c_str(), nullptr)) {
                ADD_FAILURE() << close << ": expected " << up << " / " << down;
                ++failures;
            }
        }
    }
}

TEST(PriceLimits, ListingDaysWithoutLimits) {
    // Main-board listings trade without limits for five days since 2023-04-10.
    const Outcome main = Limits("10.00", Board::Main, {2023, 4, 10}, {}, true);
    ASSERT_EQ(main.index(), 0u);
    EXPECT_FALSE(std::get<PriceLimits>(main).limitUp);
    EXPECT_FALSE(std::get<PriceLimits>(main).limitDown);
    EXPECT_EQ(std::get<PriceLimits>(main).listing->days, 5);
    EXPECT_EQ(Limits("10.00", Board::ChiNext, {2020, 8, 24}, {}, true).index(), 0u);
    // Before that day, and for boards with no such rule, the flag has nothing to apply.
    for (const auto& [board, date] :
         {std::pair{Board::Main, Date{2023, 4, 7}}, std::pair{Board::ChiNext, Date{2020, 8, 21}},
          std::pair{Board::Fund, Date{2024, 6, 14}},
          std::pair{Board::MainRiskWarning, Date{2024, 6, 14}}}) {
        const Outcome outcome = Limits("10.00", board, date, {}, true);
        ASSERT_EQ(outcome.index(), 1u);
        EXPECT_NE(std::get<1>(outcome).find("without limits after a listing"), std::string::npos);
    }
}

TEST(PriceLimits, WhatItDoesNotTell) {
    constexpr Date kDay{2024, 6, 14};
    const std::pair<Outcome, const char*> cases[] = {
        {Limits("100.00", Board::Bond, kDay), "bonds"},
        {Limits("0.555", Board::BShare, kDay), "B shares need the market"},
        {Limits("10.005", Board::Main, kDay), "no price of the tick of 主板 (0.01)"},
        {Limits("1.2345", Board::Fund, kDay), "(0.001)"},
        {Limits("0", Board::Main, kDay), "above 0"},
        {Limits("-1", Board::Main, kDay), "above 0"},
        {Limits("nan", Board::Main, kDay), "above 0"},
        {Limits("inf", Board::Main, kDay), "above 0"},
        {Limits("10000000", Board::Main, kDay), "below 10000000"},
        {Limits("10.00", Board::Main, {1996, 12, 13}), "no price limit rule of 主板"},
        {Limits("10.00", Board::Star, {2019, 7, 19}), "no price limit rule of 科创板"},
        {Limits("10.00", Board::Beijing, {2021, 11, 12}), "no price limit rule of 北交所"},
    };
    for (const auto& [outcome, message] : cases) {
        SCOPED_TRACE(message);
        ASSERT_EQ(outcome.index(), 1u);
        EXPECT_NE(std::get<1>(outcome).find(message), std::string::npos) << std::get<1>(outcome);
    }
}

TEST(PriceLimits, RatesFollowEachOtherWithoutGapOrOverlap) {
    const auto rows = LimitRateTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_FALSE(rows[i].source.empty());
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            if (rows[i].board == rows[j].board) {
                // Rows of a board are in date order, the next starting the day after.
                ASSERT_TRUE(rows[i].last);
                EXPECT_EQ(NextDay(*rows[i].last), rows[j].first);
                break;
            }
        }
    }
}

} // namespace
} // namespace ym
