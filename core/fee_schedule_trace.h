// The fee function with a trace of every rounded intermediate, in the order it computes
// them. ChargeLeg runs it without a trace; the break-even search runs it with one to learn
// where the rounding of each step can change. Internal to the core.
#pragma once

#include "core/fee_schedule.h"
#include "core/number_text.h"

#include <cstddef>

namespace ym::detail {

enum class LegStep : std::uint8_t {
    Amount, // price x quantity
    Raw,    // rate x base of charge `index`, before its minimum and cap
    Sum,    // the total after adding term `index` (1..5 the charges, 6 the fixed charge)
};

struct NoTrace {
    void operator()(LegStep, std::size_t, double) const {}
};

// Whether a fee is low enough for the minimum rule to look at it (monotone in the fee).
inline bool BelowMinimum(const Charge& c, double fee) {
    return c.minimumRule == MinimumRule::RaiseUpToMinimum ? fee <= c.minimum : fee < c.minimum;
}

inline double ApplyMinimum(const Charge& c, double fee) {
    switch (c.minimumRule) {
    case MinimumRule::None:
        break;
    case MinimumRule::RaiseNonZero:
        if (fee != 0 && fee < c.minimum) {
            fee = c.minimum;
        }
        break;
    case MinimumRule::RaiseUpToMinimum:
        if (fee <= c.minimum) {
            fee = fee == 0 ? 0 : c.minimum;
        }
        break;
    }
    return fee;
}

template <bool ToFen, class Trace>
LegCharges ChargeLegIn(const FeeRules& rules, Side side, double price, double quantity,
                       Trace&& trace) {
    LegCharges leg;
    leg.amount = price * quantity;
    trace(LegStep::Amount, 0, leg.amount);
    for (std::size_t i = 0; i < kChargeSlots; ++i) {
        const Charge& c = rules.charges[i];
        if (!(side == Side::Buy ? c.onBuy : c.onSell)) {
            continue;
        }
        double fee = c.perShare ? quantity * c.rate : c.rate * leg.amount;
        trace(LegStep::Raw, i, fee);
        fee = ApplyMinimum(c, fee);
        if (fee >= c.cap) {
            fee = c.cap;
        }
        leg.fee[i] = ToFen ? RoundToCents(fee) : fee;
    }
    leg.other = rules.other;
    // The order of the additions is part of the result: a statement checked by hand adds
    // the fees in this order, and so must we to the last bit.
    double total = leg.fee[0];
    for (std::size_t i = 1; i < kChargeSlots; ++i) {
        total = total + leg.fee[i];
        trace(LegStep::Sum, i, total);
    }
    total = total + leg.other;
    trace(LegStep::Sum, kChargeSlots, total);
    leg.total = ToFen ? RoundToCents(total) : total;
    return leg;
}

template <class Trace>
LegCharges ChargeLegTraced(const FeeRules& rules, Side side, double price, double quantity,
                           Trace&& trace) {
    return rules.toFen ? ChargeLegIn<true>(rules, side, price, quantity, trace)
                       : ChargeLegIn<false>(rules, side, price, quantity, trace);
}

} // namespace ym::detail
