// Trade fees and profit, checked as the rows a user compares with a broker's statement.
#include "core/number_text.h"
#include "core/result_rows.h"
#include "core/trade.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <string>

namespace ym {
namespace {

FeeRules ShanghaiA() {
    FeeRules r;
    r.CurMarket = kShanghai;
    r.rates.CommissionRate = 0.0035;
    r.rates.MinCommission = 10;
    r.rates.StampRate = 0.004;
    r.rates.TransferRate = 0.001;
    r.rates.MinTransfer = 1;
    return r;
}

FeeRules DefaultB(int market) {
    FeeRules r;
    r.CurMarket = market;
    r.SettlementCap = 500;
    r.rates.CommissionRate = 0.0043;
    r.rates.StampRate = 0.003;
    r.rates.SettlementRate = 0.0005;
    r.rates.HandlingRate = 0.0003;
    r.rates.RegulatorRate = 0.000046;
    return r;
}

// Buy and sell as typed: a negative price stands for an empty field.
TradeInput Trade(double buy, double sell, double qty) {
    TradeInput in;
    in.BuyFieldEmpty = buy < 0;
    in.SellFieldEmpty = sell < 0;
    in.BuyPrice = buy < 0 ? 0 : buy;
    in.SellPrice = sell < 0 ? 0 : sell;
    in.Quantity = qty;
    return in;
}

constexpr double kEmpty = -1;

struct AShareCase {
    const char* name;
    TradeInput input;
    std::array<const char*, 10> values; // the A-share panel, top to bottom
    ColorSlot profitSlot;
};

class AShareExamples : public ::testing::TestWithParam<AShareCase> {};

TEST_P(AShareExamples, PanelReadsAsOnTheStatement) {
    const AShareCase& c = GetParam();
    const TradeResult res = ComputeTrade(ShanghaiA(), c.input);
    const std::vector<ResultRow> rows = PanelRows(Panel::AShare, res);
    ASSERT_EQ(rows.size(), c.values.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].value, c.values[i]) << "row " << i << " " << rows[i].caption;
    }
    EXPECT_EQ(rows[NetProfitRow(Panel::AShare)].slot, c.profitSlot);
    EXPECT_EQ(rows[YieldRow(Panel::AShare)].slot, c.profitSlot);
}

