// The rows of the two result panels, derived from a trade result: caption, value text
// and colour slot, so that a window only copies them into its labels.
#pragma once

#include "core/display_scheme.h"
#include "core/trade.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ym {

enum class Panel { AShare, BShare };

struct ResultRow {
    std::string_view caption;
    std::string value;
    ColorSlot slot;
};

inline constexpr std::string_view kNoBreakEven = "无法保本";

// The panel that shows a security type: B shares have their own.
Panel PanelForType(std::optional<SecurityType> type);

// The slot of the net-profit and yield rows for a profit.
ColorSlot ProfitSlot(double netProfit);

// Rows of a panel after a calculation (10 for the A-share panel, 12 for the B-share one).
std::vector<ResultRow> PanelRows(Panel panel, const TradeResult& result);
// Rows of a panel after a reset: every value "0.00元", the yield "0.00 %", profit rows flat.
std::vector<ResultRow> ResetRows(Panel panel);
// The index of the net-profit and the yield row of a panel.
int NetProfitRow(Panel panel);
int YieldRow(Panel panel);

} // namespace ym
