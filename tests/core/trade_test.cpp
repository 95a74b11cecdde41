// Trades as a user reads them, in both fee models. The worked trades of the classic
// parameters and of today's official fees run through yuanmate-calc (tests/tools), the rows'
// colours through the main window (tests/ui); these are the legs the break-even search
// prices, and official legs the command line cannot reach.
#include "core/official_rules.h"
#include "core/trade.h"
#include "tests/core/trade_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

namespace ym {
namespace {

using testing::DefaultB;
using testing::ShanghaiA;
using testing::Typed;

// The break-even search prices a leg through LegFees, the statement through ComputeTrade:
// both must agree to the bit, and the legs add up to the totals.
TEST(ClassicTrade, LegFeesAreTheStatementsLegs) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> price(0.01, 5000), qty(1, 1e7);
    std::uniform_int_distribution<int> pick(0, 3);
    for (int i = 0; i < 2000; ++i) {
        ClassicRates r = pick(rng) < 2 ? ShanghaiA() : DefaultB(Market::Shenzhen);
        r.rates.OtherFee = pick(rng);
        r.rates.MinCommission = 5.0 * pick(rng);
        const TradeInput in = Typed(price(rng), price(rng), std::round(qty(rng)));
        const TradeResult res = ComputeTrade(r, in);
        EXPECT_EQ(LegFees(r, Side::Buy, in.BuyPrice, in.Quantity), res.BuyLegFees);
        EXPECT_EQ(LegFees(r, Side::Sell, in.SellPrice, in.Quantity), res.SellLegFees);
        EXPECT_NEAR(res.FeesTotal, res.BuyLegFees + res.SellLegFees, 1e-9 * res.FeesTotal);
        EXPECT_NEAR(res.NetProfit, res.SellAmount - res.SellLegFees - res.TotalPaid,
                    1e-9 * (res.SellAmount + res.BuyAmount));
    }
}

FeeRules Official(Market market, SecurityType type, Date date = {2026, 12, 6}) {
    return *OfficialFeeRules(date, market, type, BrokerTerms{});
}

// Official legs worked out by hand from the rates of the trade date at 2.5‱, each fee
// rounded to the fen half up as a statement shows it.
TEST(OfficialTrade, LegsAsTheStatementShowsThem) {
    constexpr Market kSh = Market::Shanghai, kSz = Market::Shenzhen;
    constexpr SecurityType kA = SecurityType::AShare, kB = SecurityType::BShare;
    constexpr SecurityType kFund = SecurityType::Fund;
    // clang-format off
    const struct {
        FeeRules rules;
        Side side;
        double price, quantity;
        // commission, stamp, transfer, settlement, handling, regulatory; the leg's total
        std::array<double, 6> fees;
        double total;
    } cases[] = {
        // Before the stamp duty was halved: 1‰ of 12,345 = 12.345 -> 12.35; handling 0.0487‰
        // = 0.6012 -> 0.60; transfer 0.1235 -> 0.12; regulatory 0.2469 -> 0.25; commission
        // 3.08625 -> the 5.00 minimum.
        {Official(kSh, kA, {2023, 8, 25}), Side::Sell, 123.45, 100,
         {5.00, 12.35, 0.12, 0, 0.60, 0.25}, 18.32},
        // A tie of today's stamp duty: 0.05 % of 10,010 = 5.005 -> 5.01.
        {Official(kSz, kA), Side::Sell, 10.01, 1000, {5.00, 5.01, 0.10, 0, 0.34, 0.20}, 10.65},
        // Shanghai B shares, US$ 50: commission 0.0125 raised to one dollar; settlement 0.025
        // -> 0.03; handling 0.001705 and regulatory 0.001 -> 0.00.
        {Official(kSh, kB), Side::Buy, 0.5, 100, {1.00, 0, 0, 0.03, 0, 0}, 1.03},
        // A Shenzhen ETF: no stamp duty, no transfer fee; handling 0.04‰ of 20,000 = 0.80.
        {Official(kSz, kFund), Side::Sell, 2, 10000, {5.00, 0, 0, 0, 0.80, 0}, 5.80},
        // A Shanghai fund before 2021-07-19: handling 0.045‰ of 100,000 = 4.50; commission 25.
        {Official(kSh, kFund, {2021, 3, 1}), Side::Buy, 1, 100000, {25, 0, 0, 0, 4.50, 0}, 29.50},
        // 473 yuan in 2020: transfer 0.00946 -> 0.01, no minimum; handling 0.023 -> 0.02;
        // regulatory 0.00946 -> 0.01.
        {Official(kSh, kA, {2020, 6, 1}), Side::Buy, 4.73, 100, {5, 0, 0.01, 0, 0.02, 0.01}, 5.04},
    };
    // clang-format on
    const ChargeSlot slots[] = {ChargeSlot::Commission, ChargeSlot::Stamp,
                                ChargeSlot::Transfer,   ChargeSlot::Settlement,
                                ChargeSlot::Handling,   ChargeSlot::Regulator};
    for (const auto& c : cases) {
        const LegCharges leg = ChargeLeg(c.rules, c.side, c.price, c.quantity);
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_DOUBLE_EQ(leg[slots[i]], c.fees[i]) << c.price << ", fee " << i;
        }
        EXPECT_DOUBLE_EQ(leg.total, c.total) << c.price;
    }
}

} // namespace
} // namespace ym
