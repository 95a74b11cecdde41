// Trades under the official rules, as a user checks them against a broker's statement:
// every fee worked out by hand below from the rates of the trade date, each rounded to the
// fen half up.
#include "core/fee_model.h"
#include "core/number_text.h"
#include "core/official_rules.h"
#include "core/result_rows.h"
#include "core/trade.h"
#include "tests/core/trade_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ym {
namespace {

using testing::kEmpty;
using testing::Typed;

constexpr Date kToday{2026, 12, 6};

BrokerTerms Terms(double rate = 0.00025, bool includesFees = false, bool waived = false) {
    BrokerTerms t;
    t.commissionRate = rate;
    t.includesExchangeFees = includesFees;
    t.minimumWaived = waived;
    return t;
}

FeeRules Official(Market market, SecurityType type, const BrokerTerms& terms = Terms(),
                  Date date = kToday) {
    return *OfficialFeeRules(date, market, type, terms);
}

struct LegCase {
    const char* name;
    FeeRules rules;
    Side side;
    double price, quantity;
    // commission, stamp, transfer, settlement, handling, regulatory; then the leg's total
    std::array<double, 6> fees;
    double total;
};

TEST(OfficialTradeTest, LegsAsTheStatementShowsThem) {
    const LegCase cases[] = {
        // 10,000 yuan at 2.5‱: 2.50 commission is raised to the 5.00 minimum; transfer
        // 0.01‰ = 0.10; handling 0.0341‰ = 0.341 -> 0.34; regulatory 0.02‰ = 0.20.
        {"A-share buy pays the minimum",
         Official(Market::Shanghai, SecurityType::AShare),
         Side::Buy,
         10,
         1000,
         {5.00, 0, 0.10, 0, 0.34, 0.20},
         5.64},
        // The same sell adds 0.05% stamp duty: 5.00.
        {"the same sell adds stamp duty",
         Official(Market::Shanghai, SecurityType::AShare),
         Side::Sell,
         10,
         1000,
         {5.00, 5.00, 0.10, 0, 0.34, 0.20},
         10.64},
        // A commission including the exchanges' fees: only the commission and the transfer
        // fee are charged.
        {"commission includes the fees",
         Official(Market::Shenzhen, SecurityType::AShare, Terms(0.00025, true)),
         Side::Buy,
         10,
         1000,
         {5.00, 0, 0.10, 0, 0, 0},
         5.10},
        // "免五": the commission is its rate, 2.50.
        {"minimum waived",
         Official(Market::Shenzhen, SecurityType::AShare, Terms(0.00025, false, true)),
         Side::Buy,
         10,
         1000,
         {2.50, 0, 0.10, 0, 0.34, 0.20},
         3.14},
        // 2023-08-25, before the stamp duty was halved: 1‰ of 12,345 = 12.345 -> 12.35 (half
        // up); handling 0.0487‰ = 0.6012 -> 0.60; transfer 0.1235 -> 0.12; regulatory 0.2469
        // -> 0.25; commission 3.08625 -> 5.00.
        {"a tie of the old stamp duty rounds up",
         Official(Market::Shanghai, SecurityType::AShare, Terms(), {2023, 8, 25}),
         Side::Sell,
         123.45,
         100,
         {5.00, 12.35, 0.12, 0, 0.60, 0.25},
         18.32},
        // 0.05% of 10,010 = 5.005 -> 5.01.
        {"a tie of today's stamp duty rounds up",
         Official(Market::Shenzhen, SecurityType::AShare),
         Side::Sell,
         10.01,
         1000,
         {5.00, 5.01, 0.10, 0, 0.34, 0.20},
         10.65},
        // Shenzhen B shares, HK$ 2,000,000: settlement 0.05% = 1,000 is cut to the 500 cap;
        // commission 500; handling 68.20; regulatory 40.00; no stamp duty on a buy.
        {"Shenzhen B-share settlement fee hits its cap",
         Official(Market::Shenzhen, SecurityType::BShare),
         Side::Buy,
         10,
         200000,
         {500.00, 0, 0, 500.00, 68.20, 40.00},
         1108.20},
        // Shanghai B shares, US$ 50: commission 0.0125 is raised to the 1-dollar minimum;
        // settlement 0.025 -> 0.03 (half up); handling 0.001705 and regulatory 0.001 -> 0.00.
        {"Shanghai B shares pay at least one dollar",
         Official(Market::Shanghai, SecurityType::BShare),
         Side::Buy,
         0.5,
         100,
         {1.00, 0, 0, 0.03, 0, 0},
         1.03},
        // A Shenzhen ETF: no stamp duty, no transfer fee; handling 0.04‰ of 20,000 = 0.80.
        {"funds pay handling only",
         Official(Market::Shenzhen, SecurityType::Fund),
         Side::Sell,
         2,
         10000,
         {5.00, 0, 0, 0, 0.80, 0},
         5.80},
        // A Shanghai fund in early 2021: handling 0.045‰ of 100,000 = 4.50; commission 25.
        {"Shanghai funds before 2021-07-19",
         Official(Market::Shanghai, SecurityType::Fund, Terms(), {2021, 3, 1}),
         Side::Buy,
         1,
         100000,
         {25.00, 0, 0, 0, 4.50, 0},
         29.50},
        // A 473-yuan trade in 2020 pays a transfer fee of 0.00946 -> 0.01: no minimum.
        {"no minimum transfer fee",
         Official(Market::Shanghai, SecurityType::AShare, Terms(), {2020, 6, 1}),
         Side::Buy,
         4.73,
         100,
         {5.00, 0, 0.01, 0, 0.02, 0.01},
         5.04},
    };
    const ChargeSlot slots[] = {ChargeSlot::Commission, ChargeSlot::Stamp,
                                ChargeSlot::Transfer,   ChargeSlot::Settlement,
                                ChargeSlot::Handling,   ChargeSlot::Regulator};
    for (const LegCase& c : cases) {
        const LegCharges leg = ChargeLeg(c.rules, c.side, c.price, c.quantity);
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_DOUBLE_EQ(leg[slots[i]], c.fees[i]) << c.name << ", fee " << i;
        }
        EXPECT_DOUBLE_EQ(leg.total, c.total) << c.name;
        EXPECT_EQ(LegFees(c.rules, c.side, c.price, c.quantity), leg.total) << c.name;
    }
}

