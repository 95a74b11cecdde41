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
    if (plan.withBonus) {
        t.bonus = plan.bonusPer10 / 10;
    }
    if (plan.withRights) {
        t.rights = plan.rightsPer10 / 10;
        t.price = plan.rightsPrice;
    }
    if (plan.withCash) {
        t.cash = plan.cashPer10 / 10;
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
    const bool forward = direction == ExRightsDirection::BeforeToAfter;
    // The working sums are built in the order bonus, rights, cash: the money a holder pays
    // in for rights raises the price before, the cash paid out lowers it.
    if (plan.withBonus) {
        shareFactor = shareFactor + plan.bonusPer10 / 10;
    }
    if (plan.withRights) {
        const double paidIn = (plan.rightsPer10 / 10) * plan.rightsPrice;
        moneyAdjust = forward ? moneyAdjust + paidIn : moneyAdjust - paidIn;
        shareFactor = shareFactor + plan.rightsPer10 / 10;
    }
    if (plan.withCash) {
        const double paidOut = plan.cashPer10 / 10;
        moneyAdjust = forward ? moneyAdjust - paidOut : moneyAdjust + paidOut;
    }
    double result;
    if (forward) {
        priceAfter = (priceBefore + moneyAdjust) / shareFactor;
        result = priceAfter;
    } else {
        priceBefore = priceAfter * shareFactor + moneyAdjust;
        result = priceBefore;
    }
    // Reset so that the next computation starts afresh and never compounds.
    moneyAdjust = 0;
    shareFactor = 1;
    return result;
}

} // namespace ym