INSTANTIATE_TEST_SUITE_P(
    ShanghaiAShares, AShareExamples,
    ::testing::Values(AShareCase{"RoundTrip1000",
                                 Trade(10, 11, 1000),
                                 {"73.50元", "84.00元", "2.00元", "0.00元", "159.50元", "840.50元",
                                  "8.34 %", "10,076.00元", "10,916.50元", "10.16元"},
                                 kSlotProfit},
                      AShareCase{"RoundTrip100MinimumCommission",
                                 Trade(10, 11, 100),
                                 {"20.00元", "8.40元", "2.00元", "0.00元", "30.40元", "69.60元",
                                  "6.86 %", "1,015.00元", "1,084.60元", "10.31元"},
                                 kSlotProfit},
                      AShareCase{"BuyOnlySellEmpty",
                                 Trade(10, kEmpty, 1000),
                                 {"35.00元", "40.00元", "1.00元", "0.00元", "76.00元", "0.00元",
                                  "0.00 %", "10,076.00元", "0.00元", "10.16元"},
                                 kSlotFlat},
                      AShareCase{"SellTypedAsZero",
                                 Trade(10, 0, 1000),
                                 {"35.00元", "40.00元", "1.00元", "0.00元", "76.00元", "0.00元",
                                  "0.00 %", "10,076.00元", "-1.00元", "10.16元"},
                                 kSlotFlat},
                      AShareCase{"Loss",
                                 Trade(10, 9, 1000),
                                 {"66.50元", "76.00元", "2.00元", "0.00元", "144.50元",
                                  "-1,144.50元", "-11.36 %", "10,076.00元", "8,931.50元",
                                  "10.16元"},
                                 kSlotLoss},
                      AShareCase{"SellOnlyBuyEmpty",
                                 Trade(kEmpty, 11, 1000),
                                 {"38.50元", "44.00元", "1.00元", "0.00元", "83.50元", "0.00元",
                                  "0.00 %", "0.00元", "10,916.50元", "0.00元"},
                                 kSlotFlat},
                      AShareCase{"QuantityZero",
                                 Trade(10, 11, 0),
                                 {"0.00元", "0.00元", "0.00元", "0.00元", "0.00元", "0.00元",
                                  "0.00 %", "0.00元", "0.00元", "0.00元"},
                                 kSlotFlat},
                      AShareCase{"TransferBelowMinimumPaysMinimum",
                                 Trade(20, 21, 500),
                                 {"71.75元", "82.00元", "2.00元", "0.00元", "155.75元", "344.25元",
                                  "3.42 %", "10,076.00元", "10,420.25元", "20.31元"},
                                 kSlotProfit}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TradeTest, QuantityZeroTakesTheOtherChargeOnce) {
    FeeRules r = ShanghaiA();
    r.rates.OtherFee = 3;
    const TradeResult res = ComputeTrade(r, Trade(10, 11, 0));
    EXPECT_EQ(res.OtherTotal, 3);
    EXPECT_EQ(res.FeesTotal, 3);
    EXPECT_EQ(res.TransferTotal, 0);
    EXPECT_EQ(res.CommissionTotal, 0);
    EXPECT_EQ(res.NetProfit, 0);
    EXPECT_EQ(res.Yield, 0);
    ASSERT_TRUE(res.BreakEvenPrice.has_value());
    EXPECT_EQ(*res.BreakEvenPrice, 0);
    // Both fields hold text, so the fixed charge reaches both totals.
    EXPECT_EQ(FormatMask(res.TotalPaid, kYuanMask), "3.00元");
    EXPECT_EQ(FormatMask(res.TotalReceived, kYuanMask), "-3.00元");
}

TEST(TradeTest, BothLegsTakeTheOtherChargeTwice) {
    FeeRules r = ShanghaiA();
    r.rates.OtherFee = 2.5;
    const TradeResult res = ComputeTrade(r, Trade(10, 11, 1000));
    EXPECT_EQ(FormatMask(res.OtherTotal, kYuanMask), "5.00元");
    EXPECT_EQ(FormatMask(res.FeesTotal, kYuanMask), "164.50元");
    EXPECT_EQ(FormatMask(res.NetProfit, kYuanMask), "835.50元");
    EXPECT_EQ(FormatMask(res.TotalPaid, kYuanMask), "10,078.50元");
}

struct BShareCase {
    const char* name;
    int market;
    std::array<const char*, 11> values; // the B-share panel but the break-even row
};

class BShareExamples : public ::testing::TestWithParam<BShareCase> {};

TEST_P(BShareExamples, SettlementCapOnlyInShenzhen) {
    const BShareCase& c = GetParam();
    const TradeResult res = ComputeTrade(DefaultB(c.market), Trade(10, 12, 200000));
    const std::vector<ResultRow> rows = PanelRows(Panel::BShare, res);
    ASSERT_EQ(rows.size(), 12u);
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        EXPECT_EQ(rows[i].value, c.values[i]) << "row " << i << " " << rows[i].caption;
    }
    EXPECT_EQ(rows[NetProfitRow(Panel::BShare)].slot, kSlotProfit);
}

