#include "core/trade.h"
// STUB: to be implemented
namespace ym {
std::optional<double> BreakEvenSellPrice(const FeeRules&, double, double) { return 0.0; }
} // namespace ym
