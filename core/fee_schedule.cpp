#include "core/fee_schedule.h"

#include "core/fee_schedule_trace.h"

namespace ym {

FeeRules::FeeRules(const ClassicRates& classic) {
    const RateSet& r = classic.rates;
    (*this)[ChargeSlot::Stamp].rate = r.stampRate;
    Charge& commission = (*this)[ChargeSlot::Commission];
    commission.rate = r.commissionRate;
    commission.minimumRule = MinimumRule::RaiseNonZero;
    commission.minimum = r.minCommission;
    // The classic transfer fee is charged per share, with a minimum per leg.
    Charge& transfer = (*this)[ChargeSlot::Transfer];
    transfer.rate = r.transferRate;
    transfer.perShare = true;
    transfer.minimumRule = MinimumRule::RaiseUpToMinimum;
    transfer.minimum = r.minTransfer;
    Charge& settlement = (*this)[ChargeSlot::Settlement];
    settlement.rate = r.settlementRate;
    // Only Shenzhen caps the settlement fee of a leg.
    if (classic.market == Market::Shenzhen) {
        settlement.cap = classic.settlementCap;
    }
    (*this)[ChargeSlot::Handling].rate = r.handlingRate;
    (*this)[ChargeSlot::Regulator].rate = r.regulatorRate;
    other = r.otherFee;
}

LegCharges ChargeLeg(const FeeRules& rules, Side side, double price, double quantity) {
    return detail::ChargeLegTraced(rules, side, price, quantity, detail::NoTrace{});
}

double LegFees(const FeeRules& rules, Side side, double price, double quantity) {
    return detail::ChargeLegTraced(rules, side, price, quantity, detail::NoTrace{}).total;
}

} // namespace ym
