// Speed of the position tools' searches over the whole grid (up to the highest price the fields
// hold) and the whole lot range, for both fee models, on ordinary trades and on the parameter
// sets that are hardest for them.
#include "core/official_rules.h"
#include "core/position_tools.h"
#include "tests/core/trade_test_support.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace ym;
using testing::ShanghaiA;

FeeRules Official(Market market, SecurityType type, BrokerTerms terms = {}) {
    return *OfficialFeeRules({2026, 12, 6}, market, type, terms);
}

enum class Tool { Target, Yield, Holding, SwingBuy, Lots };

struct Case {
    std::string name;
    Tool tool;
    FeeRules rules;
    PriceGrid grid;
    double price, qty, goal;
};

ClassicRates Flat(double belowOne) {
    ClassicRates r = ShanghaiA();
    r.rates.commissionRate = 0.5;
    r.rates.stampRate = 0.5 - belowOne;
    return r;
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = [] {
        const PriceGrid fen{100}, li{1000};
        const FeeRules a = Official(Market::Shanghai, SecurityType::AShare);
        const FeeRules fund = Official(Market::Shenzhen, SecurityType::Fund);
        BrokerTerms big;
        big.minimumYuan = 1000;
        ClassicRates hugeCap = testing::DefaultB();
        hugeCap.settlementCap = 1e300;
        ClassicRates subnormal = ShanghaiA();
        subnormal.rates.commissionRate = 1e-310;
        subnormal.rates.minCommission = 1e6;
        return std::vector<Case>{
            {"classic A target 2000", Tool::Target, ShanghaiA(), fen, 10, 1000, 2000},
            {"official A target 2000", Tool::Target, a, fen, 10, 1000, 2000},
            {"official A stop -500", Tool::Target, a, fen, 10, 1000, -500},
            {"official A yield 10%", Tool::Yield, a, fen, 10, 1000, 0.1},
            {"official fund 1 share no loss", Tool::Target, fund, li, 1.234, 1, 0},
            {"official fund 1 share 1000 min", Tool::Target,
             Official(Market::Shenzhen, SecurityType::Fund, big), li, 0.001, 1, 0},
            {"official A 999999 x 1", Tool::Target, a, fen, 999999, 1, 0},
            {"official A holding", Tool::Holding, a, fen, 10, 2000, 22076},
            {"official A swing buy-back", Tool::SwingBuy, a, fen, 11.5, 1000, 0},
            {"official fund swing buy-back 10000", Tool::SwingBuy, fund, li, 1.5, 10000, 0},
            {"classic A lots to 11", Tool::Lots, ShanghaiA(), fen, 10, 1000, 11},
            {"official A lots to 10.02", Tool::Lots, a, fen, 10, 1000, 10.02},
            {"official A lots unreachable", Tool::Lots, a, fen, 10, 1000, 9},
            {"hostile cap 1e300", Tool::Target, hugeCap, fen, 500000, 100, 0},
            {"hostile subnormal rate", Tool::Target, subnormal, fen, 0.01, 1, 0},
            {"hostile rates 1 - 1e-3", Tool::Target, Flat(1e-3), fen, 10, 1000, 0},
            {"hostile rates 1 - 1e-9", Tool::Target, Flat(1e-9), fen, 10, 1000, 0},
            // rates adding up to 1 and a target within rounding noise of every profit: the
            // worst case, tried price by price until the budget ends it
            {"hostile rates 1, target in the noise", Tool::Target, Flat(0), fen, 10, 1000,
             ComputeRoundTrip(Flat(0), testing::Typed(10, 10, 1000)).netProfit},
        };
    }();
    return cases;
}

void BM_PositionSearch(benchmark::State& state) {
    const Case& c = Cases()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(c.name);
    const std::int64_t sellTop = HighestSellIndex(c.grid);
    GridAnswer answer;
    for (auto _ : state) {
        switch (c.tool) {
        case Tool::Target:
        case Tool::Yield:
            answer = TargetSellIndex(
                c.rules, c.grid, c.price, c.qty,
                {c.tool == Tool::Yield ? GoalKind::Yield : GoalKind::Profit, c.goal}, sellTop);
            break;
        case Tool::Holding:
            answer = HoldingBreakEvenIndex(c.rules, c.grid, c.qty, c.goal, sellTop);
            break;
        case Tool::SwingBuy:
            answer = SwingBuyIndex(c.rules, c.grid, c.qty, c.price, HighestBuyIndex(c.grid));
            break;
        case Tool::Lots:
            answer = LotsToCost(c.rules, {c.qty, 12}, c.price, c.goal, 100, 9999999);
            break;
        }
        benchmark::DoNotOptimize(answer);
    }
    state.counters["found"] = answer.outcome == GridOutcome::Found ? 1 : 0;
    state.counters["undecided"] = answer.outcome == GridOutcome::Undecided ? 1 : 0;
}
BENCHMARK(BM_PositionSearch)->DenseRange(0, 17)->Unit(benchmark::kMicrosecond);

} // namespace
