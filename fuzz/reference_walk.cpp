// The literal break-even walk, kept out of the fuzzer's coverage instrumentation together
// with the fee function it calls a million times: the walk is the reference, not the code
// under test, and uninstrumented it runs more than twice as fast.
#include "fuzz/reference_walk.h"

namespace ym::fuzz {

testing::ReferenceBreakEven Walk(const FeeRules& rules, double buy, double quantity,
                                 std::int64_t maxSteps) {
    return testing::LiteralBreakEven(rules, buy, quantity, maxSteps);
}

} // namespace ym::fuzz
