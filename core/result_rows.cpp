#include "core/result_rows.h"
// STUB: to be implemented
namespace ym {
Panel PanelForType(int type) { return type == 5 ? Panel::BShare : Panel::AShare; }
ColorSlot ProfitSlot(double) { return kSlotFlat; }
std::vector<ResultRow> PanelRows(Panel, const TradeResult&) { return {}; }
std::vector<ResultRow> ResetRows(Panel) { return {}; }
int NetProfitRow(Panel p) { return p == Panel::AShare ? 5 : 7; }
int YieldRow(Panel p) { return p == Panel::AShare ? 6 : 8; }
} // namespace ym
