// The ex-rights window's procedure against the closed forms; the worked plans are checked
// through yuanmate-calc.
#include "core/exrights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace ym {
namespace {

double Computed(ExRightsCalculator& calc, ExRightsDirection direction, double from) {
    calc.direction = direction;
    (direction == ExRightsDirection::BeforeToAfter ? calc.priceBefore : calc.priceAfter) = from;
    return calc.Compute();
}

// A component left unchecked adds nothing, whatever its fields still hold; and the working
// sums are back at rest after each computation, so computing again does not compound.
TEST(ExRights, UncheckedComponentsAndRepeatedComputations) {
    ExRightsCalculator calc;
    calc.plan = {false, false, true, 5, 3, 8, 2};
    EXPECT_DOUBLE_EQ(Computed(calc, ExRightsDirection::BeforeToAfter, 20), 19.8);
    EXPECT_DOUBLE_EQ(Computed(calc, ExRightsDirection::BeforeToAfter, 20), 19.8);
    calc.plan = {true, true, true, 2, 3, 8, 1.5};
    EXPECT_DOUBLE_EQ(Computed(calc, ExRightsDirection::AfterToBefore, 15), 20.25);
    EXPECT_DOUBLE_EQ(Computed(calc, ExRightsDirection::AfterToBefore, 15), 20.25);
    EXPECT_EQ(calc.moneyAdjust, 0);
    EXPECT_EQ(calc.shareFactor, 1);
}

// Backward undoes forward. The procedure folds the money terms into one working sum before
// adding the price, the closed forms add them one by one: with both rights and cash the
// results may differ in the last bits, with at most one money term they must agree exactly.
TEST(ExRights, RandomPlansInvertAndAgreeWithTheClosedForms) {
    std::mt19937_64 rng(2718);
    std::uniform_int_distribution<int> coin(0, 1);
    std::uniform_real_distribution<double> per10(0, 10), rightsPrice(0.5, 50), price(0.01, 1000);
    for (int i = 0; i < 5000; ++i) {
        const ExRightsPlan p{coin(rng) == 1, coin(rng) == 1,   coin(rng) == 1, per10(rng),
                             per10(rng),     rightsPrice(rng), per10(rng)};
        const double from = price(rng);
        const double tolerance = 1e-12 * (from + 100);
        EXPECT_NEAR(PriceBeforeFrom(PriceAfterFrom(from, p), p), from, tolerance) << i;
        EXPECT_NEAR(PriceAfterFrom(PriceBeforeFrom(from, p), p), from, tolerance) << i;
        for (const auto direction :
             {ExRightsDirection::BeforeToAfter, ExRightsDirection::AfterToBefore}) {
            ExRightsCalculator calc;
            calc.plan = p;
            const double got = Computed(calc, direction, from);
            const double closed = direction == ExRightsDirection::BeforeToAfter
                                      ? PriceAfterFrom(from, p)
                                      : PriceBeforeFrom(from, p);
            if (p.withRights && p.withCash) {
                EXPECT_NEAR(got, closed, 1e-12 * (std::fabs(closed) + 100)) << i;
            } else {
                EXPECT_EQ(got, closed) << i;
            }
        }
    }
}

} // namespace
} // namespace ym
