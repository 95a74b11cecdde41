// The rows of the two result panels: captions, values and colour slots.
#include "core/result_rows.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace ym {
namespace {

constexpr std::array<std::string_view, 10> kACaptions{
    "佣      金：", "印  花  税：", "过  户  费：", "其      它：", "手续费合计：",
    "纯  利  润：", "收  益  率：", "实付总金额：", "实收总金额：", "保本卖出价："};
constexpr std::array<std::string_view, 12> kBCaptions{
    "佣      金：", "印  花  税：", "结  算  费：", "交易经手费：", "证  管  费：", "其      它：",
    "手续费合计：", "纯  利  润：", "收  益  率：", "实付总金额：", "实收总金额：", "保本卖出价："};

// The colour each row has when the net profit is 0: fee rows normal, the fees total in
// the loss colour, profit rows flat, the break-even row its own.
constexpr std::array<ColorSlot, 10> kASlots{kSlotNormal, kSlotNormal,   kSlotNormal, kSlotNormal,
                                            kSlotLoss,   kSlotFlat,     kSlotFlat,   kSlotNormal,
                                            kSlotNormal, kSlotBreakEven};
constexpr std::array<ColorSlot, 12> kBSlots{kSlotNormal, kSlotNormal, kSlotNormal, kSlotNormal,
                                            kSlotNormal, kSlotNormal, kSlotLoss,   kSlotFlat,
                                            kSlotFlat,   kSlotNormal, kSlotNormal, kSlotBreakEven};

// A result whose every field is distinct, so that a row showing the wrong field shows.
TradeResult Distinct() {
    TradeResult r;
    r.CommissionTotal = 1.01;
    r.StampTotal = 2.02;
    r.SettlementTotal = 3.03;
    r.HandlingTotal = 4.04;
    r.RegulatorTotal = 5.05;
    r.TransferTotal = 6.06;
    r.OtherTotal = 7.07;
    r.FeesTotal = 8.08;
    r.NetProfit = 1234.5;
    r.Yield = 0.0909;
    r.TotalPaid = 10.1;
    r.TotalReceived = 11.11;
    r.BreakEvenPrice = 12.12;
    r.BuyLegFees = 13.13;
    r.SellLegFees = 14.14;
    r.LegTransfer = 15.15;
    return r;
}

TEST(ResultRowsTest, APanelShowsEachResultInItsRow) {
    const std::array<std::string_view, 10> values{"1.01元",  "2.02元",     "6.06元", "7.07元",
                                                  "8.08元",  "1,234.50元", "9.09 %", "10.10元",
                                                  "11.11元", "12.12元"};
    const std::vector<ResultRow> rows = PanelRows(Panel::AShare, Distinct());
    ASSERT_EQ(rows.size(), 10u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].caption, kACaptions[i]) << i;
        EXPECT_EQ(rows[i].value, values[i]) << i;
    }
}

TEST(ResultRowsTest, BPanelShowsEachResultInItsRow) {
    const std::array<std::string_view, 12> values{"1.01元", "2.02元",  "3.03元",  "4.04元",
                                                  "5.05元", "7.07元",  "8.08元",  "1,234.50元",
                                                  "9.09 %", "10.10元", "11.11元", "12.12元"};
    const std::vector<ResultRow> rows = PanelRows(Panel::BShare, Distinct());
    ASSERT_EQ(rows.size(), 12u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].caption, kBCaptions[i]) << i;
        EXPECT_EQ(rows[i].value, values[i]) << i;
    }
}

TEST(ResultRowsTest, ProfitRowsTakeTheColourOfTheProfit) {
    struct Case {
        double profit;
        ColorSlot slot;
    };
    const Case cases[] = {
        {840.5, kSlotProfit}, {0.001, kSlotProfit}, {0, kSlotFlat},
        {-0.0, kSlotFlat},    {-0.001, kSlotLoss},  {-1144.5, kSlotLoss},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProfitSlot(c.profit), c.slot) << c.profit;
        TradeResult r = Distinct();
        r.NetProfit = c.profit;
        for (Panel panel : {Panel::AShare, Panel::BShare}) {
            const std::vector<ResultRow> rows = PanelRows(panel, r);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const bool profitRow = static_cast<int>(i) == NetProfitRow(panel) ||
                                       static_cast<int>(i) == YieldRow(panel);
                const ColorSlot base = panel == Panel::AShare ? kASlots[i] : kBSlots[i];
                EXPECT_EQ(rows[i].slot, profitRow ? c.slot : base) << c.profit << " row " << i;
            }
        }
    }
}

TEST(ResultRowsTest, ProfitAndYieldRowIndexes) {
    EXPECT_EQ(NetProfitRow(Panel::AShare), 5);
    EXPECT_EQ(YieldRow(Panel::AShare), 6);
    EXPECT_EQ(NetProfitRow(Panel::BShare), 7);
    EXPECT_EQ(YieldRow(Panel::BShare), 8);
}

TEST(ResultRowsTest, NoBreakEvenPriceIsSaidInWords) {
    TradeResult r = Distinct();
    r.BreakEvenPrice = std::nullopt;
    EXPECT_EQ(PanelRows(Panel::AShare, r)[9].value, "无法保本");
    EXPECT_EQ(PanelRows(Panel::BShare, r)[11].value, "无法保本");
    EXPECT_EQ(PanelRows(Panel::AShare, r)[9].slot, kSlotBreakEven);
}

TEST(ResultRowsTest, NegativeValuesKeepTheirSign) {
    TradeResult r;
    r.NetProfit = -1144.5;
    r.Yield = -0.11357;
    r.TotalReceived = -1;
    const std::vector<ResultRow> rows = PanelRows(Panel::AShare, r);
    EXPECT_EQ(rows[5].value, "-1,144.50元");
    EXPECT_EQ(rows[6].value, "-11.36 %");
    EXPECT_EQ(rows[8].value, "-1.00元");
}

TEST(ResultRowsTest, ResetShowsZerosInTheRestingColours) {
    struct Case {
        Panel panel;
        std::size_t count;
    };
    for (const Case& c : {Case{Panel::AShare, 10}, Case{Panel::BShare, 12}}) {
        const std::vector<ResultRow> rows = ResetRows(c.panel);
        ASSERT_EQ(rows.size(), c.count);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const bool yield = static_cast<int>(i) == YieldRow(c.panel);
            EXPECT_EQ(rows[i].value, yield ? "0.00 %" : "0.00元") << i;
            const ColorSlot base = c.panel == Panel::AShare ? kASlots[i] : kBSlots[i];
            EXPECT_EQ(rows[i].slot, base) << i;
            EXPECT_EQ(rows[i].caption, c.panel == Panel::AShare ? kACaptions[i] : kBCaptions[i]);
        }
    }
}

TEST(ResultRowsTest, OnlyBSharesUseTheBPanel) {
    struct Case {
        int type;
        Panel panel;
    };
    const Case cases[] = {{kTypeAShare, Panel::AShare},
                          {kTypeBond, Panel::AShare},
                          {kTypeFund, Panel::AShare},
                          {kTypeInvestmentFund, Panel::AShare},
                          {kTypeBShare, Panel::BShare}};
    for (const Case& c : cases) {
        EXPECT_EQ(PanelForType(c.type), c.panel) << c.type;
    }
}

} // namespace
} // namespace ym
