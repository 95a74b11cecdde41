#include "core/result_rows.h"

#include "core/number_text.h"

#include <array>
#include <span>

namespace ym {

namespace {

enum class RowKind { Yuan, Percent, BreakEven };

// One row of a result panel: its caption, the result it shows, how the value is written
// and the colour slot it has while no profit colours it. The A-share panel has no rows for
// the handling and regulatory fees (only the official rules charge them on its types): its
// 其它 row shows them with the other charges.
struct RowSpec {
    std::string_view caption;
    double TradeResult::*field;
    RowKind kind;
    ColorSlot slot;
    bool profitRow;
    bool withExchangeFees = false;
};

constexpr std::array<RowSpec, 10> kARows{{
    {"佣      金：", &TradeResult::commissionTotal, RowKind::Yuan, kSlotNormal, false},
    {"印  花  税：", &TradeResult::stampTotal, RowKind::Yuan, kSlotNormal, false},
    {"过  户  费：", &TradeResult::transferTotal, RowKind::Yuan, kSlotNormal, false},
    {"其      它：", &TradeResult::otherTotal, RowKind::Yuan, kSlotNormal, false, true},
    {"手续费合计：", &TradeResult::feesTotal, RowKind::Yuan, kSlotLoss, false},
    {"纯  利  润：", &TradeResult::netProfit, RowKind::Yuan, kSlotFlat, true},
    {"收  益  率：", &TradeResult::yield, RowKind::Percent, kSlotFlat, true},
    {"实付总金额：", &TradeResult::totalPaid, RowKind::Yuan, kSlotNormal, false},
    {"实收总金额：", &TradeResult::totalReceived, RowKind::Yuan, kSlotNormal, false},
    {"保本卖出价：", nullptr, RowKind::BreakEven, kSlotBreakEven, false},
}};

constexpr std::array<RowSpec, 12> kBRows{{
    {"佣      金：", &TradeResult::commissionTotal, RowKind::Yuan, kSlotNormal, false},
    {"印  花  税：", &TradeResult::stampTotal, RowKind::Yuan, kSlotNormal, false},
    {"结  算  费：", &TradeResult::settlementTotal, RowKind::Yuan, kSlotNormal, false},
    {"交易经手费：", &TradeResult::handlingTotal, RowKind::Yuan, kSlotNormal, false},
    {"证  管  费：", &TradeResult::regulatorTotal, RowKind::Yuan, kSlotNormal, false},
    {"其      它：", &TradeResult::otherTotal, RowKind::Yuan, kSlotNormal, false},
    {"手续费合计：", &TradeResult::feesTotal, RowKind::Yuan, kSlotLoss, false},
    {"纯  利  润：", &TradeResult::netProfit, RowKind::Yuan, kSlotFlat, true},
    {"收  益  率：", &TradeResult::yield, RowKind::Percent, kSlotFlat, true},
    {"实付总金额：", &TradeResult::totalPaid, RowKind::Yuan, kSlotNormal, false},
    {"实收总金额：", &TradeResult::totalReceived, RowKind::Yuan, kSlotNormal, false},
    {"保本卖出价：", nullptr, RowKind::BreakEven, kSlotBreakEven, false},
}};

std::span<const RowSpec> RowsOf(Panel panel) {
    if (panel == Panel::BShare) {
        return kBRows;
    }
    return kARows;
}

int IndexOf(Panel panel, double TradeResult::*field) {
    const std::span<const RowSpec> rows = RowsOf(panel);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].field == field) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string ValueText(const RowSpec& row, const TradeResult& result) {
    switch (row.kind) {
    case RowKind::Percent:
        return FormatMask(result.*row.field, kPercentMask);
    case RowKind::BreakEven:
        if (!result.breakEvenPrice) {
            return std::string(kNoBreakEven);
        }
        return FormatMask(*result.breakEvenPrice, kYuanMask);
    case RowKind::Yuan:
        break;
    }
    if (row.withExchangeFees) {
        return FormatMask((result.handlingTotal + result.regulatorTotal) + result.*row.field,
                          kYuanMask);
    }
    return FormatMask(result.*row.field, kYuanMask);
}

} // namespace

Panel PanelForType(std::optional<SecurityType> type) {
    return type == SecurityType::BShare ? Panel::BShare : Panel::AShare;
}

ColorSlot ProfitSlot(double netProfit) {
    if (netProfit > 0) {
        return kSlotProfit;
    }
    if (netProfit < 0) {
        return kSlotLoss;
    }
    return kSlotFlat;
}

std::vector<ResultRow> PanelRows(Panel panel, const TradeResult& result) {
    std::vector<ResultRow> rows;
    const ColorSlot profitSlot = ProfitSlot(result.netProfit);
    for (const RowSpec& row : RowsOf(panel)) {
        rows.push_back(
            {row.caption, ValueText(row, result), row.profitRow ? profitSlot : row.slot});
    }
    return rows;
}

std::vector<ResultRow> ResetRows(Panel panel) {
    std::vector<ResultRow> rows;
    for (const RowSpec& row : RowsOf(panel)) {
        rows.push_back({row.caption,
                        FormatMask(0.0, row.kind == RowKind::Percent ? kPercentMask : kYuanMask),
                        row.profitRow ? kSlotFlat : row.slot});
    }
    return rows;
}

int NetProfitRow(Panel panel) {
    return IndexOf(panel, &TradeResult::netProfit);
}
int YieldRow(Panel panel) {
    return IndexOf(panel, &TradeResult::yield);
}

} // namespace ym
