#include "core/price_grid.h"

#include <cmath>

namespace ym {

std::int64_t PriceGrid::CeilIndex(double price) const {
    // The scaled product may be off by one ulp either way; settle on the exact boundary by
    // comparing grid prices, which are the values the answer is defined by.
    auto k = static_cast<std::int64_t>(std::ceil(price * static_cast<double>(ticksPerUnit)));
    while (PriceAt(k - 1) >= price) {
        --k;
    }
    while (PriceAt(k) < price) {
        ++k;
    }
    return k;
}

std::int64_t PriceGrid::FloorIndex(double price) const {
    auto k = static_cast<std::int64_t>(std::floor(price * static_cast<double>(ticksPerUnit)));
    while (PriceAt(k + 1) <= price) {
        ++k;
    }
    while (PriceAt(k) > price) {
        --k;
    }
    return k;
}

PriceGrid GridOf(std::optional<Market> market, SecurityType type) {
    switch (type) {
    case SecurityType::AShare:
        return {100};
    case SecurityType::BShare:
        return {market == Market::Shanghai ? 1000 : 100};
    case SecurityType::Bond:
    case SecurityType::Fund:
    case SecurityType::InvestmentFund:
        return {1000};
    }
    return {100};
}

int LotOf(SecurityType type) {
    return type == SecurityType::Bond ? 10 : 100;
}

} // namespace ym
