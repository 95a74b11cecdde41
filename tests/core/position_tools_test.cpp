// The position tools: worked examples a user can redo with a pencil, and each search against
// its literal walk on random and hostile parameter sets of both fee models.
#include "core/official_rules.h"
#include "core/position_tools.h"
#include "tests/core/position_test_support.h"
#include "tests/core/trade_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>

namespace ym {
namespace {

using testing::ShanghaiA;

constexpr PriceGrid kFen{100};
constexpr PriceGrid kLi{1000}; // 0.001, funds

std::optional<double> Price(const PriceGrid& grid, const GridAnswer& a) {
    if (a.outcome != GridOutcome::Found) {
        return std::nullopt;
    }
    return grid.PriceAt(a.index);
}

// Shanghai A shares, classic defaults (every rate on both legs): commission 0.35 % (at least
// 10), stamp 0.4 %, transfer 0.001 per share (at least 1). Bought 1000 at 10.00: amount 10000,
// fees 35 + 40 + 1 = 76, paid 10076. Sold at p (p > 2.86): 1000p less 3.5p + 4p + 1, so the
// net profit is 992.5p − 10077.
TEST(TargetPrice, WorkedExamples) {
    const FeeRules rules(ShanghaiA());
    const std::int64_t top = HighestSellIndex(kFen);
    struct Case {
        ProfitGoal goal;
        std::optional<double> price;
    } cases[] = {
        // 992.5p ≥ 12077: p ≥ 12.1683 (12.16 gives 1991.80, 12.17 gives 2001.725)
        {{GoalKind::Profit, 2000}, 12.17},
        // lose at most 500: 992.5p ≥ 9577, p ≥ 9.6494 (9.64: −509.3; 9.65: −499.375)
        {{GoalKind::Profit, -500}, 9.65},
        // 10 % of 10076 is 1007.6: 992.5p ≥ 11084.6, p ≥ 11.1684 (11.16 gives 999.3)
        {{GoalKind::Yield, 0.10}, 11.17},
        // no loss: p ≥ 10.1532, as the break-even row
        {{GoalKind::Profit, 0}, 10.16},
        // beyond the highest price the sell field holds
        {{GoalKind::Profit, 1e12}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Price(kFen, TargetSellIndex(rules, kFen, 10, 1000, c.goal, top)), c.price)
            << c.goal.value;
    }
    // Sell rates adding up to 1: every yuan of a higher price goes in fees.
    ClassicRates flat = ShanghaiA();
    flat.rates.commissionRate = 0.5;
    flat.rates.stampRate = 0.5;
    EXPECT_EQ(TargetSellIndex(flat, kFen, 10, 1000, {}, top).outcome, GridOutcome::Unreachable);
}

// A fund on the 0.001 grid, commission 0.1 % at least 5.75 and nothing else: bought 1000 at
// 1.000 (fee 5.75), sold at p ≤ 5 (fee 5.75): profit 1000p − 1011.5 ≥ 0 from 1.0115 on, so
// 1.012; the break-even row walks in 0.01 steps from the buy price and shows 1.02.
TEST(TargetPrice, NoLossOnTheFundGridIsAFinerStepThanTheBreakEvenRow) {
    ClassicRates r;
    r.rates.commissionRate = 0.001;
    r.rates.minCommission = 5.75;
    const FeeRules rules(r);
    EXPECT_EQ(Price(kLi, TargetSellIndex(rules, kLi, 1, 1000, {}, HighestSellIndex(kLi))), 1.012);
    EXPECT_EQ(BreakEvenSellPrice(rules, 1, 1000), 1.02);
}

// Held 1000 at 12.00, 1000 more bought at 10.00 (fees 76, paid 10076): 2000 shares, everything
// paid 12000 + 10000 + 76 = 22076, cost 11.038. Selling 2000 at p receives 2000p less 7p + 8p +
// 2 (transfer 2000 × 0.001): 1985p − 2 ≥ 22076 from p = 11.1224 on, so 11.13 (11.12 receives
// 22071.2).
TEST(AddToHolding, WorkedExample) {
    const FeeRules rules(ShanghaiA());
    const AddedBuy added = AddToHolding(rules, {1000, 12}, 10, 1000);
    EXPECT_EQ(added.fees, 76);
    EXPECT_EQ(added.paid, 10076);
    EXPECT_EQ(added.newQuantity, 2000);
    EXPECT_EQ(added.totalPaid, 22076);
    EXPECT_DOUBLE_EQ(added.newCost, 11.038);
    EXPECT_EQ(Price(kFen, HoldingBreakEvenIndex(rules, kFen, 2000, added.totalPaid,
                                                HighestSellIndex(kFen))),
              11.13);
}

// The lots that bring the cost to a target, Shanghai A classic defaults. Adding Q ≥ 1000 at
// 10.00 costs 0.076Q in fees (commission 0.035Q, stamp 0.04Q, transfer 0.001Q); to 11.00 from
// 1000 at 12.00: 12000 + 10.076Q ≤ 11(1000 + Q) from Q = 1082.3 on: 11 lots (10 lots give
// 11.038). Adding at 12.00 to 1000 at 10.00 (fees 0.091Q, at least 82 below 1000): 10 lots
// give (10000 + 12000 + 91) ÷ 2000 = 11.0455 ≥ 11, 9 lots (10000 + 10800 + 82) ÷ 1900 = 10.9905.
TEST(LotsToCost, WorkedExamples) {
    const FeeRules rules(ShanghaiA());
    struct Case {
        Holding holding;
        double price, target;
        GridAnswer answer;
    } cases[] = {
        {{1000, 12}, 10, 11, {GridOutcome::Found, 11}},
        {{1000, 10}, 12, 11, {GridOutcome::Found, 10}},
        // shares bought at 10.00 with fees never bring the cost to 9.00
        {{1000, 12}, 10, 9, {GridOutcome::Unreachable, 0}},
    };
    for (const Case& c : cases) {
        const GridAnswer a = LotsToCost(rules, c.holding, c.price, c.target, 100, 9999999);
        EXPECT_EQ(a.outcome, c.answer.outcome) << c.target;
        EXPECT_EQ(a.index, c.answer.index) << c.target;
    }
}

// Held 2000 at 11.00; 1000 sold at 11.50 (fees 40.25 + 46 + 1 = 87.25) and bought back at 11.00
// (38.5 + 44 + 1 = 83.5): gain 500 − 170.75 = 329.25, cost 11 − 329.25 ÷ 2000 = 10.835375.
// Bought back at 11.00, the sale breaks even where 992.5p ≥ 11084.5 (11.1683: 11.17); sold at
// 11.50, the buy-back breaks even up to 1007.5b ≤ 11411.75 (11.3268: 11.32).
TEST(Swing, WorkedExample) {
    const FeeRules rules(ShanghaiA());
    const SwingResult s = Swing(rules, {2000, 11}, 1000, 11.5, 11);
    EXPECT_DOUBLE_EQ(s.sellFees, 87.25);
    EXPECT_DOUBLE_EQ(s.buyFees, 83.5);
    EXPECT_DOUBLE_EQ(s.gain, 329.25);
    EXPECT_DOUBLE_EQ(s.newCost, 10.835375);
    EXPECT_EQ(Price(kFen, SwingSellIndex(rules, kFen, 1000, 11, HighestSellIndex(kFen))), 11.17);
    EXPECT_EQ(Price(kFen, SwingBuyIndex(rules, kFen, 1000, 11.5, HighestBuyIndex(kFen))), 11.32);
    // Sold at 0.01, no buy-back price gains.
    EXPECT_EQ(SwingBuyIndex(rules, kFen, 1000, 0.01, HighestBuyIndex(kFen)).outcome,
              GridOutcome::Unreachable);
}

// ---------------------------------------------------------------------------------------------
// Each search against its literal walk, on grids and lot ranges small enough to walk.

struct Trial {
    FeeRules rules;
    PriceGrid grid;
    std::string label;
};

// Parameter sets: ordinary ones of both models and the hostile ones a settings file can hold.
Trial RandomRules(std::mt19937_64& rng) {
    std::uniform_int_distribution<int> pick(0, 9);
    const PriceGrid grid = pick(rng) < 5 ? kFen : kLi;
    if (pick(rng) < 4) {
        BrokerTerms terms;
        terms.commissionRate = std::uniform_real_distribution<double>(0, 0.003)(rng);
        terms.minimumYuan = std::array{0.0, 5.0, 0.1, 1000.0}[pick(rng) % 4];
        terms.minimumWaived = pick(rng) == 0;
        terms.includesExchangeFees = pick(rng) < 3;
        const auto market = pick(rng) < 5 ? Market::Shanghai : Market::Shenzhen;
        const auto type = std::array{SecurityType::AShare, SecurityType::BShare, SecurityType::Fund,
                                     SecurityType::Bond}[pick(rng) % 4];
        return {*OfficialFeeRules({2026, 12, 6}, market, type, terms), grid, "official"};
    }
    ClassicRates r = pick(rng) < 5 ? ShanghaiA() : testing::DefaultB();
    RateSet& s = r.rates;
    std::uniform_real_distribution<double> unit(0, 1);
    switch (pick(rng)) {
    case 0: // sell rates adding up to 1, or just below or above
        s.commissionRate = 0.5;
        s.stampRate = 0.5 - std::array{0.0, 1e-9, 1e-3, -1e-6}[pick(rng) % 4];
        break;
    case 1: // negative fees
        s.otherFee = -unit(rng) * 50;
        s.stampRate = -unit(rng) * 0.01;
        break;
    case 2: // subnormal and huge rates and minimums
        s.handlingRate = 1e-310;
        s.minCommission = std::array{1e6, 1e-310, 0.0}[pick(rng) % 3];
        break;
    case 3: // caps no trade reaches, and caps every trade reaches
        r.settlementCap = std::array{1e300, 0.01, 3.0}[pick(rng) % 3];
        break;
    case 4: // rates above 1
        s.regulatorRate = 1.5;
        break;
    default:
        s.commissionRate = unit(rng) * 0.003;
        s.minCommission = std::array{0.0, 5.0, 10.0, 30.0}[pick(rng) % 4];
        break;
    }
    return {r, grid, "classic"};
}

constexpr std::int64_t kWalk = 200000;

TEST(PositionSearches, AgreeWithTheLiteralWalks) {
    std::mt19937_64 rng(2026);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_real_distribution<double> unit(0, 1);
    int compared = 0;
    for (int i = 0; i < 300; ++i) {
        const Trial t = RandomRules(rng);
        const double qty = std::array{1.0, 100.0, 3.0, 1000.0, 123456.0}[pick(rng) % 5];
        const std::int64_t buyIndex = 1 + static_cast<std::int64_t>(unit(rng) * 20000);
        const double buy = t.grid.PriceAt(buyIndex);
        const std::int64_t top = buyIndex + static_cast<std::int64_t>(unit(rng) * 3000);
        const double paid = buy * qty;
        const ProfitGoal goal = pick(rng) < 6
                                    ? ProfitGoal{GoalKind::Profit, (unit(rng) - 0.4) * paid * 0.3}
                                    : ProfitGoal{GoalKind::Yield, (unit(rng) - 0.4) * 0.3};
        const auto expectSame = [&](const GridAnswer& fast, const std::optional<GridAnswer>& walk,
                                    const char* what) {
            if (!walk || fast.outcome == GridOutcome::Undecided) {
                return;
            }
            ++compared;
            EXPECT_EQ(fast.outcome, walk->outcome) << what << ' ' << t.label << ' ' << i;
            EXPECT_EQ(fast.index, walk->index) << what << ' ' << t.label << ' ' << i;
        };
        expectSame(TargetSellIndex(t.rules, t.grid, buy, qty, goal, top),
                   testing::LiteralTarget(t.rules, t.grid, buy, qty, goal, top, kWalk), "target");
        expectSame(HoldingBreakEvenIndex(t.rules, t.grid, qty, paid * 1.01, top),
                   testing::LiteralHoldingBreakEven(t.rules, t.grid, qty, paid * 1.01, top, kWalk),
                   "holding");
        const double sell = buy * (0.9 + 0.2 * unit(rng));
        expectSame(SwingBuyIndex(t.rules, t.grid, qty, sell, top),
                   testing::LiteralSwingBuy(t.rules, t.grid, qty, sell, top, kWalk), "swing");
        const Holding holding{qty, buy};
        const double price = buy * (0.5 + unit(rng));
        // between the added price and the cost, or a little beyond the added price
        const double target = buy + (price - buy) * 1.1 * unit(rng);
        const int lot = pick(rng) < 5 ? 100 : 10;
        const std::int64_t most = 1 + static_cast<std::int64_t>(unit(rng) * 3000);
        expectSame(LotsToCost(t.rules, holding, price, target, lot, most),
                   testing::LiteralLots(t.rules, holding, price, target, lot, most, kWalk), "lots");
    }
    EXPECT_GT(compared, 1100); // the walks ended and the searches decided nearly always
}

} // namespace
} // namespace ym
