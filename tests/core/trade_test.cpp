// Trades as a user reads them, in both fee models, and the break-even sell price. The worked
// trades of the classic parameters and of today's official fees run through yuanmate-calc
// (tests/tools), the rows' colours through the main window (tests/ui); here are the legs the
// break-even search prices, official legs the command line cannot reach, and the search
// itself: its price must be the very price the step-by-step walk stops at, bit for bit, in
// both fee models, and its work stays small whatever the fields hold.
#include "core/official_rules.h"
#include "core/trade.h"
#include "tests/core/trade_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>

namespace ym {
namespace {

using testing::DefaultB;
using testing::LiteralBreakEven;
using testing::ShanghaiA;
using testing::Typed;
using Outcome = testing::ReferenceBreakEven::Outcome;

// The break-even search prices a leg through LegFees, the statement through ComputeTrade:
// both must agree to the bit, and the legs add up to the totals.
TEST(ClassicTrade, LegFeesAreTheStatementsLegs) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> price(0.01, 5000), qty(1, 1e7);
    std::uniform_int_distribution<int> pick(0, 3);
    for (int i = 0; i < 2000; ++i) {
        ClassicRates r = pick(rng) < 2 ? ShanghaiA() : DefaultB(Market::Shenzhen);
        r.rates.otherFee = pick(rng);
        r.rates.minCommission = 5.0 * pick(rng);
        const TradeInput in = Typed(price(rng), price(rng), std::round(qty(rng)));
        const TradeResult res = ComputeTrade(r, in);
        EXPECT_EQ(LegFees(r, Side::Buy, in.buyPrice, in.quantity), res.buyLegFees);
        EXPECT_EQ(LegFees(r, Side::Sell, in.sellPrice, in.quantity), res.sellLegFees);
        EXPECT_NEAR(res.feesTotal, res.buyLegFees + res.sellLegFees, 1e-9 * res.feesTotal);
        EXPECT_NEAR(res.netProfit, res.sellAmount - res.sellLegFees - res.totalPaid,
                    1e-9 * (res.sellAmount + res.buyAmount));
    }
}

FeeRules Official(Market market, SecurityType type, Date date = {2026, 12, 6}) {
    return *OfficialFeeRules(date, market, type, BrokerTerms{});
}

// Official legs worked out by hand from the rates of the trade date at 2.5‱, each fee
// rounded to the fen half up as a statement shows it.
TEST(OfficialTrade, LegsAsTheStatementShowsThem) {
    constexpr Market kSh = Market::Shanghai, kSz = Market::Shenzhen;
    constexpr SecurityType kA = SecurityType::AShare, kB = SecurityType::BShare;
    constexpr SecurityType kFund = SecurityType::Fund;
    // clang-format off
    const struct {
        FeeRules rules;
        Side side;
        double price, quantity;
        // commission, stamp, transfer, settlement, handling, regulatory; the leg's total
        std::array<double, 6> fees;
        double total;
    } cases[] = {
        // Before the stamp duty was halved: 1‰ of 12,345 = 12.345 -> 12.35; handling 0.0487‰
        // = 0.6012 -> 0.60; transfer 0.1235 -> 0.12; regulatory 0.2469 -> 0.25; commission
        // 3.08625 -> the 5.00 minimum.
        {Official(kSh, kA, {2023, 8, 25}), Side::Sell, 123.45, 100,
         {5.00, 12.35, 0.12, 0, 0.60, 0.25}, 18.32},
        // A tie of today's stamp duty: 0.05 % of 10,010 = 5.005 -> 5.01.
        {Official(kSz, kA), Side::Sell, 10.01, 1000, {5.00, 5.01, 0.10, 0, 0.34, 0.20}, 10.65},
        // Shanghai B shares, US$ 50: commission 0.0125 raised to one dollar; settlement 0.025
        // -> 0.03; handling 0.001705 and regulatory 0.001 -> 0.00.
        {Official(kSh, kB), Side::Buy, 0.5, 100, {1.00, 0, 0, 0.03, 0, 0}, 1.03},
        // A Shenzhen ETF: no stamp duty, no transfer fee; handling 0.04‰ of 20,000 = 0.80.
        {Official(kSz, kFund), Side::Sell, 2, 10000, {5.00, 0, 0, 0, 0.80, 0}, 5.80},
        // A Shanghai fund before 2021-07-19: handling 0.045‰ of 100,000 = 4.50; commission 25.
        {Official(kSh, kFund, {2021, 3, 1}), Side::Buy, 1, 100000, {25, 0, 0, 0, 4.50, 0}, 29.50},
        // 473 yuan in 2020: transfer 0.00946 -> 0.01, no minimum; handling 0.023 -> 0.02;
        // regulatory 0.00946 -> 0.01.
        {Official(kSh, kA, {2020, 6, 1}), Side::Buy, 4.73, 100, {5, 0, 0.01, 0, 0.02, 0.01}, 5.04},
    };
    // clang-format on
    const ChargeSlot slots[] = {ChargeSlot::Commission, ChargeSlot::Stamp,
                                ChargeSlot::Transfer,   ChargeSlot::Settlement,
                                ChargeSlot::Handling,   ChargeSlot::Regulator};
    for (const auto& c : cases) {
        const LegCharges leg = ChargeLeg(c.rules, c.side, c.price, c.quantity);
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_DOUBLE_EQ(leg[slots[i]], c.fees[i]) << c.price << ", fee " << i;
        }
        EXPECT_DOUBLE_EQ(leg.total, c.total) << c.price;
    }
}

