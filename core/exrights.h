// Prices across a distribution of bonus shares, rights shares and cash (ex-rights).
#pragma once

namespace ym {

struct ExRightsPlan {
    bool withBonus = false;  // 送股
    bool withRights = false; // 配股
    bool withCash = false;   // 送现金
    double bonusPer10 = 0;
    double rightsPer10 = 0;
    double rightsPrice = 0;
    double cashPer10 = 0;
};

// price after = (price before + r × p − d) / (1 + b + r)
double PriceAfterFrom(double priceBefore, const ExRightsPlan& plan);
// price before = price after × (1 + b + r) + d − r × p
double PriceBeforeFrom(double priceAfter, const ExRightsPlan& plan);

enum class ExRightsDirection {
    BeforeToAfter, // the price after from the price before
    AfterToBefore, // the price before from the price after
};

// The ex-rights window's working state: the working sums are built up by one
// computation in the order bonus, rights, cash, and reset at its end.
struct ExRightsCalculator {
    double priceBefore = 0;
    double priceAfter = 0;
    double moneyAdjust = 0;
    double shareFactor = 1;
    ExRightsDirection direction = ExRightsDirection::BeforeToAfter;
    ExRightsPlan plan;

    // Computes priceAfter or priceBefore, as direction says, and returns it.
    double Compute();
};

} // namespace ym
