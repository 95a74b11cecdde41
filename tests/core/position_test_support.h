// The literal walks that define the position tools' answers: every grid price (every number of
// lots) tried in turn, as a user with a calculator would. Slow but obviously right; the
// searches must agree with them exactly. nullopt when a walk needs more than `maxSteps`.
#pragma once

#include "core/position_tools.h"

#include <cstdint>
#include <optional>

namespace ym::testing {

inline TradeInput BothLegs(double buy, double sell, double quantity) {
    TradeInput in;
    in.buyPrice = buy;
    in.sellPrice = sell;
    in.quantity = quantity;
    in.buyFieldEmpty = false;
    in.sellFieldEmpty = false;
    return in;
}

// Down from `top`: the answer is just above the first price that fails.
template <class Meets>
std::optional<GridAnswer> WalkDown(std::int64_t top, std::int64_t maxSteps, Meets meets) {
    for (std::int64_t k = top; k >= 1; --k) {
        if (top - k == maxSteps) {
            return std::nullopt;
        }
        if (!meets(k)) {
            return k == top ? GridAnswer{GridOutcome::Unreachable, 0}
                            : GridAnswer{GridOutcome::Found, k + 1};
        }
    }
    return GridAnswer{GridOutcome::Found, 1};
}

inline std::optional<GridAnswer> LiteralTarget(const FeeRules& rules, const PriceGrid& grid,
                                               double buy, double quantity, const ProfitGoal& goal,
                                               std::int64_t top, std::int64_t maxSteps) {
    return WalkDown(top, maxSteps, [&](std::int64_t k) {
        return MeetsGoal(ComputeRoundTrip(rules, BothLegs(buy, grid.PriceAt(k), quantity)), goal);
    });
}

inline std::optional<GridAnswer> LiteralHoldingBreakEven(const FeeRules& rules,
                                                         const PriceGrid& grid, double quantity,
                                                         double paid, std::int64_t top,
                                                         std::int64_t maxSteps) {
    return WalkDown(top, maxSteps, [&](std::int64_t k) {
        const LegCharges leg = ChargeLeg(rules, Side::Sell, grid.PriceAt(k), quantity);
        return leg.amount - leg.total >= paid;
    });
}

// Up from the lowest price: the answer is just below the first buy-back price that loses.
inline std::optional<GridAnswer> LiteralSwingBuy(const FeeRules& rules, const PriceGrid& grid,
                                                 double quantity, double sell, std::int64_t top,
                                                 std::int64_t maxSteps) {
    for (std::int64_t k = 1; k <= top; ++k) {
        if (k > maxSteps) {
            return std::nullopt;
        }
        if (ComputeRoundTrip(rules, BothLegs(grid.PriceAt(k), sell, quantity)).netProfit < 0) {
            return k == 1 ? GridAnswer{GridOutcome::Unreachable, 0}
                          : GridAnswer{GridOutcome::Found, k - 1};
        }
    }
    return GridAnswer{GridOutcome::Found, top};
}

inline std::optional<GridAnswer> LiteralLots(const FeeRules& rules, const Holding& holding,
                                             double price, double target, int lot,
                                             std::int64_t mostLots, std::int64_t maxSteps) {
    for (std::int64_t n = 1; n <= mostLots; ++n) {
        if (n > maxSteps) {
            return std::nullopt;
        }
        const double cost =
            AddToHolding(rules, holding, price, static_cast<double>(n) * lot).newCost;
        if (price < holding.cost ? cost <= target : cost >= target) {
            return GridAnswer{GridOutcome::Found, n};
        }
    }
    return GridAnswer{GridOutcome::Unreachable, 0};
}

} // namespace ym::testing
