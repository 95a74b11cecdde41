// TEMPORARY: naive walks standing in for the solvers until they are merged.
#include "ui/position/core_stubs.h"

#include <array>
#include <cmath>

namespace ym {

namespace {
constexpr std::int64_t kWalk = 200000;
TradeResult At(const FeeRules& rules, double buy, double sell, double q) {
    TradeInput in{buy, sell, q, false, false};
    return ComputeTrade(rules, in);
}
bool Meets(const TradeResult& t, const ProfitGoal& g) {
    return g.kind == GoalKind::Profit ? t.netProfit >= g.value : t.yield >= g.value;
}
} // namespace

std::int64_t HighestSellIndex(const PriceGrid& grid) {
    return 9999999 * grid.ticksPerUnit;
}
std::int64_t HighestBuyIndex(const PriceGrid& grid) {
    return 999999 * grid.ticksPerUnit;
}

GridAnswer TargetSellIndex(const FeeRules& rules, const PriceGrid& grid, double buyPrice,
                           double quantity, const ProfitGoal& goal, std::int64_t top) {
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        if (Meets(At(rules, buyPrice, grid.PriceAt(k), quantity), goal)) {
            return {GridOutcome::Found, k};
        }
    }
    return {};
}

AddedBuy AddToHolding(const FeeRules& rules, const Holding& h, double price, double quantity) {
    AddedBuy a;
    a.fees = LegFees(rules, Side::Buy, price, quantity);
    a.paid = price * quantity + a.fees;
    a.newQuantity = h.quantity + quantity;
    a.totalPaid = h.quantity * h.cost + price * quantity + a.fees;
    a.newCost = a.totalPaid / a.newQuantity;
    return a;
}

GridAnswer HoldingBreakEvenIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                 double paid, std::int64_t top) {
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        const double p = grid.PriceAt(k);
        if (p * quantity - LegFees(rules, Side::Sell, p, quantity) >= paid) {
            return {GridOutcome::Found, k};
        }
    }
    return {};
}

GridAnswer LotsToCost(const FeeRules& rules, const Holding& h, double price, double targetCost,
                      int lot, std::int64_t mostLots) {
    const bool down = price < h.cost;
    for (std::int64_t n = 1; n <= std::min<std::int64_t>(mostLots, 100000); ++n) {
        const double c = AddToHolding(rules, h, price, static_cast<double>(n * lot)).newCost;
        if (down ? c <= targetCost : c >= targetCost) {
            return {GridOutcome::Found, n};
        }
    }
    return {};
}

SwingResult Swing(const FeeRules& rules, const Holding& h, double q, double sell, double buy) {
    SwingResult s;
    s.sellFees = LegFees(rules, Side::Sell, sell, q);
    s.buyFees = LegFees(rules, Side::Buy, buy, q);
    s.gain = sell * q - s.sellFees - (buy * q + s.buyFees);
    s.newCost = h.cost - s.gain / h.quantity;
    return s;
}

GridAnswer SwingSellIndex(const FeeRules& rules, const PriceGrid& grid, double q, double buy,
                          std::int64_t top) {
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        if (Swing(rules, {q, 0}, q, grid.PriceAt(k), buy).gain >= 0) {
            return {GridOutcome::Found, k};
        }
    }
    return {};
}

GridAnswer SwingBuyIndex(const FeeRules& rules, const PriceGrid& grid, double q, double sell,
                         std::int64_t top) {
    std::int64_t best = 0;
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        if (Swing(rules, {q, 0}, q, sell, grid.PriceAt(k)).gain < 0) {
            break;
        }
        best = k;
    }
    return best > 0 ? GridAnswer{GridOutcome::Found, best} : GridAnswer{};
}

} // namespace ym