// ---------------------------------------------------------------------------------------
// The break-even search

std::string Describe(const FeeRules& r, double buy, double qty) {
    std::string text;
    char part[200];
    for (const Charge& c : r.charges) {
        std::snprintf(part, sizeof part, "[%.17g%s%s%s min %d/%.17g cap %.17g] ", c.rate,
                      c.perShare ? "/share" : "", c.onBuy ? " buy" : "", c.onSell ? " sell" : "",
                      static_cast<int>(c.minimumRule), c.minimum, c.cap);
        text += part;
    }
    std::snprintf(part, sizeof part, "other %.17g%s buy %.17g qty %.17g", r.other,
                  r.toFen ? " fen" : "", buy, qty);
    return text + part;
}

// Compares the fast search with the walk. Returns whether the walk decided the case within
// maxSteps; when it did not, the fast answer must still lie beyond every price the walk
// rejected and must itself stop the walk.
bool ExpectAgreesWithWalk(const FeeRules& r, double buy, double qty, std::int64_t maxSteps) {
    const std::optional<double> fast = BreakEvenSellPrice(r, buy, qty);
    const auto walk = LiteralBreakEven(r, buy, qty, maxSteps);
    const std::string what = Describe(r, buy, qty);
    switch (walk.outcome) {
    case Outcome::Found:
        EXPECT_TRUE(fast.has_value()) << what;
        EXPECT_TRUE(fast && std::memcmp(&*fast, &walk.price, sizeof walk.price) == 0)
            << what << "\n fast " << fast.value_or(NAN) << " walk " << walk.price << " after "
            << walk.steps << " steps";
        return true;
    case Outcome::Stalled:
        EXPECT_FALSE(fast.has_value()) << what << " fast " << *fast;
        return true;
    case Outcome::StepsExhausted:
        if (fast) {
            EXPECT_GT(*fast, walk.price) << what;
            EXPECT_FALSE(((*fast - buy) * qty - LegFees(r, Side::Sell, *fast, qty)) -
                             LegFees(r, Side::Buy, buy, qty) <
                         0)
                << what;
        }
        return false;
    }
    return false;
}

ClassicRates Classic(double commission, double stamp, double other = 0,
                     Market market = Market::Shanghai) {
    ClassicRates r;
    r.market = market;
    r.rates.commissionRate = commission;
    r.rates.stampRate = stamp;
    r.rates.otherFee = other;
    return r;
}

ClassicRates With(ClassicRates r, double RateSet::*rate, double value) {
    r.rates.*rate = value;
    return r;
}

// B shares in Shenzhen with a cap no trade reaches.
ClassicRates Capped(double cap) {
    ClassicRates r = DefaultB(Market::Shenzhen);
    r.settlementCap = cap;
    return r;
}

