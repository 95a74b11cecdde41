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

// The ex-rights window's working state: the working sums are built up by one
// computation in the order bonus, rights, cash, and reset at its end.
struct ExRightsCalculator {
    double PriceBefore = 0;
    double PriceAfter = 0;
    double MoneyAdjust = 0;
    double ShareFactor = 1;
    int Direction = 0; // 0: after from before; 1: before from after
    ExRightsPlan plan;

    // Computes PriceAfter (Direction 0) or PriceBefore (Direction 1) and returns it.
    double Compute();
};

} // namespace ym
