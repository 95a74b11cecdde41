// The break-even walk of the trade tests, as the fuzzer's reference.
#pragma once

#include "tests/core/trade_test_support.h"

#include <cstdint>

namespace ym::fuzz {

testing::ReferenceBreakEven Walk(const FeeRules& rules, double buy, double quantity,
                                 std::int64_t maxSteps);

} // namespace ym::fuzz