// Trades around the places where the search changes its manner: no search at all, the few
// steps below 2^-5, binade edges, the minimum commission giving way to the rate (walks of
// millions of steps), the Shenzhen cap taking over, sell-leg rates summing to 1 with an
// other charge making the exact profit 0 at every price, so that only rounding decides.
// Caps beyond any trade once widened the search's rounding allowance until it gave up
// (500000 x 100: no break-even instead of 507556.6800070377), and subnormal rates once
// made it slow.
TEST(BreakEven, ChosenTradesAgreeWithTheWalk) {
    const ClassicRates capTurnsLoss = With(DefaultB(), &RateSet::settlementRate, 2);
    const ClassicRates flat = Classic(0.5, 0.5, -0.02999999999997);
    BrokerTerms lowMinimum, tinyRate;
    lowMinimum.minimumHkDollar = 17.62;
    tinyRate.commissionRate = 0.000011;
    tinyRate.minimumHkDollar = 50.46;
    const FeeRules szB =
        *OfficialFeeRules({2026, 12, 6}, Market::Shenzhen, SecurityType::BShare, lowMinimum);
    const FeeRules szB2020 =
        *OfficialFeeRules({2020, 6, 1}, Market::Shenzhen, SecurityType::BShare, tinyRate);
    const struct {
        FeeRules rules;
        double buy, qty;
    } cases[] = {
        // clang-format off
        {ShanghaiA(), 0, 1000}, {ShanghaiA(), 10, 0}, {ShanghaiA(), 0.00001, 1},
        {ShanghaiA(), 0.00001, 100000000}, {ShanghaiA(), 0.015, 1}, {ShanghaiA(), 0.03125, 3},
        {ShanghaiA(), 0.0625, 7}, {ShanghaiA(), 1, 1}, {ShanghaiA(), 0.99, 1000},
        {ShanghaiA(), 1.99, 333}, {ShanghaiA(), 127.99, 100}, {ShanghaiA(), 4095.995, 1},
        {ShanghaiA(), 3.3, 99999999}, {With(ShanghaiA(), &RateSet::minCommission, 20000), 0.01, 1},
        {With(ShanghaiA(), &RateSet::minCommission, 20000), 3.7, 1000},
        {With(ShanghaiA(), &RateSet::minCommission, 3e6), 1000, 1000}, {DefaultB(), 10, 200000},
        {DefaultB(), 0.5, 100000000}, {DefaultB(), 2000, 12345}, {capTurnsLoss, 1, 100},
        {capTurnsLoss, 0.37, 1000}, {With(ShanghaiA(), &RateSet::otherFee, 7.77), 0.05, 1},
        {Classic(0, 0), 5, 100}, {Classic(0, 0), 0.00001, 1}, {Classic(0.5, 0.5, -1), 0.5, 2},
        {Classic(0.5, 0.5, -3), 3, 1}, {Classic(0.5, 0.5, -2), 0.25, 8},
        {Classic(0.5, 0.5, -7), 1.75, 4}, {Classic(0.5, 0.5, -1), 0.1, 10},
        {Capped(1e20), 500000, 100}, {Capped(1e300), 500000, 100},
        {With(Classic(1e-310, -1e-310), &RateSet::minCommission, 0), 0.01, 1},
        // A1=0.5 A3=0.5 A6=-0.02999999999997, buy 0.01 x 3, a hand-edited file's, once
        // defeated the search: the walk stops at 682.6699999995242 after 68,266 steps. A
        // subnormal handling fee, which every sum absorbs, changes nothing.
        {flat, 0.01, 3}, {With(flat, &RateSet::handlingRate, 1e-310), 0.01, 3},
        // Buying 2420.60 x 411 pays a settlement fee of 497.43, under the cap of 500; selling
        // near 2460.35 would pay 505.60, so the cap takes over between the two prices.
        {DefaultB(), 2420.60, 411},
        // Official legs, each fee rounded to the fen, whose profit reaches zero exactly at a
        // fen: buying 71.43 costs 17.62 + 0.04 settlement, selling near 106.81 costs 17.62 +
        // 0.05 stamp + 0.05 settlement, and 106.81 - 71.43 - 17.66 - 17.72 = 0; likewise
        // 2616.8 in 2020 with a commission of 0.0011 %, minimum 50.46.
        {szB, 71.43, 1}, {szB2020, 2616.8, 1},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(ExpectAgreesWithWalk(c.rules, c.buy, c.qty, 20000000));
    }
}

