// Speed of the break-even search against the step-by-step walk it replaces, for both fee
// models, on ordinary trades and on the parameter sets that are hardest for it; and of a
// whole trade computation.
#include "core/official_rules.h"
#include "core/trade.h"
#include "tests/core/trade_test_support.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace ym::testing;

struct Case {
    ym::FeeRules rules;
    double buy, qty;
};

ym::FeeRules Official(ym::Market market, ym::SecurityType type) {
    return *ym::OfficialFeeRules({2026, 12, 6}, market, type, ym::BrokerTerms{});
}

// Prices from 0.01 to 999999 and quantities from 1 to 10^8 on A- and B-share rates, kept
// where the walk ends within a bound so that the run stays short.
const std::vector<Case>& WalkableTrades(bool official) {
    static const auto make = [](bool official) {
        std::vector<Case> t;
        const std::vector<ym::FeeRules> rules =
            official ? std::vector<ym::FeeRules>{Official(ym::Market::Shanghai,
                                                          ym::SecurityType::AShare),
                                                 Official(ym::Market::Shenzhen,
                                                          ym::SecurityType::BShare)}
                     : std::vector<ym::FeeRules>{ShanghaiA(), DefaultB()};
        for (const ym::FeeRules& r : rules) {
            for (double buy : {0.01, 0.37, 3.21, 10.0, 57.3, 999.0, 12345.67, 999999.0}) {
                for (double qty : {1.0, 100.0, 10000.0, 1000000.0, 100000000.0}) {
                    if (LiteralBreakEven(r, buy, qty, 200000).outcome !=
                        ReferenceBreakEven::Outcome::StepsExhausted) {
                        t.push_back({r, buy, qty});
                    }
                }
            }
        }
        return t;
    };
    static const std::vector<Case> classic = make(false);
    static const std::vector<Case> officialTrades = make(true);
    return official ? officialTrades : classic;
}

// Argument 0: classic, 1: official; argument 1: 0 the search, 1 the walk.
void BM_BreakEven(benchmark::State& state) {
    const std::vector<Case>& trades = WalkableTrades(state.range(0) == 1);
    for (auto _ : state) {
        for (const Case& t : trades) {
            if (state.range(1) == 0) {
                benchmark::DoNotOptimize(ym::BreakEvenSellPrice(t.rules, t.buy, t.qty));
            } else {
                benchmark::DoNotOptimize(LiteralBreakEven(t.rules, t.buy, t.qty, 1 << 30));
            }
        }
    }
    state.counters["trades"] = static_cast<double>(trades.size());
    state.counters["per trade"] = benchmark::Counter(static_cast<double>(trades.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_BreakEven)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// One search each: the parameter sets that once defeated it, and its slowest families.
const std::vector<Case>& HardTrades() {
    static const std::vector<Case> trades = [] {
        std::vector<Case> t;
        ym::ClassicRates flat;
        flat.market = ym::Market::Shanghai;
        flat.rates.commissionRate = 0.5;
        flat.rates.stampRate = 0.5;
        flat.rates.otherFee = -0.02999999999997;
        t.push_back({flat, 0.01, 3}); // 0: sell rates summing to 1, short period
        ym::ClassicRates flatSubnormal = flat;
        flatSubnormal.rates.handlingRate = 1e-310;
        t.push_back({flatSubnormal, 0.01, 3}); // 1: the same with a subnormal rate
        for (double cap : {1e20, 1e300}) {     // 2, 3: caps no trade reaches
            ym::ClassicRates b = DefaultB();
            b.settlementCap = cap;
            t.push_back({b, 500000, 100});
        }
        ym::ClassicRates tiny = ShanghaiA(); // 4: subnormal rates, a long walk
        tiny.rates.commissionRate = 1e-310;
        tiny.rates.stampRate = 1e-310;
        t.push_back({tiny, 0.01, 1});
        ym::ClassicRates hugeMin = ShanghaiA(); // 5: a walk of 10^12 steps
        hugeMin.rates.minCommission = 9999999;
        t.push_back({hugeMin, 0.00001, 1});
        ym::ClassicRates flatLong = flat; // 6: rates summing to 1, long period: the budget
        flatLong.rates.otherFee = -(1021.32 * 211) * (1 - 1e-9);
        t.push_back({flatLong, 1021.32, 211});
        // 8 (below): rates summing to 1 whose noise has no short period, where the walk runs
        // past the search's budget: its slowest input.
        ym::ClassicRates budget = flat;
        budget.rates.otherFee = -55967500.890000001;
        budget.rates.minCommission = 1e-310;
        budget.rates.transferRate = 0.0022;
        // 7: official rules, a 1000-yuan minimum on a tiny trade
        ym::BrokerTerms terms;
        terms.minimumYuan = 1000;
        t.push_back({*ym::OfficialFeeRules({2026, 12, 6}, ym::Market::Shenzhen,
                                           ym::SecurityType::AShare, terms),
                     0.001, 1});
        t.push_back({budget, 304171.2005, 184});
        return t;
    }();
    return trades;
}

void BM_BreakEvenHard(benchmark::State& state) {
    const Case& c = HardTrades()[static_cast<std::size_t>(state.range(0))];
    std::int64_t trials = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::BreakEvenSellPrice(c.rules, c.buy, c.qty, &trials));
    }
    state.counters["trials"] = static_cast<double>(trials);
}
BENCHMARK(BM_BreakEvenHard)->DenseRange(0, 8)->Unit(benchmark::kMicrosecond);

// Argument 0: classic A shares, 1: classic B shares, 2: official A shares.
void BM_ComputeTrade(benchmark::State& state) {
    const ym::FeeRules r = state.range(0) == 0 ? ym::FeeRules(ShanghaiA())
                           : state.range(0) == 1
                               ? ym::FeeRules(DefaultB())
                               : Official(ym::Market::Shanghai, ym::SecurityType::AShare);
    const ym::TradeInput in = Typed(10, 12, state.range(0) == 1 ? 200000 : 1000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::ComputeTrade(r, in));
    }
}
BENCHMARK(BM_ComputeTrade)->DenseRange(0, 2);

} // namespace
