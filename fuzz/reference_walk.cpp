// The literal walks, kept out of the fuzzer's coverage instrumentation together with the fee
// function they call a million times: the walks are the references, not the code under
// test, and uninstrumented they run more than twice as fast.
#include "fuzz/reference_walk.h"

namespace ym::fuzz {

testing::ReferenceBreakEven Walk(const FeeRules& rules, double buy, double quantity,
                                 std::int64_t maxSteps) {
    return testing::LiteralBreakEven(rules, buy, quantity, maxSteps);
}

std::optional<GridAnswer> Target(const FeeRules& rules, const PriceGrid& grid, double buy,
                                 double quantity, const ProfitGoal& goal, std::int64_t top,
                                 std::int64_t maxSteps) {
    return testing::LiteralTarget(rules, grid, buy, quantity, goal, top, maxSteps);
}

std::optional<GridAnswer> HoldingBreakEven(const FeeRules& rules, const PriceGrid& grid,
                                           double quantity, double paid, std::int64_t top,
                                           std::int64_t maxSteps) {
    return testing::LiteralHoldingBreakEven(rules, grid, quantity, paid, top, maxSteps);
}

std::optional<GridAnswer> SwingBuy(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                   double sell, std::int64_t top, std::int64_t maxSteps) {
    return testing::LiteralSwingBuy(rules, grid, quantity, sell, top, maxSteps);
}

std::optional<GridAnswer> Lots(const FeeRules& rules, const Holding& holding, double price,
                               double target, int lot, std::int64_t mostLots,
                               std::int64_t maxSteps) {
    return testing::LiteralLots(rules, holding, price, target, lot, mostLots, maxSteps);
}

} // namespace ym::fuzz
