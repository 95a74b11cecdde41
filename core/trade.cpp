#include "core/trade.h"

#include "core/number_text.h"

namespace ym {

TradeResult ComputeRoundTrip(const FeeRules& rules, const TradeInput& input) {
    TradeResult res;
    res.breakEvenPrice.reset();
    // Sums of fees rounded to the fen are whole fen again; the rounding only takes the
    // binary addition's noise off.
    const auto add = [&](double a, double b) { return rules.toFen ? RoundToCents(a + b) : a + b; };

    const LegCharges b = ChargeLeg(rules, Side::Buy, input.buyPrice, input.quantity);
    const LegCharges s = ChargeLeg(rules, Side::Sell, input.sellPrice, input.quantity);
    res.buyAmount = b.amount;
    res.sellAmount = s.amount;
    res.buyCommission = b[ChargeSlot::Commission];
    res.sellCommission = s[ChargeSlot::Commission];
    res.buyStamp = b[ChargeSlot::Stamp];
    res.sellStamp = s[ChargeSlot::Stamp];
    res.buySettlement = b[ChargeSlot::Settlement];
    res.sellSettlement = s[ChargeSlot::Settlement];
    res.buyHandling = b[ChargeSlot::Handling];
    res.sellHandling = s[ChargeSlot::Handling];
    res.buyRegulator = b[ChargeSlot::Regulator];
    res.sellRegulator = s[ChargeSlot::Regulator];

    res.commissionTotal = add(res.sellCommission, res.buyCommission);
    res.stampTotal = add(res.sellStamp, res.buyStamp);
    res.settlementTotal = add(res.sellSettlement, res.buySettlement);
    res.handlingTotal = add(res.sellHandling, res.buyHandling);
    res.regulatorTotal = add(res.sellRegulator, res.buyRegulator);

    res.buyLegFees = b.total;
    res.sellLegFees = s.total;

    // A trade with one leg (or none) has no profit; its fixed charges are taken once, from
    // the leg that has an amount. Classic legs have equal transfer fees and other charges,
    // so which leg makes no difference there, and x + x is 2x to the bit.
    const bool bothLegs = !(res.sellAmount == 0 || res.buyAmount == 0);
    const LegCharges& lone = res.buyAmount != 0 ? b : s;
    res.legTransfer = lone[ChargeSlot::Transfer];
    if (bothLegs) {
        res.transferTotal = add(s[ChargeSlot::Transfer], b[ChargeSlot::Transfer]);
        res.otherTotal = add(s.other, b.other);
    } else {
        res.netProfit = 0;
        res.yield = 0;
        res.transferTotal = res.legTransfer;
        res.otherTotal = lone.other;
    }

    res.feesTotal = res.stampTotal + res.commissionTotal + res.transferTotal + res.settlementTotal +
                    res.handlingTotal + res.regulatorTotal + res.otherTotal;
    if (rules.toFen) {
        res.feesTotal = RoundToCents(res.feesTotal);
    }

    if (bothLegs) {
        res.netProfit = (res.sellAmount - res.buyAmount) - res.feesTotal;
        // Measured against the money actually paid for the purchase, fees included. No
        // profit is no yield, also where negative fees (hand-edited settings) made the
        // purchase cost nothing: 0/0 would show "NaN %".
        res.yield = res.netProfit == 0 ? 0 : res.netProfit / (res.buyAmount + res.buyLegFees);
    }

    // Only an empty field means "no leg"; a price typed as 0 still pays the fixed charges.
    res.totalPaid = input.buyFieldEmpty ? 0 : res.buyAmount + res.buyLegFees;
    res.totalReceived = input.sellFieldEmpty ? 0 : res.sellAmount - res.sellLegFees;

    return res;
}

TradeResult ComputeTrade(const FeeRules& rules, const TradeInput& input) {
    TradeResult res = ComputeRoundTrip(rules, input);
    res.breakEvenPrice = BreakEvenSellPrice(rules, input.buyPrice, input.quantity);
    return res;
}

} // namespace ym
