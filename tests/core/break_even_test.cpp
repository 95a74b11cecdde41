// The break-even sell price must be the very price the step-by-step walk stops at.
#include "core/official_rules.h"
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

std::string Describe(const FeeRules& r, double buy, double qty) {
    std::string text;
    char part[256];
    for (std::size_t i = 0; i < kChargeSlots; ++i) {
        const Charge& c = r.charges[i];
        std::snprintf(part, sizeof part, "[%zu: rate %.17g%s%s%s min %d/%.17g cap %.17g] ", i,
                      c.rate, c.perShare ? " per share" : "", c.onBuy ? " buy" : "",
                      c.onSell ? " sell" : "", static_cast<int>(c.minimumRule), c.minimum, c.cap);
        text += part;
    }
    std::snprintf(part, sizeof part, "other %.17g%s buy %.17g qty %.17g", r.other,
                  r.toFen ? " to the fen" : "", buy, qty);
    return text + part;
}

// Compares the fast search with the walk. Returns whether the walk decided the case
// within maxSteps; when it did not, the fast answer must still lie beyond every price the
// walk rejected and must itself stop the walk.
bool ExpectAgreesWithWalk(const FeeRules& r, double buy, double qty, std::int64_t maxSteps) {
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
    FeeRules rules;
    double buy = 0;
    double qty = 0;
};

struct RandomClassic {
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
        const int kind = Pick(6);
        return kind == 0   ? 0
               : kind == 1 ? Typed(LogUniform(1e-5, 0.01), 6)
               : kind == 2 ? LogUniform(1e-7, 0.3)
               : kind == 3 ? Uniform(0, 0.5)                   // absurd, may sum to 1 or more
               : kind == 4 ? -Typed(LogUniform(1e-5, 0.01), 6) // a negative charge
                           : (Pick(2) == 0 ? 1 : -1) * 1e-310; // subnormal
    }

    // A trade under the official rules of a day from 2015-08-01 on, with broker's terms
    // that include a rebate (a negative rate), a subnormal rate and the absurd.
    RandomTrade NextOfficial() {
        RandomTrade t;
        Date date{2015 + Pick(12), 1 + Pick(12), 1 + Pick(28)};
        date = std::max(date, kFirstRuleDate);
        BrokerTerms terms;
        const int rateKind = Pick(6);
        terms.commissionRate = rateKind == 0   ? 0
                               : rateKind == 1 ? Typed(LogUniform(1e-5, 0.003), 6)
                               : rateKind == 2 ? -Typed(LogUniform(1e-5, 0.003), 6)
                               : rateKind == 3 ? 1e-310
                               : rateKind == 4 ? Uniform(0, 0.5)
                                               : 0.00025;
        const int minKind = Pick(5);
        terms.Minimum(Currency::Yuan) = minKind == 0   ? 0
                                        : minKind == 1 ? 5
                                        : minKind == 2 ? -5
                                        : minKind == 3 ? 1e-310
                                                       : Typed(LogUniform(0.01, 1000), 2);
        terms.minimumUsDollar = terms.minimumHkDollar = terms.minimumYuan;
        terms.minimumWaived = Pick(4) == 0;
        terms.includesExchangeFees = Pick(2) == 0;
        const Market market = Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen;
        const SecurityType type = *TypeFromNumber(1 + Pick(5));
        t.rules = *OfficialFeeRules(date, market, type, terms);
        t.buy = Pick(2) == 0 ? Typed(LogUniform(0.001, 999999), 3) : LogUniform(0.0001, 5000);
        t.qty = std::round(LogUniform(1, 1e8));
        return t;
    }

    RandomClassic Next() {
        RandomClassic t;
        ClassicRates& classic = t.rules;
        RateSet& r = classic.rates;
        classic.market = Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen;
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
            r.OtherFee = (Pick(3) == 0 ? -1 : 1) * Typed(LogUniform(0.01, 100), 2);
        }
        if (Pick(10) == 0) { // settings the file lacked read as -1
            double* fields[] = {&r.CommissionRate, &r.MinCommission, &r.MinTransfer, &r.OtherFee,
                                &r.StampRate};
            *fields[Pick(5)] = -1;
        }
        // Caps a trade reaches, and caps beyond any trade.
        const int capKind = Pick(5);
        classic.SettlementCap = capKind == 0   ? 500
                                : capKind == 1 ? 1e20
                                : capKind == 2 ? 1e300
                                               : Typed(LogUniform(0.01, 1e5), 2);
        t.buy = Pick(3) == 0 ? Typed(LogUniform(0.01, 5000), 2) : LogUniform(0.00001, 5000);
        t.qty = std::round(LogUniform(1, 1e8));
        return t;
    }

private:
    std::mt19937_64 rng_;
};

