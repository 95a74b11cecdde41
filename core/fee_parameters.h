// The fee parameter set: every rate, minimum and cap, per market and security type,
// and the nine current rates that the trade computation uses.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace ym {

inline constexpr int kShanghai = 1;
inline constexpr int kShenzhen = 2;

// Security types in the order of the type selector and the stored selection.
inline constexpr int kTypeAShare = 1;
inline constexpr int kTypeBond = 2;
inline constexpr int kTypeFund = 3;
inline constexpr int kTypeInvestmentFund = 4;
inline constexpr int kTypeBShare = 5;

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
    double CommissionRate = 0;
    double MinCommission = 0;
    double StampRate = 0;
    double TransferRate = 0;
    double MinTransfer = 0;
    double OtherFee = 0;
    double SettlementRate = 0;
    double HandlingRate = 0;
    double RegulatorRate = 0;
};

// Copies the block of `type` from the Shanghai array when `market` is 1, from the
// Shenzhen array for any other market; rates the type does not use become 0.
// A type outside 1..5 leaves `rates` unchanged.
void LoadCurrentRates(const FeeParameters& parameters, int market, int type, RateSet& rates);

} // namespace ym
