// Which fee model a trade follows: the classic parameters of the settings file, or the
// official rule set of the trade date with the broker's terms.
#pragma once

#include "core/fee_parameters.h"
#include "core/fee_schedule.h"
#include "core/official_rules.h"
#include "core/selection.h"
#include "core/trade_date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ym {

enum class FeeModel : std::uint8_t { Classic, Official };

struct FeeModelSettings {
    FeeModel model = FeeModel::Classic;
    BrokerTerms terms;

    friend bool operator==(const FeeModelSettings&, const FeeModelSettings&) = default;
};

inline constexpr std::string_view kClassicModelName = "经典参数";
inline constexpr std::string_view kOfficialModelName = "官方规则";

// What the main window shows beside the trade currency: "经典参数", or "官方规则 " and the
// trade date.
std::string ModelLabel(const FeeModelSettings& settings, const Date& tradeDate);

// The fee rules of a trade of `type` on `tradeDate`: the classic rates of the parameters'
// block for the market and type, or the official rules of that day with the broker's
// terms. Without a market the classic rates are the Shenzhen block's without the
// settlement cap, whatever the model: no exchange's official rules apply. nullopt for an
// official trade before kFirstRuleDate (show kNoRulesMessage).
std::optional<FeeRules> FeeRulesFor(const FeeParameters& parameters,
                                    const FeeModelSettings& settings, std::optional<Market> market,
                                    SecurityType type, const Date& tradeDate);

// The broker's terms a user may set: a commission rate from 0 to the legal cap of 3‰, a
// minimum from 0 to kMostMinimum. nullopt when the value is admissible, else why not.
inline constexpr double kMostMinimum = 1000;
std::optional<std::string> CommissionRateProblem(double rate);
std::optional<std::string> MinimumProblem(double minimum);

} // namespace ym
