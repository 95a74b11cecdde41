// The break-even sell price must be the very price the step-by-step walk stops at.
#include "core/trade.h"
#include "tests/core/trade_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace ym {
namespace {

using testing::DefaultB;
using testing::LiteralBreakEven;
using testing::ShanghaiA;
using Outcome = testing::ReferenceBreakEven::Outcome;

std::string Describe(const ClassicRates& r, double buy, double qty) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "market %d cap %.17g CR %.17g MinC %.17g SR %.17g TR %.17g MinT %.17g "
                  "O %.17g SeR %.17g HR %.17g RR %.17g buy %.17g qty %.17g",
                  r.market ? int(NumberOf(*r.market)) : 0, r.SettlementCap, r.rates.CommissionRate,
                  r.rates.MinCommission, r.rates.StampRate, r.rates.TransferRate,
                  r.rates.MinTransfer, r.rates.OtherFee, r.rates.SettlementRate,
                  r.rates.HandlingRate, r.rates.RegulatorRate, buy, qty);
    return text;
}

// Compares the fast search with the walk. Returns whether the walk decided the case
// within maxSteps; when it did not, the fast answer must still lie beyond every price the
// walk rejected and must itself stop the walk.
bool ExpectAgreesWithWalk(const ClassicRates& r, double buy, double qty, std::int64_t maxSteps) {
    const std::optional<double> fast = BreakEvenSellPrice(r, buy, qty);
    const auto ref = LiteralBreakEven(r, buy, qty, maxSteps);
    const std::string what = Describe(r, buy, qty);
    switch (ref.outcome) {
    case Outcome::Found:
        EXPECT_TRUE(fast.has_value()) << what;
        if (fast) {
            EXPECT_EQ(std::memcmp(&*fast, &ref.price, sizeof ref.price), 0)
                << what << "\n fast " << *fast << " walk " << ref.price << " after " << ref.steps
                << " steps";
        }
        return true;
    case Outcome::Stalled:
        EXPECT_FALSE(fast.has_value()) << what << " fast " << *fast;
        return true;
    case Outcome::StepsExhausted:
        if (fast) {
            const double profit = ((*fast - buy) * qty - LegFees(r, Side::Sell, *fast, qty)) -
                                  LegFees(r, Side::Buy, buy, qty);
            EXPECT_GT(*fast, ref.price) << what;
            EXPECT_FALSE(profit < 0) << what;
        }
        return false;
    }
    return false;
}

TEST(BreakEvenTest, WorkedExamplesStopAfterTheStatedSteps) {
    for (auto [qty, price, steps] : {std::tuple{1000.0, 10.16, 16}, std::tuple{100.0, 10.31, 31}}) {
        const auto ref = LiteralBreakEven(ShanghaiA(), 10, qty, 1000);
        ASSERT_EQ(ref.outcome, Outcome::Found);
        EXPECT_EQ(ref.steps, steps);
        EXPECT_NEAR(ref.price, price, 1e-9);
        EXPECT_TRUE(ExpectAgreesWithWalk(ShanghaiA(), 10, qty, 1000));
    }
}

// Sell-leg rates summing to 1 and an other charge (negative, as a setting the file lacked
// reads) making the exact profit 0 at every price: only rounding decides the stop.
ClassicRates ZeroProfit(double buy, double qty) {
    ClassicRates r;
    r.market = Market::Shanghai;
    r.rates.CommissionRate = 0.5;
    r.rates.StampRate = 0.5;
    r.rates.OtherFee = -buy * qty;
    return r;
}

