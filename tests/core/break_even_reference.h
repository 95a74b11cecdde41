// The break-even search as a user would do it by hand: add 0.01 to the trial price until
// the trade no longer loses. Slow but obviously right; the fast search must agree with it
// bit for bit.
#pragma once

#include "core/trade.h"

#include <cstdint>
#include <optional>

namespace ym::testing {

struct ReferenceBreakEven {
    enum class Outcome {
        Found,         // the walk stopped at `price`
        Stalled,       // adding 0.01 stopped moving the trial price: no price breaks even
        StepsExhausted // the walk went on longer than allowed; `price` is the last price tried
    };
    Outcome outcome;
    double price;
    std::int64_t steps;
};

inline ReferenceBreakEven LiteralBreakEven(const FeeRules& rules, double buy, double quantity,
                                           std::int64_t maxSteps) {
    using Outcome = ReferenceBreakEven::Outcome;
    if (buy == 0 || quantity == 0) {
        return {Outcome::Found, 0.0, 0};
    }
    const double buyFees = LegFees(rules, buy, quantity);
    double t = buy;
    double profit;
    std::int64_t steps = 0;
    do {
        if (steps == maxSteps) {
            return {Outcome::StepsExhausted, t, steps};
        }
        const double next = t + 0.01;
        if (next == t) {
            return {Outcome::Stalled, t, steps};
        }
        t = next;
        ++steps;
        profit = ((t - buy) * quantity - LegFees(rules, t, quantity)) - buyFees;
    } while (profit < 0);
    return {Outcome::Found, t, steps};
}

} // namespace ym::testing