// The A-share panel has no rows for the handling and regulatory fees: they are shown as
// "other". The B-share panel shows them in their own rows.
TEST(OfficialTradeTest, PanelsKeepTheirRows) {
    struct Case {
        const char* name;
        FeeRules rules;
        TradeInput input;
        Panel panel;
        std::vector<const char*> values;
    };
    const Case cases[] = {
        // Buy as above (5.64); sell 10.5 x 1000 = 10,500: commission 5.00, stamp 5.25,
        // transfer 0.105 -> 0.11, handling 0.35805 -> 0.36, regulatory 0.21: 10.93. Fees
        // 16.57; profit 500 - 16.57 = 483.43; yield 483.43 / 10,005.64 = 4.83 %.
        {"A-share round trip",
         Official(Market::Shanghai, SecurityType::AShare),
         Typed(10, 10.5, 1000),
         Panel::AShare,
         {"10.00元", "5.25元", "0.21元", "1.11元", "16.57元", "483.43元", "4.83 %", "10,005.64元",
          "10,489.07元", "10.02元"}},
        // Sell only: no buy leg, the other fees once.
        {"A-share sell only",
         Official(Market::Shanghai, SecurityType::AShare),
         Typed(kEmpty, 10, 1000),
         Panel::AShare,
         {"5.00元", "5.00元", "0.10元", "0.54元", "10.64元", "0.00元", "0.00 %", "0.00元",
          "9,989.36元", "0.00元"}},
        // Shenzhen B shares, HK$ 10 -> 12 x 200,000: sell leg commission 600, stamp 1,200,
        // settlement 500 (capped), handling 81.84, regulatory 48.
        {"Shenzhen B shares",
         Official(Market::Shenzhen, SecurityType::BShare),
         Typed(10, 12, 200000),
         Panel::BShare,
         {"1,100.00元", "1,200.00元", "1,000.00元", "150.04元", "88.00元", "0.00元", "3,538.04元",
          "396,461.96元"}},
    };
    for (const Case& c : cases) {
        const TradeResult res = ComputeTrade(c.rules, c.input);
        const std::vector<ResultRow> rows = PanelRows(c.panel, res);
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_EQ(rows[i].value, c.values[i])
                << c.name << ", row " << i << " " << rows[i].caption;
        }
        EXPECT_EQ(res.FeesTotal, RoundToCents(res.BuyLegFees + res.SellLegFees)) << c.name;
    }
}

TEST(OfficialTradeTest, ModelChoosesTheRules) {
    const ClassicRates classic = testing::ShanghaiA();
    FeeModelSettings settings;
    const TradeInput in = Typed(10, kEmpty, 1000);
    // Classic: 0.35% commission and 0.4% stamp duty on the buy, 1.00 transfer fee.
    EXPECT_DOUBLE_EQ(ComputeTrade(*TradeFeeRules(settings, classic, Market::Shanghai,
                                                 SecurityType::AShare, {2000, 1, 1}),
                                  in)
                         .BuyLegFees,
                     76.00);
    settings.model = FeeModel::Official;
    EXPECT_DOUBLE_EQ(
        ComputeTrade(
            *TradeFeeRules(settings, classic, Market::Shanghai, SecurityType::AShare, kToday), in)
            .BuyLegFees,
        5.64);
    EXPECT_FALSE(
        TradeFeeRules(settings, classic, Market::Shanghai, SecurityType::AShare, {2015, 7, 31}));
    EXPECT_EQ(ModelLabel(settings, kToday), "官方规则 2026-12-06");
    settings.model = FeeModel::Classic;
    EXPECT_EQ(ModelLabel(settings, kToday), "经典参数");
}

TEST(OfficialTradeTest, BrokerTermsWithinTheLaw) {
    EXPECT_FALSE(CommissionRateProblem(0.003));
    EXPECT_FALSE(CommissionRateProblem(0));
    EXPECT_TRUE(CommissionRateProblem(0.0031));
    EXPECT_TRUE(CommissionRateProblem(-0.0001));
    EXPECT_FALSE(MinimumProblem(5));
    EXPECT_TRUE(MinimumProblem(-1));
    EXPECT_TRUE(MinimumProblem(1e300));
}

} // namespace
} // namespace ym
