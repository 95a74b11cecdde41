// The fee parameter set: every rate, minimum and cap, per market and security type,
// and the nine current rates that the trade computation uses.
#pragma once

#include "core/selection.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace ym {

inline constexpr std::size_t kShanghaiParameterCount = 27;
inline constexpr std::size_t kShenzhenParameterCount = 28;

// One parameter: the dialog's label in each market and the default text a new
// settings file receives. Parameter 28 (the settlement fee cap) exists in Shenzhen only;
// its Shanghai fields are empty.
struct ParameterInfo {
    std::string_view shanghaiLabel;
    std::string_view shenzhenLabel;
    std::string_view shanghaiDefault;
    std::string_view shenzhenDefault;
};

// Entry i describes parameter i + 1 (keys A1..A27, B1..B28).
extern const std::array<ParameterInfo, kShenzhenParameterCount> kParameters;

struct FeeParameters {
    std::array<double, kShanghaiParameterCount> shanghai{};
    std::array<double, kShenzhenParameterCount> shenzhen{};

    // The values of a new settings file.
    static FeeParameters Defaults();

    // The settlement fee cap per Shenzhen leg (B28).
    double SettlementCap() const { return shenzhen[27]; }
};

struct RateSet {
    double commissionRate = 0;
    double minCommission = 0;
    double stampRate = 0;
    double transferRate = 0;
    double minTransfer = 0;
    double otherFee = 0;
    double settlementRate = 0;
    double handlingRate = 0;
    double regulatorRate = 0;
};

// The rates of `type`'s block, from the Shanghai array for Shanghai and from the Shenzhen
// array otherwise (no market chosen yet included); rates the type does not use are 0.
RateSet CurrentRates(const FeeParameters& parameters, std::optional<Market> market,
                     SecurityType type);

} // namespace ym