// Where no price ever breaks even the walk would never end; the search says so: sell-leg
// rates summing to 1 or more (also after the cap, which lifts only the settlement rate),
// and a trial price that no longer moves.
TEST(BreakEven, NoPriceBreaksEven) {
    const ClassicRates capNoHelp =
        With(With(DefaultB(), &RateSet::handlingRate, 1), &RateSet::settlementRate, 0.5);
    // clang-format off
    const struct {
        ClassicRates rules;
        double buy, qty;
    } cases[] = {
        {Classic(0.6, 0.4), 10, 1000}, {With(DefaultB(), &RateSet::stampRate, 1.5), 0.00001, 1},
        {capNoHelp, 99, 99999}, {ShanghaiA(), 1e15, 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_FALSE(BreakEvenSellPrice(c.rules, c.buy, c.qty).has_value());
        EXPECT_NE(LiteralBreakEven(c.rules, c.buy, c.qty, 100000).outcome, Outcome::Found);
    }
}

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
    static double Typed(double v, int decimals) {
        const double scale = std::pow(10.0, decimals);
        return std::round(v * scale) / scale;
    }
    // Nothing, typed, any, absurd (the sums may reach 1), negative, subnormal.
    double Rate() {
        const double kinds[] = {0,
                                Typed(LogUniform(1e-5, 0.01), 6),
                                LogUniform(1e-7, 0.3),
                                Uniform(0, 0.5),
                                -Typed(LogUniform(1e-5, 0.01), 6),
                                Pick(2) == 0 ? 1e-310 : -1e-310};
        return kinds[Pick(6)];
    }

    // Official rules of a day from 2015-08-01 on, with broker's terms that include a rebate
    // (a negative rate), a subnormal rate and the absurd.
    FeeRules Official() {
        const Date date =
            std::max(Date{2015 + Pick(12), 1 + Pick(12), 1 + Pick(28)}, kFirstRuleDate);
        BrokerTerms terms;
        const double rates[] = {0,
                                Typed(LogUniform(1e-5, 0.003), 6),
                                -Typed(LogUniform(1e-5, 0.003), 6),
                                1e-310,
                                Uniform(0, 0.5),
                                0.00025};
        terms.commissionRate = rates[Pick(6)];
        const double minimums[] = {0, 5, -5, 1e-310, Typed(LogUniform(0.01, 1000), 2)};
        terms.minimumYuan = terms.minimumUsDollar = terms.minimumHkDollar = minimums[Pick(5)];
        terms.minimumWaived = Pick(4) == 0;
        terms.includesExchangeFees = Pick(2) == 0;
        const Market market = Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen;
        return *OfficialFeeRules(date, market, *TypeFromNumber(1 + Pick(5)), terms);
    }

    // Classic parameters a hand-edited file can hold: B-share fees or not, minimums, a
    // transfer fee, an other charge, a setting the file lacked (read as -1), and Shenzhen
    // caps a trade reaches or none ever does.
    ClassicRates Classic() {
        ClassicRates classic;
        RateSet& r = classic.rates;
        classic.market = Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen;
        r.commissionRate = Rate();
        r.stampRate = Rate();
        if (Pick(2) == 0) {
            r.settlementRate = Rate();
            r.handlingRate = Rate();
            r.regulatorRate = Rate();
        }
        const double minimums[] = {0, 5.0 * (1 + Pick(2)), Typed(LogUniform(0.01, 1e6), 2),
                                   Typed(LogUniform(0.01, 1e6), 2)};
        r.minCommission = minimums[Pick(4)];
        if (Pick(2) == 0) {
            r.transferRate = Typed(LogUniform(1e-4, 0.01), 4);
            r.minTransfer = Pick(3);
        }
        if (Pick(4) == 0) {
            r.otherFee = (Pick(3) == 0 ? -1 : 1) * Typed(LogUniform(0.01, 100), 2);
        }
        if (Pick(10) == 0) {
            double* fields[] = {&r.commissionRate, &r.minCommission, &r.minTransfer, &r.otherFee,
                                &r.stampRate};
            *fields[Pick(5)] = -1;
        }
        const double caps[] = {500, 1e20, 1e300, Typed(LogUniform(0.01, 1e5), 2),
                               Typed(LogUniform(0.01, 1e5), 2)};
        classic.settlementCap = caps[Pick(5)];
        return classic;
    }
    double Buy(bool official = false) {
        return official
                   ? (Pick(2) == 0 ? Typed(LogUniform(0.001, 999999), 3) : LogUniform(0.0001, 5000))
               : Pick(3) == 0 ? Typed(LogUniform(0.01, 5000), 2)
                              : LogUniform(1e-5, 5000);
    }
    double Quantity(double most = 1e8) { return std::round(LogUniform(1, most)); }

private:
    std::mt19937_64 rng_;
};

