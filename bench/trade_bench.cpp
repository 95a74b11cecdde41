// Speed of the break-even search against the step-by-step walk it replaces, and of a
// whole trade computation.
#include "core/trade.h"
#include "tests/core/trade_test_support.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace ym::testing;

struct Case {
    ym::ClassicRates rules;
    double buy, qty;
};

// Prices from 0.01 to 999999 and quantities from 1 to 10^8 on A- and B-share rates, kept
// where the walk ends within a bound so that the run stays short.
const std::vector<Case>& WalkableTrades() {
    static const std::vector<Case> trades = [] {
        std::vector<Case> t;
        for (const ym::ClassicRates& rules : {ShanghaiA(), DefaultB()}) {
            for (double buy : {0.01, 0.37, 3.21, 10.0, 57.3, 999.0, 12345.67, 999999.0}) {
                for (double qty : {1.0, 100.0, 10000.0, 1000000.0, 100000000.0}) {
                    if (LiteralBreakEven(rules, buy, qty, 200000).outcome !=
                        ReferenceBreakEven::Outcome::StepsExhausted) {
                        t.push_back({rules, buy, qty});
                    }
                }
            }
        }
        return t;
    }();
    return trades;
}

// Argument 0: the search; 1: the walk.
void BM_BreakEven(benchmark::State& state) {
    for (auto _ : state) {
        for (const Case& t : WalkableTrades()) {
            if (state.range(0) == 0) {
                benchmark::DoNotOptimize(ym::BreakEvenSellPrice(t.rules, t.buy, t.qty));
            } else {
                benchmark::DoNotOptimize(LiteralBreakEven(t.rules, t.buy, t.qty, 1 << 30));
            }
        }
    }
    state.counters["trades"] = static_cast<double>(WalkableTrades().size());
}
BENCHMARK(BM_BreakEven)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ComputeTrade(benchmark::State& state) {
    const ym::ClassicRates r = state.range(0) == 0 ? ShanghaiA() : DefaultB();
    const ym::TradeInput in = Typed(10, 12, state.range(0) == 0 ? 1000 : 200000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::ComputeTrade(r, in));
    }
}
BENCHMARK(BM_ComputeTrade)->Arg(0)->Arg(1);

} // namespace
