// Ex-rights prices: the worked plans, both directions, and the window's own procedure.
#include "core/exrights.h"
#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace ym {
namespace {

ExRightsPlan Plan(double bonus, double rights, double rightsPrice, double cash) {
    ExRightsPlan p;
    p.Bonus = bonus >= 0;
    p.Rights = rights >= 0;
    p.Cash = cash >= 0;
    p.BonusPer10 = p.Bonus ? bonus : 0;
    p.RightsPer10 = p.Rights ? rights : 0;
    p.RightsPrice = p.Rights ? rightsPrice : 0;
    p.CashPer10 = p.Cash ? cash : 0;
    return p;
}
constexpr double kOff = -1; // component not checked

ExRightsDirection DirectionOf(int direction) {
    return direction == 0 ? ExRightsDirection::BeforeToAfter : ExRightsDirection::AfterToBefore;
}

// Direction 0 computes the price after from the price before, 1 the price before from the
// price after; the closed form and the window's procedure must show the same text.
TEST(ExRightsTest, WorkedPlans) {
    struct Case {
        const char* name;
        ExRightsPlan plan;
        double from;
        int direction;
        const char* shown;
    };
    const Case cases[] = {
        {"full plan forward", Plan(2, 3, 8, 1.5), 20, 0, "14.83"},
        {"full plan backward", Plan(2, 3, 8, 1.5), 15, 1, "20.25"},
        {"nothing checked forward", Plan(kOff, kOff, 0, kOff), 10, 0, "10.00"},
        {"nothing checked backward", Plan(kOff, kOff, 0, kOff), 10, 1, "10.00"},
        {"bonus only", Plan(3, kOff, 0, kOff), 13, 0, "10.00"},
        {"bonus only backward", Plan(5, kOff, 0, kOff), 10, 1, "15.00"},
        {"rights only", Plan(kOff, 3, 6, kOff), 10, 0, "9.08"},
        {"cash only", Plan(kOff, kOff, 0, 2.5), 12.34, 0, "12.09"},
        {"cash above the price goes negative", Plan(kOff, kOff, 0, 1), 0, 0, "-0.10"},
        {"checked but empty", Plan(0, 0, 0, 0), 7.77, 0, "7.77"},
    };
    for (const Case& c : cases) {
        const double closed =
            c.direction == 0 ? PriceAfterFrom(c.from, c.plan) : PriceBeforeFrom(c.from, c.plan);
        EXPECT_EQ(FormatMask(closed, kExRightsMask), c.shown) << c.name;
        ExRightsCalculator calc;
        calc.plan = c.plan;
        calc.Direction = DirectionOf(c.direction);
        (c.direction == 0 ? calc.PriceBefore : calc.PriceAfter) = c.from;
        const double result = calc.Compute();
        EXPECT_EQ(FormatMask(result, kExRightsMask), c.shown) << c.name;
        EXPECT_EQ(result, c.direction == 0 ? calc.PriceAfter : calc.PriceBefore) << c.name;
        EXPECT_EQ(calc.MoneyAdjust, 0) << c.name;
        EXPECT_EQ(calc.ShareFactor, 1) << c.name;
    }
}

// A component left unchecked contributes nothing, whatever its fields still hold.
TEST(ExRightsTest, UncheckedComponentsAreIgnored) {
    ExRightsPlan p;
    p.BonusPer10 = 5;
    p.RightsPer10 = 3;
    p.RightsPrice = 8;
    p.CashPer10 = 2;
    EXPECT_EQ(PriceAfterFrom(20, p), 20);
    EXPECT_EQ(PriceBeforeFrom(20, p), 20);
    p.Cash = true;
    EXPECT_DOUBLE_EQ(PriceAfterFrom(20, p), 19.8);
    ExRightsCalculator calc;
    calc.plan = p;
    calc.PriceBefore = 20;
    EXPECT_DOUBLE_EQ(calc.Compute(), 19.8);
}

// After a computation the working sums are back at rest, so the same plan applied to the
// same price again gives the same answer instead of compounding.
TEST(ExRightsTest, RepeatedComputationsDoNotCompound) {
    ExRightsCalculator calc;
    calc.plan = Plan(2, 3, 8, 1.5);
    calc.PriceBefore = 20;
    const double first = calc.Compute();
    calc.PriceAfter = 0;
    const double second = calc.Compute();
    EXPECT_EQ(first, second);
    calc.Direction = ExRightsDirection::AfterToBefore;
    calc.PriceAfter = 15;
    EXPECT_DOUBLE_EQ(calc.Compute(), 20.25);
    EXPECT_DOUBLE_EQ(calc.Compute(), 20.25);
}

ExRightsPlan RandomPlan(std::mt19937_64& rng) {
    std::uniform_int_distribution<int> coin(0, 1);
    std::uniform_real_distribution<double> per10(0, 10);
    std::uniform_real_distribution<double> price(0.5, 50);
    ExRightsPlan p;
    p.Bonus = coin(rng);
    p.Rights = coin(rng);
    p.Cash = coin(rng);
    p.BonusPer10 = per10(rng);
    p.RightsPer10 = per10(rng);
    p.RightsPrice = price(rng);
    p.CashPer10 = per10(rng);
    return p;
}

// Backward undoes forward. The procedure folds the money terms into one working sum
// before adding the price, the closed forms add them to the price one by one: with both
// rights and cash checked the results may differ in the last bits; with at most one money
// term they are the same operations and must agree exactly.
TEST(ExRightsTest, RandomPlansInvertAndAgreeWithTheProcedure) {
    std::mt19937_64 rng(2718);
    std::uniform_real_distribution<double> price(0.01, 1000);
    for (int i = 0; i < 5000; ++i) {
        const ExRightsPlan p = RandomPlan(rng);
        const double from = price(rng);
        const double tolerance = 1e-12 * (from + 100);
        EXPECT_NEAR(PriceBeforeFrom(PriceAfterFrom(from, p), p), from, tolerance) << i;
        EXPECT_NEAR(PriceAfterFrom(PriceBeforeFrom(from, p), p), from, tolerance) << i;
        for (int direction : {0, 1}) {
            ExRightsCalculator calc;
            calc.plan = p;
            calc.Direction = DirectionOf(direction);
            (direction == 0 ? calc.PriceBefore : calc.PriceAfter) = from;
            const double got = calc.Compute();
            const double closed =
                direction == 0 ? PriceAfterFrom(from, p) : PriceBeforeFrom(from, p);
            if (p.Rights && p.Cash) {
                EXPECT_NEAR(got, closed, 1e-12 * (std::fabs(closed) + 100)) << i;
            } else {
                EXPECT_EQ(got, closed) << i << " direction " << direction;
            }
        }
    }
}

} // namespace
} // namespace ym
