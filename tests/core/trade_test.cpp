// Trade fees and profit, checked as the rows a user compares with a broker's statement.
#include "core/result_rows.h"
#include "core/trade.h"
#include "tests/core/trade_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <tuple>
#include <vector>

namespace ym {
namespace {

using testing::DefaultB;
using testing::kEmpty;
using testing::ShanghaiA;
using testing::Typed;

ClassicRates WithOther(ClassicRates r, double other) {
    r.rates.OtherFee = other;
    return r;
}

TEST(TradeTest, PanelsReadAsOnTheStatement) {
    struct Case {
        const char* name;
        ClassicRates rules;
        TradeInput input;
        Panel panel;
        std::vector<const char*> values; // the panel's rows, top to bottom
        ColorSlot profitSlot;
    };
    const Case cases[] = {
        {"round trip of 1000",
         ShanghaiA(),
         Typed(10, 11, 1000),
         Panel::AShare,
         {"73.50元", "84.00元", "2.00元", "0.00元", "159.50元", "840.50元", "8.34 %", "10,076.00元",
          "10,916.50元", "10.16元"},
         kSlotProfit},
        {"round trip of 100 at the minimum commission",
         ShanghaiA(),
         Typed(10, 11, 100),
         Panel::AShare,
         {"20.00元", "8.40元", "2.00元", "0.00元", "30.40元", "69.60元", "6.86 %", "1,015.00元",
          "1,084.60元", "10.31元"},
         kSlotProfit},
        {"buy only, sell field empty",
         ShanghaiA(),
         Typed(10, kEmpty, 1000),
         Panel::AShare,
         {"35.00元", "40.00元", "1.00元", "0.00元", "76.00元", "0.00元", "0.00 %", "10,076.00元",
          "0.00元", "10.16元"},
         kSlotFlat},
        {"sell typed as 0",
         ShanghaiA(),
         Typed(10, 0, 1000),
         Panel::AShare,
         {"35.00元", "40.00元", "1.00元", "0.00元", "76.00元", "0.00元", "0.00 %", "10,076.00元",
          "-1.00元", "10.16元"},
         kSlotFlat},
        {"loss",
         ShanghaiA(),
         Typed(10, 9, 1000),
         Panel::AShare,
         {"66.50元", "76.00元", "2.00元", "0.00元", "144.50元", "-1,144.50元", "-11.36 %",
          "10,076.00元", "8,931.50元", "10.16元"},
         kSlotLoss},
        {"sell only, buy field empty",
         ShanghaiA(),
         Typed(kEmpty, 11, 1000),
         Panel::AShare,
         {"38.50元", "44.00元", "1.00元", "0.00元", "83.50元", "0.00元", "0.00 %", "0.00元",
          "10,916.50元", "0.00元"},
         kSlotFlat},
        {"quantity 0",
         ShanghaiA(),
         Typed(10, 11, 0),
         Panel::AShare,
         {"0.00元", "0.00元", "0.00元", "0.00元", "0.00元", "0.00元", "0.00 %", "0.00元", "0.00元",
          "0.00元"},
         kSlotFlat},
        {"transfer below the minimum pays the minimum",
         ShanghaiA(),
         Typed(20, 21, 500),
         Panel::AShare,
         {"71.75元", "82.00元", "2.00元", "0.00元", "155.75元", "344.25元", "3.42 %", "10,076.00元",
          "10,420.25元", "20.31元"},
         kSlotProfit},
        // Both fields hold text, so the fixed charge is taken once and reaches both totals.
        {"quantity 0 takes the other charge once",
         WithOther(ShanghaiA(), 3),
         Typed(10, 11, 0),
         Panel::AShare,
         {"0.00元", "0.00元", "0.00元", "3.00元", "3.00元", "0.00元", "0.00 %", "3.00元", "-3.00元",
          "0.00元"},
         kSlotFlat},
        {"both legs take the other charge",
         WithOther(ShanghaiA(), 2.5),
         Typed(10, 11, 1000),
         Panel::AShare,
         {"73.50元", "84.00元", "2.00元", "5.00元", "164.50元", "835.50元", "8.29 %", "10,078.50元",
          "10,914.00元", "10.16元"},
         kSlotProfit},
        // The settlement fee of each leg (1000 and 1200) is cut to 500 only in Shenzhen.
        {"Shenzhen B shares",
         DefaultB(Market::Shenzhen),
         Typed(10, 12, 200000),
         Panel::BShare,
         {"18,920.00元", "13,200.00元", "1,000.00元", "1,320.00元", "202.40元", "0.00元",
          "34,642.40元", "365,357.60元", "18.12 %", "2,015,792.00元", "2,381,149.60元"},
         kSlotProfit},
        {"Shanghai B shares",
         DefaultB(Market::Shanghai),
         Typed(10, 12, 200000),
         Panel::BShare,
         {"18,920.00元", "13,200.00元", "2,200.00元", "1,320.00元", "202.40元", "0.00元",
          "35,842.40元", "364,157.60元", "18.06 %", "2,016,292.00元", "2,380,449.60元"},
         kSlotProfit},
    };
    for (const Case& c : cases) {
        const std::vector<ResultRow> rows = PanelRows(c.panel, ComputeTrade(c.rules, c.input));
        ASSERT_GE(rows.size(), c.values.size()) << c.name;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_EQ(rows[i].value, c.values[i])
                << c.name << ", row " << i << " " << rows[i].caption;
        }
        EXPECT_EQ(rows[NetProfitRow(c.panel)].slot, c.profitSlot) << c.name;
        EXPECT_EQ(rows[YieldRow(c.panel)].slot, c.profitSlot) << c.name;
    }
}

TEST(TradeTest, ShenzhenCapCutsEachLegSeparately) {
    // 0.0005 x amount against the cap of 500: 1,000,000 yuan reaches it exactly.
    for (auto [buy, sell, qty, buySettlement, sellSettlement] : {
             std::tuple{5.0, 12.0, 200000.0, 500.0, 500.0}, // exactly at the cap, and above
             std::tuple{4.0, 12.0, 200000.0, 400.0, 500.0}, // below, and above
             std::tuple{1.0, 2.0, 1000.0, 0.5, 1.0},        // both far below
         }) {
        const TradeResult res = ComputeTrade(DefaultB(Market::Shenzhen), Typed(buy, sell, qty));
        EXPECT_DOUBLE_EQ(res.BuySettlement, buySettlement) << buy;
        EXPECT_DOUBLE_EQ(res.SellSettlement, sellSettlement) << sell;
        EXPECT_DOUBLE_EQ(res.SettlementTotal, buySettlement + sellSettlement);
    }
}

TEST(TradeTest, MinimumCommissionPerLeg) {
    ClassicRates r = ShanghaiA();
    r.rates.CommissionRate = 0.001;
    for (auto [price, qty, commission] : {
             std::tuple{10.0, 1000.0, 10.0},  // exactly the minimum stays
             std::tuple{10.0, 999.0, 10.0},   // 9.99 is raised
             std::tuple{10.0, 1001.0, 10.01}, // above it
             std::tuple{0.0, 1000.0, 0.0},    // no amount, no commission
         }) {
        const TradeResult res = ComputeTrade(r, Typed(price, kEmpty, qty));
        EXPECT_DOUBLE_EQ(res.BuyCommission, commission) << price << " x " << qty;
        EXPECT_EQ(res.SellCommission, 0);
    }
}

TEST(TradeTest, TransferFeeMinimum) {
    for (auto [rate, qty, legTransfer] : {
             std::tuple{0.001, 2000.0, 2.0}, // above the minimum
             std::tuple{0.0, 1000.0, 0.0},   // no transfer rate never pays the minimum
         }) {
        ClassicRates r = ShanghaiA();
        r.rates.TransferRate = rate;
        const TradeResult res = ComputeTrade(r, Typed(10, 11, qty));
        EXPECT_DOUBLE_EQ(res.LegTransfer, legTransfer) << rate << " " << qty;
        EXPECT_DOUBLE_EQ(res.TransferTotal, 2 * legTransfer);
    }
}

// The fee search and the statement must agree on what one leg costs, to the bit, and the
// legs must add up to the total.
TEST(TradeTest, LegFeesMatchTheStatementLegs) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> price(0.01, 5000);
    std::uniform_real_distribution<double> qty(1, 1e7);
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

TEST(TradeTest, NoBreakEvenWhenSellRatesReachOne) {
    ClassicRates r = ShanghaiA();
    r.rates.StampRate = 1;
    const TradeResult res = ComputeTrade(r, Typed(10, 11, 1000));
    EXPECT_FALSE(res.BreakEvenPrice.has_value());
    EXPECT_EQ(PanelRows(Panel::AShare, res)[9].value, kNoBreakEven);
}

// Hand-edited settings can hold rates no exchange charges; the rows must still show numbers.
TEST(TradeTest, AbsurdRatesStillGiveNumbers) {
    struct Case {
        const char* name;
        ClassicRates rules;
        TradeInput input;
        const char* yield;
    };
    ClassicRates freePurchase = ShanghaiA();
    freePurchase.rates = {};
    freePurchase.rates.StampRate = 3;
    freePurchase.rates.OtherFee = -4;
    const Case cases[] = {
        // Buy fees 3 - 4 pay the purchase of 1; the sale's 2 less fees of 1 earn nothing.
        {"nothing paid, nothing earned", freePurchase, Typed(1, 2, 1), "0.00 %"},
    };
    for (const Case& c : cases) {
        const TradeResult res = ComputeTrade(c.rules, c.input);
        EXPECT_FALSE(std::isnan(res.Yield)) << c.name;
        EXPECT_EQ(PanelRows(Panel::AShare, res)[YieldRow(Panel::AShare)].value, c.yield) << c.name;
    }
}

} // namespace
} // namespace ym
