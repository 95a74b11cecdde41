// The rows of the two result panels: captions, values and colour slots.
#include "core/result_rows.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

namespace ym {
namespace {

struct PanelCase {
    Panel panel;
    std::vector<std::string_view> captions;
    // The values of Distinct() in their rows.
    std::vector<std::string_view> values;
    // The colour of each row when the net profit is 0: fee rows normal, the fees total in
    // the loss colour, profit rows flat, the break-even row its own.
    std::vector<ColorSlot> restingSlots;
    int profitRow, yieldRow;
};

const PanelCase kPanels[] = {
    {Panel::AShare,
     {"佣      金：", "印  花  税：", "过  户  费：", "其      它：", "手续费合计：",
      "纯  利  润：", "收  益  率：", "实付总金额：", "实收总金额：", "保本卖出价："},
     {"1.01元", "2.02元", "6.06元", "7.07元", "8.08元", "1,234.50元", "9.09 %", "10.10元",
      "11.11元", "12.12元"},
     {kSlotNormal, kSlotNormal, kSlotNormal, kSlotNormal, kSlotLoss, kSlotFlat, kSlotFlat,
      kSlotNormal, kSlotNormal, kSlotBreakEven},
     5,
     6},
    {Panel::BShare,
     {"佣      金：", "印  花  税：", "结  算  费：", "交易经手费：", "证  管  费：",
      "其      它：", "手续费合计：", "纯  利  润：", "收  益  率：", "实付总金额：",
      "实收总金额：", "保本卖出价："},
     {"1.01元", "2.02元", "3.03元", "4.04元", "5.05元", "7.07元", "8.08元", "1,234.50元", "9.09 %",
      "10.10元", "11.11元", "12.12元"},
     {kSlotNormal, kSlotNormal, kSlotNormal, kSlotNormal, kSlotNormal, kSlotNormal, kSlotLoss,
      kSlotFlat, kSlotFlat, kSlotNormal, kSlotNormal, kSlotBreakEven},
     7,
     8},
};

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

TEST(ResultRowsTest, EachResultInItsRowUnderItsCaption) {
    for (const PanelCase& p : kPanels) {
        EXPECT_EQ(NetProfitRow(p.panel), p.profitRow);
        EXPECT_EQ(YieldRow(p.panel), p.yieldRow);
        const std::vector<ResultRow> rows = PanelRows(p.panel, Distinct());
        ASSERT_EQ(rows.size(), p.values.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].caption, p.captions[i]) << i;
            EXPECT_EQ(rows[i].value, p.values[i]) << i;
        }
        TradeResult none = Distinct();
        none.BreakEvenPrice = std::nullopt;
        const ResultRow last = PanelRows(p.panel, none).back();
        EXPECT_EQ(last.value, "无法保本");
        EXPECT_EQ(last.slot, kSlotBreakEven);
    }
}

TEST(ResultRowsTest, ProfitRowsTakeTheColourOfTheProfit) {
    struct Case {
        double profit;
        ColorSlot slot;
    };
    const Case cases[] = {{840.5, kSlotProfit},
                          {0.001, kSlotProfit},
                          {0, kSlotFlat},
                          {-0.0, kSlotFlat},
                          {-0.001, kSlotLoss}};
    for (const Case& c : cases) {
        EXPECT_EQ(ProfitSlot(c.profit), c.slot) << c.profit;
        TradeResult r = Distinct();
        r.NetProfit = c.profit;
        for (const PanelCase& p : kPanels) {
            const std::vector<ResultRow> rows = PanelRows(p.panel, r);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const bool profitRow =
                    static_cast<int>(i) == p.profitRow || static_cast<int>(i) == p.yieldRow;
                EXPECT_EQ(rows[i].slot, profitRow ? c.slot : p.restingSlots[i])
                    << c.profit << " row " << i;
            }
        }
    }
}

TEST(ResultRowsTest, ResetShowsZerosInTheRestingColours) {
    for (const PanelCase& p : kPanels) {
        const std::vector<ResultRow> rows = ResetRows(p.panel);
        ASSERT_EQ(rows.size(), p.captions.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].value, static_cast<int>(i) == p.yieldRow ? "0.00 %" : "0.00元") << i;
            EXPECT_EQ(rows[i].slot, p.restingSlots[i]) << i;
            EXPECT_EQ(rows[i].caption, p.captions[i]) << i;
        }
    }
}

TEST(ResultRowsTest, OnlyBSharesUseTheBPanel) {
    for (SecurityType type : {SecurityType::AShare, SecurityType::Bond, SecurityType::Fund,
                              SecurityType::InvestmentFund}) {
        EXPECT_EQ(PanelForType(type), Panel::AShare) << NumberOf(type);
    }
    EXPECT_EQ(PanelForType(SecurityType::BShare), Panel::BShare);
}

} // namespace
} // namespace ym
