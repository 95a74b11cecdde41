#include "core/trade.h"

namespace ym {

namespace {

// The fees of one leg, itemised. Every term is computed from the leg's own amount, so a
// leg without amount pays no rate-based fee; the transfer fee and the other charge do not
// depend on the amount and are added by the caller.
struct LegItems {
    double amount = 0;
    double commission = 0;
    double stamp = 0;
    double settlement = 0;
    double handling = 0;
    double regulator = 0;
};

LegItems ComputeLegItems(const FeeRules& rules, double amount) {
    const RateSet& r = rules.rates;
    LegItems leg;
    leg.amount = amount;
    leg.commission = r.CommissionRate * amount;
    leg.stamp = r.StampRate * amount;
    leg.settlement = r.SettlementRate * amount;
    leg.handling = r.HandlingRate * amount;
    leg.regulator = r.RegulatorRate * amount;
    // A leg that is not traded pays no minimum commission.
    if (leg.commission != 0 && leg.commission < r.MinCommission) {
        leg.commission = r.MinCommission;
    }
    // Only Shenzhen caps the settlement fee of a leg.
    if (rules.market == Market::Shenzhen && leg.settlement >= rules.SettlementCap) {
        leg.settlement = rules.SettlementCap;
    }
    return leg;
}

// The transfer fee is charged per share, with a minimum per leg; a type without a
// transfer rate never pays the minimum.
double ComputeLegTransfer(const FeeRules& rules, double quantity) {
    double transfer = quantity * rules.rates.TransferRate;
    if (transfer <= rules.rates.MinTransfer) {
        transfer = transfer == 0 ? 0 : rules.rates.MinTransfer;
    }
    return transfer;
}

// The order of the additions is part of the result: a statement checked by hand adds
// the fees in this order, and so must we to the last bit.
double SumLeg(const LegItems& leg, double transfer, double other) {
    return leg.stamp + leg.commission + transfer + leg.settlement + leg.handling + leg.regulator +
           other;
}

} // namespace

double LegFees(const FeeRules& rules, double price, double quantity) {
    const LegItems leg = ComputeLegItems(rules, price * quantity);
    return SumLeg(leg, ComputeLegTransfer(rules, quantity), rules.rates.OtherFee);
}

TradeResult ComputeTrade(const FeeRules& rules, const TradeInput& input) {
    TradeResult res;
    const double other = rules.rates.OtherFee;

    const LegItems buy = ComputeLegItems(rules, input.BuyPrice * input.Quantity);
    const LegItems sell = ComputeLegItems(rules, input.SellPrice * input.Quantity);
    res.BuyAmount = buy.amount;
    res.SellAmount = sell.amount;
    res.BuyCommission = buy.commission;
    res.SellCommission = sell.commission;
    res.BuyStamp = buy.stamp;
    res.SellStamp = sell.stamp;
    res.BuySettlement = buy.settlement;
    res.SellSettlement = sell.settlement;
    res.BuyHandling = buy.handling;
    res.SellHandling = sell.handling;
    res.BuyRegulator = buy.regulator;
    res.SellRegulator = sell.regulator;

    res.CommissionTotal = sell.commission + buy.commission;
    res.StampTotal = sell.stamp + buy.stamp;
    res.SettlementTotal = sell.settlement + buy.settlement;
    res.HandlingTotal = sell.handling + buy.handling;
    res.RegulatorTotal = sell.regulator + buy.regulator;

    res.LegTransfer = ComputeLegTransfer(rules, input.Quantity);
    res.BuyLegFees = SumLeg(buy, res.LegTransfer, other);
    res.SellLegFees = SumLeg(sell, res.LegTransfer, other);

    // A trade with one leg (or none) has no profit; its fixed charges are taken once.
    const bool bothLegs = !(res.SellAmount == 0 || res.BuyAmount == 0);
    if (bothLegs) {
        res.TransferTotal = 2 * res.LegTransfer;
        res.OtherTotal = 2 * other;
    } else {
        res.NetProfit = 0;
        res.Yield = 0;
        res.TransferTotal = res.LegTransfer;
        res.OtherTotal = other;
    }

    res.FeesTotal = res.StampTotal + res.CommissionTotal + res.TransferTotal + res.SettlementTotal +
                    res.HandlingTotal + res.RegulatorTotal + res.OtherTotal;

    if (bothLegs) {
        res.NetProfit = (res.SellAmount - res.BuyAmount) - res.FeesTotal;
        // Measured against the money actually paid for the purchase, fees included.
        res.Yield = res.NetProfit / (res.BuyAmount + res.BuyLegFees);
    }

    // Only an empty field means "no leg"; a price typed as 0 still pays the fixed charges.
    res.TotalPaid = input.BuyFieldEmpty ? 0 : res.BuyAmount + res.BuyLegFees;
    res.TotalReceived = input.SellFieldEmpty ? 0 : res.SellAmount - res.SellLegFees;

    res.BreakEvenPrice = BreakEvenSellPrice(rules, input.BuyPrice, input.Quantity);
    return res;
}

} // namespace ym
