// The position tools: the sell price that reaches a profit or a stop, adding to a holding
// (补仓 / 加仓) and the same-day swing (做T). Every leg is priced through the one fee function,
// so each tool charges exactly what the calculator charges; every price a tool proposes lies on
// the grid of the security type and every quantity is whole lots, and each is the one a literal
// walk over the grid (or over the lots) finds.
#pragma once

#include "core/fee_schedule.h"
#include "core/price_grid.h"
#include "core/trade.h"

#include <cstdint>

namespace ym {

// What a round trip must reach: a net profit in yuan, or a yield (net profit ÷ total paid, as
// the 收益率 row). Either may be negative: a stop ("lose no more than").
enum class GoalKind : std::uint8_t { Profit, Yield };
struct ProfitGoal {
    GoalKind kind = GoalKind::Profit;
    double value = 0;
};

// Whether a computed round trip meets the goal. A yield goal needs a purchase that costs
// something (hand-edited negative fees can make it cost nothing or less).
bool MeetsGoal(const TradeResult& trade, const ProfitGoal& goal);

enum class GridOutcome : std::uint8_t {
    Found,       // at `index`
    Unreachable, // no grid price (no quantity within the limit) does it: "无法达到"
    // The condition stays within rounding noise of its bound over more prices than the search
    // tries one by one (sell-leg rates adding up to 1 within about 1e-9): nothing is claimed.
    Undecided,
};
struct GridAnswer {
    GridOutcome outcome = GridOutcome::Unreachable;
    std::int64_t index = 0; // a grid index (price = grid.PriceAt(index)) or a number of lots
};

// The highest grid price the sell field holds (9999999) and the buy field admits
// (kBuyPriceLimit): the tops of the grids the tools search.
std::int64_t HighestSellIndex(const PriceGrid& grid);
std::int64_t HighestBuyIndex(const PriceGrid& grid);

// Target and stop price: the lowest grid index k in [1, top] from which on (at k and at every
// grid price above it up to `top`) the round trip bought at `buyPrice` meets `goal`.
// Unreachable when it fails at `top` (sell-leg rates adding up to 1 or more, or a target
// beyond the highest price).
GridAnswer TargetSellIndex(const FeeRules& rules, const PriceGrid& grid, double buyPrice,
                           double quantity, const ProfitGoal& goal, std::int64_t top);

// A holding: shares held and their cost price (per share, fees included).
struct Holding {
    double quantity = 0;
    double cost = 0;
};

// One purchase added to a holding.
struct AddedBuy {
    double fees = 0;        // the added buy leg's fees
    double paid = 0;        // its amount plus fees
    double newQuantity = 0; // held + added
    double totalPaid = 0;   // held × cost + price × quantity + fees: everything paid
    double newCost = 0;     // totalPaid ÷ newQuantity
};
AddedBuy AddToHolding(const FeeRules& rules, const Holding& holding, double price, double quantity);

// The break-even of a whole holding: the lowest grid index in [1, top] from which on selling
// `quantity` receives (amount less the sell leg's fees) at least `paid`.
GridAnswer HoldingBreakEvenIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                 double paid, std::int64_t top);

// The smallest number of lots n in [1, mostLots] whose purchase at `price` brings the cost
// price down to `targetCost` or below (a price below the cost), or up to it or above (a
// price at or above the cost).
GridAnswer LotsToCost(const FeeRules& rules, const Holding& holding, double price,
                      double targetCost, int lot, std::int64_t mostLots);

// The same-day swing: `quantity` of the held shares sold and bought back (in either order).
struct SwingResult {
    double sellFees = 0;
    double buyFees = 0;
    double gain = 0;    // after fees: the net profit of the round trip
    double newCost = 0; // cost − gain ÷ held quantity
};
SwingResult Swing(const FeeRules& rules, const Holding& holding, double quantity, double sellPrice,
                  double buyPrice);

// Given the buy-back price: the lowest grid sell index from which on (up to `top`) the gain is
// at least 0. Given the sell price: the highest grid buy-back index in [1, top] at which, and
// at every grid price below it, the gain is at least 0.
GridAnswer SwingSellIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                          double buyPrice, std::int64_t top);
GridAnswer SwingBuyIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                         double sellPrice, std::int64_t top);

} // namespace ym
