// Speed of the break-even search against the step-by-step walk it replaces, and of a
// whole trade computation.
#include "core/trade.h"
#include "tests/core/break_even_reference.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using ym::FeeRules;

FeeRules ShanghaiA() {
    FeeRules r;
    r.CurMarket = ym::kShanghai;
    r.rates.CommissionRate = 0.0035;
    r.rates.MinCommission = 10;
    r.rates.StampRate = 0.004;
    r.rates.TransferRate = 0.001;
    r.rates.MinTransfer = 1;
    return r;
}

FeeRules ShenzhenB() {
    FeeRules r;
    r.CurMarket = ym::kShenzhen;
    r.SettlementCap = 500;
    r.rates.CommissionRate = 0.0043;
    r.rates.StampRate = 0.003;
    r.rates.SettlementRate = 0.0005;
    r.rates.HandlingRate = 0.0003;
    r.rates.RegulatorRate = 0.000046;
    return r;
}

struct Trade {
    FeeRules rules;
    double buy;
    double qty;
    std::int64_t walkSteps; // steps the walk takes
};

// The walk is only run where it ends within this many steps, so that the whole run stays
// short; the fast search runs on every trade.
constexpr std::int64_t kWalkLimit = 200000;

const std::vector<Trade>& AllTrades() {
    static const std::vector<Trade> trades = [] {
        std::vector<Trade> t;
        const double prices[] = {0.01, 0.37, 3.21, 10, 57.3, 999, 12345.67, 999999};
        const double quantities[] = {1, 100, 10000, 1000000, 100000000};
        for (const FeeRules& rules : {ShanghaiA(), ShenzhenB()}) {
            for (double buy : prices) {
                for (double qty : quantities) {
                    const auto walk = ym::testing::LiteralBreakEven(rules, buy, qty, 1 << 30);
                    t.push_back({rules, buy, qty, walk.steps});
                }
            }
        }
        return t;
    }();
    return trades;
}

std::vector<Trade> WalkableTrades() {
    std::vector<Trade> t;
    for (const Trade& trade : AllTrades()) {
        if (trade.walkSteps <= kWalkLimit) {
            t.push_back(trade);
        }
    }
    return t;
}

void BM_BreakEvenFast_AllTrades(benchmark::State& state) {
    const std::vector<Trade>& trades = AllTrades();
    for (auto _ : state) {
        for (const Trade& t : trades) {
            benchmark::DoNotOptimize(ym::BreakEvenSellPrice(t.rules, t.buy, t.qty));
        }
    }
    state.counters["trades"] = static_cast<double>(trades.size());
    state.counters["per_trade_ns"] = benchmark::Counter(
        static_cast<double>(trades.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BreakEvenFast_AllTrades)->Unit(benchmark::kMicrosecond);

void BM_BreakEvenFast_WalkableTrades(benchmark::State& state) {
    const std::vector<Trade> trades = WalkableTrades();
    for (auto _ : state) {
        for (const Trade& t : trades) {
            benchmark::DoNotOptimize(ym::BreakEvenSellPrice(t.rules, t.buy, t.qty));
        }
    }
    state.counters["trades"] = static_cast<double>(trades.size());
}
BENCHMARK(BM_BreakEvenFast_WalkableTrades)->Unit(benchmark::kMicrosecond);

void BM_BreakEvenWalk_WalkableTrades(benchmark::State& state) {
    const std::vector<Trade> trades = WalkableTrades();
    std::int64_t steps = 0;
    for (const Trade& t : trades) {
        steps += t.walkSteps;
    }
    for (auto _ : state) {
        for (const Trade& t : trades) {
            benchmark::DoNotOptimize(ym::testing::LiteralBreakEven(t.rules, t.buy, t.qty, 1 << 30));
        }
    }
    state.counters["trades"] = static_cast<double>(trades.size());
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_BreakEvenWalk_WalkableTrades)->Unit(benchmark::kMicrosecond);

// Single trades: the worked example, a small trade whose minimum commission puts the
// break-even far above the buy price, and the largest price.
void BM_BreakEvenFast_One(benchmark::State& state) {
    FeeRules r = ShanghaiA();
    double buy = 10, qty = 1000;
    if (state.range(0) == 1) {
        buy = 0.01;
        qty = 1;
    } else if (state.range(0) == 2) {
        buy = 999999;
        qty = 100;
    } else if (state.range(0) == 3) {
        // Sell-leg rates summing to 1 and a loss within rounding noise of zero: the search
        // spends its whole budget of single steps.
        r = FeeRules{};
        r.rates.CommissionRate = 0.5;
        r.rates.StampRate = 0.5;
        r.rates.OtherFee = -buy * qty * (1 - 1e-12);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::BreakEvenSellPrice(r, buy, qty));
    }
}
BENCHMARK(BM_BreakEvenFast_One)->Arg(0)->Arg(1)->Arg(2)->Arg(3);

void BM_BreakEvenWalk_One(benchmark::State& state) {
    FeeRules r = ShanghaiA();
    double buy = 10, qty = 1000;
    if (state.range(0) == 1) {
        buy = 0.01;
        qty = 1;
    } else if (state.range(0) == 2) {
        buy = 999999;
        qty = 100;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::testing::LiteralBreakEven(r, buy, qty, 1 << 30));
    }
}
BENCHMARK(BM_BreakEvenWalk_One)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_ComputeTrade(benchmark::State& state) {
    const FeeRules r = state.range(0) == 0 ? ShanghaiA() : ShenzhenB();
    ym::TradeInput in;
    in.BuyPrice = 10;
    in.SellPrice = 12;
    in.Quantity = state.range(0) == 0 ? 1000 : 200000;
    in.BuyFieldEmpty = false;
    in.SellFieldEmpty = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::ComputeTrade(r, in));
    }
}
BENCHMARK(BM_ComputeTrade)->Arg(0)->Arg(1);

} // namespace