TEST(BreakEvenTest, RandomTradesAgreeWithTheWalkInBothModels) {
    for (const bool official : {false, true}) {
        TradeGenerator gen(official ? 20261206 : 20240917);
        constexpr int kCases = 2000;
        constexpr std::int64_t kSteps = 30000;
        int decided = 0, found = 0;
        for (int i = 0; i < kCases && !HasFailure(); ++i) {
            RandomTrade t;
            if (official) {
                t = gen.NextOfficial();
            } else {
                const RandomClassic c = gen.Next();
                t = {c.rules, c.buy, c.qty};
            }
            found += LiteralBreakEven(t.rules, t.buy, t.qty, kSteps).outcome == Outcome::Found;
            decided += ExpectAgreesWithWalk(t.rules, t.buy, t.qty, kSteps);
        }

        // Most cases must actually have been compared, not merely bounded.
        EXPECT_GT(decided, kCases * 6 / 10) << official;
        EXPECT_GT(found, kCases / 2) << official;
    }
}

// Parameter sets a hand-edited file can hold that once defeated the search.
TEST(BreakEvenTest, HandEditedFilesThatOnceDefeatedTheSearch) {
    // A1=0.5 A2=0 A3=0.5 A4=0 A5=0 A6=-0.02999999999997: the profit is within rounding of 0
    // at every price, and the walk stops at 682.6699999995242 after 68,266 steps, where
    // the rounding first lets it.
    ClassicRates flat;
    flat.market = Market::Shanghai;
    flat.rates.CommissionRate = 0.5;
    flat.rates.StampRate = 0.5;
    flat.rates.OtherFee = -0.02999999999997;
    const auto walk = LiteralBreakEven(flat, 0.01, 3, 1000000);
    EXPECT_EQ(walk.steps, 68266);
    EXPECT_EQ(walk.price, 682.6699999995242);
    EXPECT_TRUE(ExpectAgreesWithWalk(flat, 0.01, 3, 1000000));
    // The same with a subnormal handling fee, which every sum absorbs.
    flat.rates.HandlingRate = 1e-310;
    EXPECT_TRUE(ExpectAgreesWithWalk(flat, 0.01, 3, 1000000));

    // A Shenzhen cap no trade reaches (1e20, 1e300) plays no part: B shares, 500000 x 100.
    for (const double cap : {1e20, 1e300}) {
        ClassicRates b = DefaultB(Market::Shenzhen);
        b.SettlementCap = cap;
        std::int64_t trials = 0;
        BreakEvenSellPrice(b, 500000, 100, &trials);
        EXPECT_TRUE(ExpectAgreesWithWalk(b, 500000, 100, 10000000)) << cap;
        EXPECT_LT(trials, 1000) << cap;
    }
    // Subnormal rates everywhere: as quick as any other.
    ClassicRates tiny = ShanghaiA();
    tiny.rates.CommissionRate = 1e-310;
    tiny.rates.StampRate = -1e-310;
    tiny.rates.MinCommission = 0;
    std::int64_t trials = 0;
    BreakEvenSellPrice(tiny, 0.01, 1, &trials);
    EXPECT_TRUE(ExpectAgreesWithWalk(tiny, 0.01, 1, 10000000));
    EXPECT_LT(trials, 1000);
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
    for (int i = 0; i < 1200; ++i) {
        RandomClassic t = gen.Next();
        RateSet& r = t.rules.rates;
        t.buy = gen.LogUniform(0.00001, 9999999);
        t.qty = std::round(gen.LogUniform(1, 999999999));
        switch (i % 6) {
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
        case 4:
            t.rules.market = Market::Shenzhen;
            r.SettlementRate = gen.Uniform(0.5, 3);
            t.rules.SettlementCap = gen.LogUniform(1, 1e7);
            break;
        default: { // official rules with the same extreme prices and quantities
            const RandomTrade o = gen.NextOfficial();
            trades.push_back({o.rules, t.buy, t.qty});
            continue;
        }
        }
        trades.push_back({t.rules, t.buy, t.qty});
    }
    // The search's work, not its time, is bounded: a time limit would fail on a loaded
    // machine. The flat-and-noisy family may spend the whole budget of single trial prices
    // (2^16); every other input needs a small fraction of it.
    std::int64_t mostTrials = 0;
    for (std::size_t i = 0; i < trades.size(); ++i) {
        std::int64_t trials = 0;
        BreakEvenSellPrice(trades[i].rules, trades[i].buy, trades[i].qty, &trials);
        mostTrials = std::max(mostTrials, trials);
        EXPECT_LE(trials, i % 6 == 3 ? 70000 : 5000)
            << i << ": " << Describe(trades[i].rules, trades[i].buy, trades[i].qty);
    }
    EXPECT_GT(mostTrials, 0);
}

} // namespace
} // namespace ym
