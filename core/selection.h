// The market and the security type the calculator works on, as the selectors and the
// stored selection number them. A number read from the settings file or a command line
// becomes one of these in one place; everything after that works with the types.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ym {

enum class Market : std::int16_t { Shanghai = 1, Shenzhen = 2 };

// In the order of the type selector and the stored selection.
enum class SecurityType : std::int16_t {
    AShare = 1,
    Bond = 2,
    Fund = 3,
    InvestmentFund = 4,
    BShare = 5,
};

// Every type, in the order of the type selector.
inline constexpr std::array<SecurityType, 5> kSecurityTypes{
    SecurityType::AShare, SecurityType::Bond, SecurityType::Fund, SecurityType::InvestmentFund,
    SecurityType::BShare};

// The selection of a new settings file, which a command also takes when the file stores
// none.
inline constexpr Market kDefaultMarket = Market::Shenzhen;
inline constexpr SecurityType kDefaultType = SecurityType::AShare;

// nullopt for a number that names no market or type (a missing key reads -1).
std::optional<Market> MarketFromNumber(int number);
std::optional<SecurityType> TypeFromNumber(int number);

constexpr std::int16_t NumberOf(Market market) {
    return static_cast<std::int16_t>(market);
}
constexpr std::int16_t NumberOf(SecurityType type) {
    return static_cast<std::int16_t>(type);
}

// The selectors' captions (UTF-8): "沪市", "深市"; "A 股", "债券", "基金", "证券投资基金", "B 股".
std::string_view MarketName(Market market);
std::string_view TypeName(SecurityType type);
// The ASCII word of a type: "a", "bond", "fund", "sif", "b".
std::string_view TypeKey(SecurityType type);

// A market or type as a user names it on a command line or in a statement file: its number
// ("1", "2"; "1".."5"), its ASCII word ("sh", "sz"; TypeKey), letters in either case, or
// its caption ("沪市", also "上海", "沪"; "A 股", also without the blank).
std::optional<Market> ParseMarket(std::string_view text);
std::optional<SecurityType> ParseType(std::string_view text);

// The number stored for a selection; a selection that names nothing is stored as -1,
// what a missing key reads.
inline constexpr std::int16_t kNoSelection = -1;
template <class T> constexpr std::int16_t StoredNumber(const std::optional<T>& value) {
    return value ? NumberOf(*value) : kNoSelection;
}

} // namespace ym
