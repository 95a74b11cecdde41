// Prices across a distribution of bonus shares, rights shares and cash (ex-rights).
#pragma once

namespace ym {

struct ExRightsPlan {
    bool Bonus = false;  // 送股
    bool Rights = false; // 配股
    bool Cash = false;   // 送现金
    double BonusPer10 = 0;
    double RightsPer10 = 0;
    double RightsPrice = 0;
    double CashPer10 = 0;
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
    double PriceBefore = 0;
    double PriceAfter = 0;
    double MoneyAdjust = 0;
    double ShareFactor = 1;
    ExRightsDirection Direction = ExRightsDirection::BeforeToAfter;
    ExRightsPlan plan;

    // Computes PriceAfter or PriceBefore, as Direction says, and returns it.
    double Compute();
};

} // namespace ym
