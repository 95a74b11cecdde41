// Rate sets, typed trades and the break-even walk shared by the trade tests and benchmarks.
#pragma once

#include "core/trade.h"

#include <cstdint>

namespace ym::testing {

// Shanghai A shares with the default rates.
inline ClassicRates ShanghaiA() {
    ClassicRates r;
    r.market = Market::Shanghai;
    r.rates.commissionRate = 0.0035;
    r.rates.minCommission = 10;
    r.rates.stampRate = 0.004;
    r.rates.transferRate = 0.001;
    r.rates.minTransfer = 1;
    return r;
}

// B shares with the default rates and the Shenzhen settlement cap of 500.
inline ClassicRates DefaultB(Market market = Market::Shenzhen) {
    ClassicRates r;
    r.market = market;
    r.settlementCap = 500;
    r.rates.commissionRate = 0.0043;
    r.rates.stampRate = 0.003;
    r.rates.settlementRate = 0.0005;
    r.rates.handlingRate = 0.0003;
    r.rates.regulatorRate = 0.000046;
    return r;
}

// Buy and sell as typed: a negative price stands for an empty field.
inline constexpr double kEmpty = -1;
inline TradeInput Typed(double buy, double sell, double qty) {
    TradeInput in;
    in.buyFieldEmpty = buy < 0;
    in.sellFieldEmpty = sell < 0;
    in.buyPrice = buy < 0 ? 0 : buy;
    in.sellPrice = sell < 0 ? 0 : sell;
    in.quantity = qty;
    return in;
}

// The break-even search as a user would do it by hand: add 0.01 to the trial price until
// the trade no longer loses. Slow but obviously right; the fast search must agree with it
// bit for bit.
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
    const double buyFees = LegFees(rules, Side::Buy, buy, quantity);
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
        profit = ((t - buy) * quantity - LegFees(rules, Side::Sell, t, quantity)) - buyFees;
    } while (profit < 0);
    return {Outcome::Found, t, steps};
}

} // namespace ym::testing
