#include "core/selection.h"

#include "core/text_codec.h"

#include <array>
#include <string>

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

std::string_view MarketName(Market market) {
    return market == Market::Shanghai ? "沪市" : "深市";
}

namespace {

constexpr std::array<std::string_view, 5> kTypeNames{"A 股", "债券", "基金", "证券投资基金",
                                                     "B 股"};
constexpr std::array<std::string_view, 5> kTypeKeys{"a", "bond", "fund", "sif", "b"};

struct MarketWord {
    std::string_view word;
    Market market;
};
constexpr std::array<MarketWord, 10> kMarketWords{{
    {"1", Market::Shanghai},
    {"sh", Market::Shanghai},
    {"沪市", Market::Shanghai},
    {"上海", Market::Shanghai},
    {"沪", Market::Shanghai},
    {"2", Market::Shenzhen},
    {"sz", Market::Shenzhen},
    {"深市", Market::Shenzhen},
    {"深圳", Market::Shenzhen},
    {"深", Market::Shenzhen},
}};

std::size_t IndexOf(SecurityType type) {
    return static_cast<std::size_t>(NumberOf(type) - 1);
}

} // namespace

std::string_view TypeName(SecurityType type) {
    return kTypeNames[IndexOf(type)];
}

std::string_view TypeKey(SecurityType type) {
    return kTypeKeys[IndexOf(type)];
}

std::optional<Market> ParseMarket(std::string_view text) {
    const std::string word = text::AsciiLower(text);
    for (const MarketWord& m : kMarketWords) {
        if (word == m.word) {
            return m.market;
        }
    }
    return std::nullopt;
}

std::optional<SecurityType> ParseType(std::string_view text) {
    const std::string word = text::AsciiLower(text);
    for (SecurityType type : kSecurityTypes) {
        std::string caption(TypeName(type));
        std::string joined = caption;
        std::erase(joined, ' ');
        if (word == std::to_string(NumberOf(type)) || word == TypeKey(type) || text == caption ||
            text == joined) {
            return type;
        }
    }
    return std::nullopt;
}

} // namespace ym
