// The exchanges' price step (tick) and trading lot of a security type. A price on the grid is
// k ticks, held as the double its decimal text reads as, which is what an entry field holds
// once the user has typed it.
#pragma once

#include "core/selection.h"

#include <cstdint>
#include <optional>

namespace ym {

struct PriceGrid {
    // Ticks per currency unit: 100 for a 0.01 tick, 1000 for 0.001.
    std::int64_t ticksPerUnit = 100;

    // k / ticksPerUnit is one correctly rounded division of two exact integers, so it is
    // the double nearest the decimal k × tick: the value its text reads as.
    double PriceAt(std::int64_t k) const {
        return static_cast<double>(k) / static_cast<double>(ticksPerUnit);
    }
    // The lowest k whose price is at least `price`, and the highest whose price is at most
    // it. `price` must be finite and within ±2^52 ticks.
    std::int64_t CeilIndex(double price) const;
    std::int64_t FloorIndex(double price) const;
};

// The price step of `type` on `market`: 0.01 for A shares and Shenzhen B shares (Hong Kong
// dollars); 0.001 for Shanghai B shares (US dollars), funds, securities investment funds and
// bonds. Without a market, the Shenzhen step.
PriceGrid GridOf(std::optional<Market> market, SecurityType type);

// Shares (or bonds) per trading lot: 10 for bonds, 100 for everything else.
int LotOf(SecurityType type);

} // namespace ym