// Hand-picked trades around the places where the search changes its manner: no search at
// all, the few steps below 2^-5, binade edges, the minimum commission giving way to the
// rate, the Shenzhen cap taking over, many steps, and a profit of exactly zero.
TEST(BreakEvenTest, ChosenTradesAgreeWithTheWalk) {
    struct Case {
        ClassicRates rules;
        double buy, qty;
    };
    ClassicRates bigMin = ShanghaiA();
    bigMin.rates.MinCommission = 20000;
    ClassicRates hugeMin = ShanghaiA();
    hugeMin.rates.MinCommission = 3e6;
    ClassicRates capTurnsLoss = DefaultB();
    capTurnsLoss.rates.SettlementRate = 2; // loses until the cap takes the fee over
    ClassicRates other = ShanghaiA();
    other.rates.OtherFee = 7.77;
    ClassicRates noFees;
    noFees.market = Market::Shanghai;
    const Case cases[] = {
        {ShanghaiA(), 0, 1000},
        {ShanghaiA(), 10, 0},
        {ShanghaiA(), 0.00001, 1},
        {ShanghaiA(), 0.00001, 100000000},
        {ShanghaiA(), 0.015, 1},
        {ShanghaiA(), 0.03125, 3},
        {ShanghaiA(), 0.0625, 7},
        {ShanghaiA(), 1, 1},
        {ShanghaiA(), 0.99, 1000},
        {ShanghaiA(), 1.99, 333},
        {ShanghaiA(), 127.99, 100},
        {ShanghaiA(), 4095.995, 1},
        {ShanghaiA(), 3.3, 99999999},
        {bigMin, 0.01, 1},
        {bigMin, 3.7, 1000},
        {hugeMin, 1000, 1000},
        {DefaultB(), 10, 200000},
        {DefaultB(), 0.5, 100000000},
        {DefaultB(), 2000, 12345},
        {capTurnsLoss, 1, 100},
        {capTurnsLoss, 0.37, 1000},
        {other, 0.05, 1},
        {noFees, 5, 100},
        {noFees, 0.00001, 1},
        {ZeroProfit(0.5, 2), 0.5, 2},
        {ZeroProfit(3, 1), 3, 1},
        {ZeroProfit(0.25, 8), 0.25, 8},
        {ZeroProfit(1.75, 4), 1.75, 4},
        {ZeroProfit(100, 1), 100, 1},
        {ZeroProfit(0.1, 10), 0.1, 10},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(ExpectAgreesWithWalk(c.rules, c.buy, c.qty, 20000000))
            << Describe(c.rules, c.buy, c.qty);
    }
}

// Where no price ever breaks even the walk would never end; the search says so.
TEST(BreakEvenTest, NoPriceBreaksEven) {
    struct Case {
        const char* why;
        ClassicRates rules;
        double buy, qty;
    };
    ClassicRates ratesReachOne = ShanghaiA();
    ratesReachOne.rates.CommissionRate = 0.6;
    ratesReachOne.rates.StampRate = 0.4;
    ClassicRates ratesAboveOne = DefaultB();
    ratesAboveOne.rates.StampRate = 1.5;
    ClassicRates capNoHelp = DefaultB();
    capNoHelp.rates.HandlingRate = 1; // the cap lifts only the settlement rate
    capNoHelp.rates.SettlementRate = 0.5;
    const Case cases[] = {
        {"sell-leg rates sum to exactly 1", ratesReachOne, 10, 1000},
        {"sell-leg rates above 1", ratesAboveOne, 0.00001, 1},
        {"rates reach 1 even after the cap", capNoHelp, 99, 99999},
        {"the trial price no longer moves", ShanghaiA(), 1e15, 1},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(BreakEvenSellPrice(c.rules, c.buy, c.qty).has_value()) << c.why;
        EXPECT_NE(LiteralBreakEven(c.rules, c.buy, c.qty, 100000).outcome, Outcome::Found) << c.why;
    }
}

struct RandomTrade {
    ClassicRates rules;
    double buy = 0;
    double qty = 0;
};

class TradeGenerator {
public:
    explicit TradeGenerator(std::uint64_t seed) : rng_(seed) {}

