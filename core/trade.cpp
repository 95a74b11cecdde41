#include "core/trade.h"
// STUB: to be implemented
namespace ym {
double LegFees(const FeeRules&, double, double) { return 0; }
TradeResult ComputeTrade(const FeeRules&, const TradeInput&) { return {}; }
} // namespace ym
