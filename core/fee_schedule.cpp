#include "core/fee_schedule.h"

#include "core/fee_schedule_trace.h"

namespace ym {

FeeRules::FeeRules(const ClassicRates& classic) {
    const RateSet& r = classic.rates;
    (*this)[ChargeSlot::Stamp].rate = r.StampRate;
    Charge& commission = (*this)[ChargeSlot::Commission];
    commission.rate = r.CommissionRate;
    commission.minimumRule = MinimumRule::RaiseNonZero;
    commission.minimum = r.MinCommission;
    // The classic transfer fee is charged per share, with a minimum per leg.
    Charge& transfer = (*this)[ChargeSlot::Transfer];
    transfer.rate = r.TransferRate;
    transfer.perShare = true;
    transfer.minimumRule = MinimumRule::RaiseUpToMinimum;
    transfer.minimum = r.MinTransfer;
    Charge& settlement = (*this)[ChargeSlot::Settlement];
    settlement.rate = r.SettlementRate;
    // Only Shenzhen caps the settlement fee of a leg.
    if (classic.market == Market::Shenzhen) {
        settlement.cap = classic.SettlementCap;
    }
    (*this)[ChargeSlot::Handling].rate = r.HandlingRate;
    (*this)[ChargeSlot::Regulator].rate = r.RegulatorRate;
    other = r.OtherFee;
}

LegCharges ChargeLeg(const FeeRules& rules, Side side, double price, double quantity) {
    return detail::ChargeLegTraced(rules, side, price, quantity, detail::NoTrace{});
}

double LegFees(const FeeRules& rules, Side side, double price, double quantity) {
    return detail::ChargeLegTraced(rules, side, price, quantity, detail::NoTrace{}).total;
}

} // namespace ym
