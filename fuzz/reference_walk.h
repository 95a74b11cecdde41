// The literal walks of the trade and position tests, as the fuzzer's references.
#pragma once

#include "tests/core/position_test_support.h"
#include "tests/core/trade_test_support.h"

#include <cstdint>
#include <optional>

namespace ym::fuzz {

testing::ReferenceBreakEven Walk(const FeeRules& rules, double buy, double quantity,
                                 std::int64_t maxSteps);

std::optional<GridAnswer> Target(const FeeRules& rules, const PriceGrid& grid, double buy,
                                 double quantity, const ProfitGoal& goal, std::int64_t top,
                                 std::int64_t maxSteps);
std::optional<GridAnswer> HoldingBreakEven(const FeeRules& rules, const PriceGrid& grid,
                                           double quantity, double paid, std::int64_t top,
                                           std::int64_t maxSteps);
std::optional<GridAnswer> SwingBuy(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                   double sell, std::int64_t top, std::int64_t maxSteps);
std::optional<GridAnswer> Lots(const FeeRules& rules, const Holding& holding, double price,
                               double target, int lot, std::int64_t mostLots,
                               std::int64_t maxSteps);

} // namespace ym::fuzz
