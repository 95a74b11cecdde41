// TEMPORARY: stand-ins for the position solvers until they are merged; removed then.
#pragma once

#include "core/fee_schedule.h"
#include "core/price_grid.h"
#include "core/trade.h"

#include <cstdint>

namespace ym {

enum class GoalKind : std::uint8_t { Profit, Yield };
struct ProfitGoal {
    GoalKind kind = GoalKind::Profit;
    double value = 0;
};
enum class GridOutcome : std::uint8_t { Found, Unreachable, Undecided };
struct GridAnswer {
    GridOutcome outcome = GridOutcome::Unreachable;
    std::int64_t index = 0;
};
std::int64_t HighestSellIndex(const PriceGrid& grid);
std::int64_t HighestBuyIndex(const PriceGrid& grid);
GridAnswer TargetSellIndex(const FeeRules& rules, const PriceGrid& grid, double buyPrice,
                           double quantity, const ProfitGoal& goal, std::int64_t top);
struct Holding {
    double quantity = 0;
    double cost = 0;
};
struct AddedBuy {
    double fees = 0, paid = 0, newQuantity = 0, totalPaid = 0, newCost = 0;
};
AddedBuy AddToHolding(const FeeRules& rules, const Holding& holding, double price, double quantity);
GridAnswer HoldingBreakEvenIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                 double paid, std::int64_t top);
GridAnswer LotsToCost(const FeeRules& rules, const Holding& holding, double price,
                      double targetCost, int lot, std::int64_t mostLots);
struct SwingResult {
    double sellFees = 0, buyFees = 0, gain = 0, newCost = 0;
};
SwingResult Swing(const FeeRules& rules, const Holding& holding, double quantity, double sellPrice,
                  double buyPrice);
GridAnswer SwingSellIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                          double buyPrice, std::int64_t top);
GridAnswer SwingBuyIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                         double sellPrice, std::int64_t top);

} // namespace ym