INSTANTIATE_TEST_SUITE_P(
    DefaultBShareRates, BShareExamples,
    ::testing::Values(
        BShareCase{"Shenzhen",
                   kShenzhen,
                   {"18,920.00元", "13,200.00元", "1,000.00元", "1,320.00元", "202.40元", "0.00元",
                    "34,642.40元", "365,357.60元", "18.12 %", "2,015,792.00元", "2,381,149.60元"}},
        BShareCase{"Shanghai",
                   kShanghai,
                   {"18,920.00元", "13,200.00元", "2,200.00元", "1,320.00元", "202.40元", "0.00元",
                    "35,842.40元", "364,157.60元", "18.06 %", "2,016,292.00元", "2,380,449.60元"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TradeTest, ShenzhenCapCutsEachLegSeparately) {
    struct Case {
        double buy, sell, qty;
        double buySettlement, sellSettlement;
    };
    // 0.0005 x amount against the cap of 500: 1,000,000 yuan reaches it exactly.
    const Case cases[] = {
        {10, 12, 200000, 500, 500}, // both above
        {5, 12, 200000, 500, 500},  // exactly at the cap, and above
        {4, 12, 200000, 400, 500},  // below, and above
        {1, 2, 1000, 0.5, 1},       // both far below
    };
    for (const Case& c : cases) {
        const TradeResult res = ComputeTrade(DefaultB(kShenzhen), Trade(c.buy, c.sell, c.qty));
        EXPECT_DOUBLE_EQ(res.BuySettlement, c.buySettlement) << c.buy;
        EXPECT_DOUBLE_EQ(res.SellSettlement, c.sellSettlement) << c.sell;
        EXPECT_DOUBLE_EQ(res.SettlementTotal, c.buySettlement + c.sellSettlement);
    }
}

TEST(TradeTest, MinimumCommissionPerLeg) {
    struct Case {
        double price, qty;
        double commission; // of the buy leg
    };
    FeeRules r = ShanghaiA();
    r.rates.CommissionRate = 0.001;
    const Case cases[] = {
        {10, 1000, 10},                   // exactly the minimum stays
        {10, 999, 10},                    // 9.99 is raised
        {10, 1001, 10.01}, {0.01, 1, 10}, // a tiny trade still pays the minimum
        {0, 1000, 0},                     // no amount, no commission
    };
    for (const Case& c : cases) {
        const TradeResult res = ComputeTrade(r, Trade(c.price, kEmpty, c.qty));
        EXPECT_DOUBLE_EQ(res.BuyCommission, c.commission) << c.price << " x " << c.qty;
        EXPECT_EQ(res.SellCommission, 0);
    }
}

TEST(TradeTest, TransferFeeMinimum) {
    struct Case {
        double rate, minimum, qty;
        double legTransfer;
    };
    const Case cases[] = {
        {0.001, 1, 1000, 1}, // equal to the minimum
        {0.001, 1, 10, 1},   // below it but not 0: the minimum
        {0.001, 1, 2000, 2}, // above it
        {0, 1, 1000, 0},     // no transfer rate never pays the minimum
        {0.001, 1, 0, 0},    // no shares
    };
    for (const Case& c : cases) {
        FeeRules r = ShanghaiA();
        r.rates.TransferRate = c.rate;
        r.rates.MinTransfer = c.minimum;
        const TradeResult res = ComputeTrade(r, Trade(10, 11, c.qty));
        EXPECT_DOUBLE_EQ(res.LegTransfer, c.legTransfer) << c.rate << " " << c.qty;
        const double expectedTotal = c.qty == 0 ? c.legTransfer : 2 * c.legTransfer;
        EXPECT_DOUBLE_EQ(res.TransferTotal, expectedTotal);
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
        FeeRules r = pick(rng) < 2 ? ShanghaiA() : DefaultB(kShenzhen);
        r.rates.OtherFee = pick(rng);
        r.rates.MinCommission = 5.0 * pick(rng);
        const TradeInput in = Trade(price(rng), price(rng), std::round(qty(rng)));
        const TradeResult res = ComputeTrade(r, in);
        EXPECT_EQ(LegFees(r, in.BuyPrice, in.Quantity), res.BuyLegFees);
        EXPECT_EQ(LegFees(r, in.SellPrice, in.Quantity), res.SellLegFees);
        EXPECT_NEAR(res.FeesTotal, res.BuyLegFees + res.SellLegFees, 1e-9 * res.FeesTotal);
        EXPECT_NEAR(res.NetProfit, res.SellAmount - res.SellLegFees - res.TotalPaid,
                    1e-9 * (res.SellAmount + res.BuyAmount));
    }
}

TEST(TradeTest, BreakEvenIgnoresTheSellPrice) {
    const TradeResult a = ComputeTrade(ShanghaiA(), Trade(10, 11, 1000));
    const TradeResult b = ComputeTrade(ShanghaiA(), Trade(10, 1, 1000));
    ASSERT_TRUE(a.BreakEvenPrice && b.BreakEvenPrice);
    EXPECT_EQ(*a.BreakEvenPrice, *b.BreakEvenPrice);
    EXPECT_EQ(*a.BreakEvenPrice, BreakEvenSellPrice(ShanghaiA(), 10, 1000));
}

TEST(TradeTest, NoBreakEvenWhenSellRatesReachOne) {
    FeeRules r = ShanghaiA();
    r.rates.StampRate = 1;
    const TradeResult res = ComputeTrade(r, Trade(10, 11, 1000));
    EXPECT_FALSE(res.BreakEvenPrice.has_value());
    EXPECT_EQ(PanelRows(Panel::AShare, res)[9].value, kNoBreakEven);
}

} // namespace
} // namespace ym
