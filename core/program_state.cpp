#include "core/program_state.h"

namespace ym {

std::optional<SettingsMessage> ProgramState::Load() {
    const SettingsRead read = ReadSettings(settingsPath);
    if (read.error) {
        return read.error;
    }
    TakeStored(read.settings);
    missingParameters = read.missingParameters;
    unreadableParameters = read.unreadableParameters;
    return std::nullopt;
}

void ProgramState::TakeStored(const StoredSettings& stored) {
    market = MarketFromNumber(stored.Select1);
    type = TypeFromNumber(stored.Select2);
    scheme = stored.scheme;
    parameters = stored.parameters;
    feeModelProblems = stored.feeModel.problems;
    feeModel = stored.feeModel.settings;
    if (!feeModelProblems.empty()) {
        feeModel.model = FeeModel::Classic;
    }
}

std::optional<FeeRules> ProgramState::feeRules() const {
    if (!type) {
        return FeeRules(ClassicRates{RateSet{}, market, parameters.SettlementCap()});
    }
    return FeeRulesFor(parameters, feeModel, market, *type, tradeDate);
}

std::optional<SettingsMessage> ProgramState::SaveSelection() const {
    return ym::SaveSelection(settingsPath, StoredNumber(market), StoredNumber(type));
}

} // namespace ym
