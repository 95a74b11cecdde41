#include "core/fee_model.h"

#include "core/number_text.h"

#include <cmath>

namespace ym {

std::string ModelLabel(const FeeModelSettings& settings, const Date& tradeDate) {
    if (settings.model == FeeModel::Classic) {
        return std::string(kClassicModelName);
    }
    return std::string(kOfficialModelName) + " " + FormatDate(tradeDate);
}

std::optional<FeeRules> FeeRulesFor(const FeeParameters& parameters,
                                    const FeeModelSettings& settings, std::optional<Market> market,
                                    SecurityType type, const Date& tradeDate) {
    if (settings.model == FeeModel::Classic || !market) {
        return FeeRules(ClassicRates{CurrentRates(parameters, market, type), market,
                                     parameters.SettlementCap()});
    }
    return OfficialFeeRules(tradeDate, *market, type, settings.terms);
}

std::optional<std::string> CommissionRateProblem(double rate) {
    if (!(rate >= 0 && rate <= kCommissionCap)) {
        return "佣金率应在 0 到法定上限 " + GeneralForm(kCommissionCap) + " 之间";
    }
    return std::nullopt;
}

std::optional<std::string> MinimumProblem(double minimum) {
    if (!(minimum >= 0 && minimum <= kMostMinimum)) {
        return "最低佣金应在 0 到 " + GeneralForm(kMostMinimum) + " 之间";
    }
    return std::nullopt;
}

} // namespace ym