    double Uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }
    double LogUniform(double lo, double hi) {
        return std::exp(Uniform(std::log(lo), std::log(hi)));
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    // A value as a user types it: a few decimals.
    double Typed(double v, int decimals) {
        const double scale = std::pow(10.0, decimals);
        return std::round(v * scale) / scale;
    }
    double Rate() {
        const int kind = Pick(4);
        return kind == 0   ? 0
               : kind == 1 ? Typed(LogUniform(1e-5, 0.01), 6)
               : kind == 2 ? LogUniform(1e-7, 0.3)
                           : Uniform(0, 0.5); // absurd, may sum to 1 or more
    }

    RandomTrade Next() {
        RandomTrade t;
        RateSet& r = t.rules.rates;
        t.rules.market = Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen;
        r.CommissionRate = Rate();
        r.StampRate = Rate();
        if (Pick(2) == 0) { // B-share style fees
            r.SettlementRate = Rate();
            r.HandlingRate = Rate();
            r.RegulatorRate = Rate();
        }
        const int minKind = Pick(4);
        r.MinCommission = minKind == 0   ? 0
                          : minKind == 1 ? 5 * (1 + Pick(2))
                                         : Typed(LogUniform(0.01, 1e6), 2);
        if (Pick(2) == 0) {
            r.TransferRate = Typed(LogUniform(1e-4, 0.01), 4);
            r.MinTransfer = Pick(3);
        }
        if (Pick(4) == 0) {
            r.OtherFee = Typed(LogUniform(0.01, 100), 2);
        }
        if (Pick(10) == 0) { // settings the file lacked read as -1
            double* fields[] = {&r.CommissionRate, &r.MinCommission, &r.MinTransfer, &r.OtherFee,
                                &r.StampRate};
            *fields[Pick(5)] = -1;
        }
        t.rules.SettlementCap = Pick(3) == 0 ? 500 : Typed(LogUniform(0.01, 1e5), 2);
        t.buy = Pick(3) == 0 ? Typed(LogUniform(0.01, 5000), 2) : LogUniform(0.00001, 5000);
        t.qty = std::round(LogUniform(1, 1e8));
        return t;
    }

private:
    std::mt19937_64 rng_;
};

TEST(BreakEvenTest, RandomTradesAgreeWithTheWalk) {
    TradeGenerator gen(20240917);
    constexpr int kCases = 3000;
    int decided = 0, found = 0;
    for (int i = 0; i < kCases && !HasFailure(); ++i) {
        const RandomTrade t = gen.Next();
        found += LiteralBreakEven(t.rules, t.buy, t.qty, 100000).outcome == Outcome::Found;
        decided += ExpectAgreesWithWalk(t.rules, t.buy, t.qty, 100000);
    }
    // Most cases must actually have been compared, not merely bounded.
    EXPECT_GT(decided, kCases * 6 / 10);
    EXPECT_GT(found, kCases / 2);
}

// Sell-leg rates a hair below 1, with an other charge placing the exact break-even a few
// steps above the buy price: each step raises the profit by less than its rounding noise,
// so the walk stops wherever rounding first lets it, and the search must not jump past
// that price.
TEST(BreakEvenTest, ProfitGrowingSlowerThanItsNoiseAgrees) {
    TradeGenerator gen(4242);
    int decided = 0;
    constexpr int kCases = 600;
    for (int i = 0; i < kCases && !HasFailure(); ++i) {
        ClassicRates r;
        r.market = gen.Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen;
        r.SettlementCap = 1e300;
        const double deficit = gen.Pick(5) == 0 ? 0.0 : gen.LogUniform(1e-16, 1e-9);
        r.rates.CommissionRate = 0.5;
        r.rates.StampRate = 0.25;
        (gen.Pick(2) == 0 ? r.rates.SettlementRate : r.rates.HandlingRate) = 0.25 - deficit;
        const double buy = gen.Pick(2) == 0 ? gen.Typed(gen.LogUniform(0.05, 5000), 2)
                                            : gen.LogUniform(0.05, 5000);
        const double qty = std::round(gen.LogUniform(1, 1e6));
        const double target = buy + 0.01 * gen.Pick(400);
        const double sum = 1 - deficit;
        // g(t) = (1 - sum) t q - b q - sum b q - 2 O, zero at the target
        r.rates.OtherFee = (deficit * target * qty - buy * qty - sum * buy * qty) / 2;
        decided += ExpectAgreesWithWalk(r, buy, qty, 1000000);
    }
    EXPECT_GT(decided, kCases / 2);
}

