#include "core/exrights.h"

namespace ym {

namespace {

// The per-share terms of a plan; a component that is not checked contributes nothing,
// whatever its fields still hold.
struct PlanTerms {
    double bonus = 0;  // b: bonus shares per old share
    double rights = 0; // r: rights shares per old share
    double price = 0;  // p: subscription price of a rights share
    double cash = 0;   // d: cash per old share
};

PlanTerms TermsOf(const ExRightsPlan& plan) {
    PlanTerms t;
    if (plan.Bonus) {
        t.bonus = plan.BonusPer10 / 10;
    }
    if (plan.Rights) {
        t.rights = plan.RightsPer10 / 10;
        t.price = plan.RightsPrice;
    }
    if (plan.Cash) {
        t.cash = plan.CashPer10 / 10;
    }
    return t;
}

} // namespace

double PriceAfterFrom(double priceBefore, const ExRightsPlan& plan) {
    const PlanTerms t = TermsOf(plan);
    return (priceBefore + t.rights * t.price - t.cash) / (1 + t.bonus + t.rights);
}

double PriceBeforeFrom(double priceAfter, const ExRightsPlan& plan) {
    const PlanTerms t = TermsOf(plan);
    return priceAfter * (1 + t.bonus + t.rights) + t.cash - t.rights * t.price;
}

double ExRightsCalculator::Compute() {
    const bool forward = Direction == ExRightsDirection::BeforeToAfter;
    // The working sums are built in the order bonus, rights, cash: the money a holder pays
    // in for rights raises the price before, the cash paid out lowers it.
    if (plan.Bonus) {
        ShareFactor = ShareFactor + plan.BonusPer10 / 10;
    }
    if (plan.Rights) {
        const double paidIn = (plan.RightsPer10 / 10) * plan.RightsPrice;
        MoneyAdjust = forward ? MoneyAdjust + paidIn : MoneyAdjust - paidIn;
        ShareFactor = ShareFactor + plan.RightsPer10 / 10;
    }
    if (plan.Cash) {
        const double paidOut = plan.CashPer10 / 10;
        MoneyAdjust = forward ? MoneyAdjust - paidOut : MoneyAdjust + paidOut;
    }
    double result;
    if (forward) {
        PriceAfter = (PriceBefore + MoneyAdjust) / ShareFactor;
        result = PriceAfter;
    } else {
        PriceBefore = PriceAfter * ShareFactor + MoneyAdjust;
        result = PriceBefore;
    }
    // Reset so that the next computation starts afresh and never compounds.
    MoneyAdjust = 0;
    ShareFactor = 1;
    return result;
}

} // namespace ym