TEST(BreakEven, RandomTradesAgreeWithTheWalkInBothModels) {
    for (const bool official : {false, true}) {
        TradeGenerator gen(official ? 20261206 : 20240917);
        constexpr int kCases = 2000;
        int decided = 0, found = 0;
        for (int i = 0; i < kCases && !HasFailure(); ++i) {
            const FeeRules rules = official ? gen.Official() : FeeRules(gen.Classic());
            const double buy = gen.Buy(official), qty = gen.Quantity();
            found += LiteralBreakEven(rules, buy, qty, 30000).outcome == Outcome::Found;
            decided += ExpectAgreesWithWalk(rules, buy, qty, 30000);
        }
        // Most cases must actually have been compared, not merely bounded.
        EXPECT_GT(decided, kCases * 6 / 10) << official;
        EXPECT_GT(found, kCases / 2) << official;
    }
}

// Sell-leg rates a hair below 1, with an other charge placing the exact break-even a few
// steps above the buy price: each step raises the profit by less than its rounding noise,
// so the walk stops wherever rounding first lets it, and the search must not jump past that
// price (the chosen trades hold one a hand-edited file held).
TEST(BreakEven, ProfitGrowingSlowerThanItsNoiseAgrees) {
    TradeGenerator gen(4242);
    int decided = 0;
    for (int i = 0; i < 600 && !HasFailure(); ++i) {
        ClassicRates r =
            Classic(0.5, 0.25, 0, gen.Pick(2) == 0 ? Market::Shanghai : Market::Shenzhen);
        r.settlementCap = 1e300;
        const double deficit = gen.Pick(5) == 0 ? 0.0 : gen.LogUniform(1e-16, 1e-9);
        (gen.Pick(2) == 0 ? r.rates.settlementRate : r.rates.handlingRate) = 0.25 - deficit;
        const double buy = gen.Pick(2) == 0 ? gen.Typed(gen.LogUniform(0.05, 5000), 2)
                                            : gen.LogUniform(0.05, 5000);
        const double qty = gen.Quantity(1e6);
        const double target = buy + 0.01 * gen.Pick(400);
        const double sum = 1 - deficit;
        // The profit (1 - sum) t q - b q - sum b q - 2 O is zero at the target.
        r.rates.otherFee = (deficit * target * qty - buy * qty - sum * buy * qty) / 2;
        decided += ExpectAgreesWithWalk(r, buy, qty, 1000000);
    }
    EXPECT_GT(decided, 300);
}

// The search's work, not its time, is bounded: a time limit would fail on a loaded machine.
// Trial prices costed for the largest prices and quantities the fields admit, huge minimums
// on tiny trades, rates a hair below 1, caps beyond any trade (1e20, 1e300: once they
// widened the rounding allowance until the search gave up) and subnormal rates. Only the
// flat-and-noisy family, a loss just short of zero, may spend the whole budget of single
// trial prices (2^16).
TEST(BreakEven, EveryInputTheFieldsAdmitNeedsFewTrials) {
    TradeGenerator gen(5);
    for (int i = 0; i < 1200; ++i) {
        ClassicRates c = gen.Classic();
        double buy = gen.LogUniform(0.00001, 9999999), qty = gen.Quantity(999999999);
        std::optional<FeeRules> rules;
        switch (i % 8) {
        case 0:
            c.rates.minCommission = 9999999;
            buy = 0.00001;
            qty = 1;
            break;
        case 1:
            c.rates.commissionRate = 0.5;
            c.rates.stampRate = 0.4999;
            break;
        case 2:
            buy = gen.Uniform(9000000, 9999999);
            qty = 999999999;
            break;
        case 3:
            c = Classic(0.5, 0.5, -buy * qty * (1 - gen.LogUniform(1e-15, 1e-3)));
            break;
        case 4:
            c = With(DefaultB(), &RateSet::settlementRate, gen.Uniform(0.5, 3));
            c.settlementCap = gen.LogUniform(1, 1e7);
            break;
        case 5:
            c = With(With(ShanghaiA(), &RateSet::commissionRate, 1e-310), &RateSet::stampRate,
                     -1e-310);
            c.rates.minCommission = 0;
            buy = 0.01;
            qty = 1;
            break;
        case 6:
            c = Capped(gen.Pick(2) == 0 ? 1e20 : 1e300);
            break;
        default:
            rules = gen.Official();
        }
        std::int64_t trials = 0;
        BreakEvenSellPrice(rules.value_or(c), buy, qty, &trials);
        EXPECT_GT(trials, 0) << i;
        EXPECT_LE(trials, i % 8 == 3 ? 70000 : 5000)
            << i << ": " << Describe(rules.value_or(c), buy, qty);
    }
}

} // namespace
} // namespace ym