// Small trades with large minimum commissions: the break-even price lies far above the
// buy price, so the walk crosses many binades.
TEST(BreakEvenTest, LongWalksAgree) {
    TradeGenerator gen(77);
    for (int i = 0; i < 40 && !HasFailure(); ++i) {
        ClassicRates r = ShanghaiA();
        r.market = gen.Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen;
        r.rates.MinCommission = gen.Typed(gen.LogUniform(100, 2e4), 2);
        r.rates.StampRate = gen.Pick(2) == 0 ? 0.001 : 0.3;
        const double buy = gen.LogUniform(0.00001, 3);
        const double qty = std::round(gen.LogUniform(1, 1000));
        EXPECT_TRUE(ExpectAgreesWithWalk(r, buy, qty, 10000000)) << Describe(r, buy, qty);
    }
}

TEST(BreakEvenTest, EveryInputTheFieldsAdmitIsQuick) {
    TradeGenerator gen(5);
    std::vector<RandomTrade> trades;
    for (int i = 0; i < 1000; ++i) {
        RandomTrade t = gen.Next();
        RateSet& r = t.rules.rates;
        t.buy = gen.LogUniform(0.00001, 9999999);
        t.qty = std::round(gen.LogUniform(1, 999999999));
        // The flat-and-noisy family spends the search's whole step budget; a tenth of the
        // trades is plenty of it.
        switch (i % 10 == 8 ? 4 : i % 5) {
        case 0: // a huge minimum commission on a tiny trade
            r.MinCommission = 9999999;
            t.buy = 0.00001;
            t.qty = 1;
            break;
        case 1: // rates a hair below 1: the profit barely grows
            r.CommissionRate = 0.5;
            r.StampRate = 0.4999;
            break;
        case 2: // the largest prices and quantities
            t.buy = gen.Uniform(9000000, 9999999);
            t.qty = 999999999;
            break;
        case 3: // no slope at all and a loss just short of zero: only noise could help
            t.rules = ClassicRates{};
            t.rules.market = Market::Shanghai;
            t.rules.rates.CommissionRate = 0.5;
            t.rules.rates.StampRate = 0.5;
            t.rules.rates.OtherFee = -t.buy * t.qty * (1 - gen.LogUniform(1e-15, 1e-3));
            break;
        default:
            t.rules.market = Market::Shenzhen;
            r.SettlementRate = gen.Uniform(0.5, 3);
            t.rules.SettlementCap = gen.LogUniform(1, 1e7);
        }
        trades.push_back(t);
    }
    // The search's work, not its time, is bounded: a time limit would fail on a loaded
    // machine. The flat-and-noisy family may spend the whole single-step budget (2^16);
    // every other input needs a small fraction of it.
    std::int64_t mostTrials = 0;
    for (std::size_t i = 0; i < trades.size(); ++i) {
        std::int64_t trials = 0;
        BreakEvenSellPrice(trades[i].rules, trades[i].buy, trades[i].qty, &trials);
        mostTrials = std::max(mostTrials, trials);
        EXPECT_LE(trials, i % 10 == 8 || i % 5 == 3 ? 70000 : 5000)
            << i << ": " << Describe(trades[i].rules, trades[i].buy, trades[i].qty);
    }
    EXPECT_GT(mostTrials, 0);
}

} // namespace
} // namespace ym
