#include "core/selection.h"

namespace ym {

std::optional<Market> MarketFromNumber(int number) {
    if (number == NumberOf(Market::Shanghai) || number == NumberOf(Market::Shenzhen)) {
        return static_cast<Market>(number);
    }
    return std::nullopt;
}

std::optional<SecurityType> TypeFromNumber(int number) {
    if (number >= NumberOf(SecurityType::AShare) && number <= NumberOf(SecurityType::BShare)) {
        return static_cast<SecurityType>(number);
    }
    return std::nullopt;
}

} // namespace ym
