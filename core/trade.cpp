#include "core/trade.h"

#include "core/number_text.h"

namespace ym {

namespace {

// A leg's fees as the result shows them.
struct ShownLeg {
    LegCharges charges;
    double handling = 0;
    double regulator = 0;
    double other = 0;
};

ShownLeg Show(const FeeRules& rules, const LegCharges& leg) {
    ShownLeg shown{leg, leg[ChargeSlot::Handling], leg[ChargeSlot::Regulator], leg.other};
    if (rules.exchangeFeesAsOther) {
        shown.other = (shown.handling + shown.regulator) + shown.other;
        shown.handling = 0;
        shown.regulator = 0;
    }
    return shown;
}

} // namespace

TradeResult ComputeTrade(const FeeRules& rules, const TradeInput& input) {
    TradeResult res;
    // Sums of fees rounded to the fen are whole fen again; the rounding only takes the
    // binary addition's noise off.
    const auto add = [&](double a, double b) { return rules.toFen ? RoundToCents(a + b) : a + b; };

    const ShownLeg buy = Show(rules, ChargeLeg(rules, Side::Buy, input.BuyPrice, input.Quantity));
    const ShownLeg sell =
        Show(rules, ChargeLeg(rules, Side::Sell, input.SellPrice, input.Quantity));
    const LegCharges& b = buy.charges;
    const LegCharges& s = sell.charges;
    res.BuyAmount = b.amount;
    res.SellAmount = s.amount;
    res.BuyCommission = b[ChargeSlot::Commission];
    res.SellCommission = s[ChargeSlot::Commission];
    res.BuyStamp = b[ChargeSlot::Stamp];
    res.SellStamp = s[ChargeSlot::Stamp];
    res.BuySettlement = b[ChargeSlot::Settlement];
    res.SellSettlement = s[ChargeSlot::Settlement];
    res.BuyHandling = buy.handling;
    res.SellHandling = sell.handling;
    res.BuyRegulator = buy.regulator;
    res.SellRegulator = sell.regulator;

    res.CommissionTotal = add(res.SellCommission, res.BuyCommission);
    res.StampTotal = add(res.SellStamp, res.BuyStamp);
    res.SettlementTotal = add(res.SellSettlement, res.BuySettlement);
    res.HandlingTotal = add(res.SellHandling, res.BuyHandling);
    res.RegulatorTotal = add(res.SellRegulator, res.BuyRegulator);

    res.BuyLegFees = b.total;
    res.SellLegFees = s.total;

    // A trade with one leg (or none) has no profit; its fixed charges are taken once, from
    // the leg that has an amount. Classic legs have equal transfer fees and other charges,
    // so which leg makes no difference there, and x + x is 2x to the bit.
    const bool bothLegs = !(res.SellAmount == 0 || res.BuyAmount == 0);
    const ShownLeg& lone = res.BuyAmount != 0 ? buy : sell;
    res.LegTransfer = lone.charges[ChargeSlot::Transfer];
    if (bothLegs) {
        res.TransferTotal = add(s[ChargeSlot::Transfer], b[ChargeSlot::Transfer]);
        res.OtherTotal = add(sell.other, buy.other);
    } else {
        res.NetProfit = 0;
        res.Yield = 0;
        res.TransferTotal = res.LegTransfer;
        res.OtherTotal = lone.other;
    }

    res.FeesTotal = res.StampTotal + res.CommissionTotal + res.TransferTotal + res.SettlementTotal +
                    res.HandlingTotal + res.RegulatorTotal + res.OtherTotal;
    if (rules.toFen) {
        res.FeesTotal = RoundToCents(res.FeesTotal);
    }

    if (bothLegs) {
        res.NetProfit = (res.SellAmount - res.BuyAmount) - res.FeesTotal;
        // Measured against the money actually paid for the purchase, fees included. No
        // profit is no yield, also where negative fees (hand-edited settings) made the
        // purchase cost nothing: 0/0 would show "NaN %".
        res.Yield = res.NetProfit == 0 ? 0 : res.NetProfit / (res.BuyAmount + res.BuyLegFees);
    }

    // Only an empty field means "no leg"; a price typed as 0 still pays the fixed charges.
    res.TotalPaid = input.BuyFieldEmpty ? 0 : res.BuyAmount + res.BuyLegFees;
    res.TotalReceived = input.SellFieldEmpty ? 0 : res.SellAmount - res.SellLegFees;

    res.BreakEvenPrice = BreakEvenSellPrice(rules, input.BuyPrice, input.Quantity);
    return res;
}

} // namespace ym
